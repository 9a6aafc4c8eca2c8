#pragma once
#include <windows.h>
#include <string>
#include <vector>

// What the quarantine holds, read back from each cleaning's Origin.txt, and
// the user's undoing of it: a copy put back, a change of attributes taken
// back, a copy deleted. Every undoing adds one line to the cleaning's
// Origin.txt, so that the file tells the whole story:
//   <where it went>  <size>  <attributes>  "restored: <copy's name>"
//   <path>  "file"/"folder"  <attributes now>  "hidden again: <attributes before>"

enum TQuarantineDeed
{
  qdCopyKept,
  qdNotKept,
  qdMadeVisible
};

struct TQuarantineEntry
{
  std::string Folder; // the cleaning's sub-folder, with a backslash
  std::string When;   // "YYYY-MM-DD HH:MM:SS", from the sub-folder's name
  std::string Path;   // where the file or folder was
  TQuarantineDeed Deed = qdCopyKept;
  bool IsFolder = false;
  unsigned long long Size = 0;
  DWORD Attributes = 0; // before the cleaning
  std::string Copy;     // the copy's name in Folder (qdCopyKept)
  bool CopyPresent = false;
  std::string WhyNotKept; // "not kept: ..." (qdNotKept)
  DWORD VisibleAttributes = 0; // after the cleaning (qdMadeVisible)
  std::string RestoredTo;      // the last place the copy was put back
  bool HiddenAgain = false;
};

// The letters AttributeLetters writes ("RHSA" order, "-" for none); false for
// anything else.
bool ParseAttributeLetters(const std::string &letters, DWORD &attributes);

// Every entry of the sub-folders of `folder` (with a backslash) named as a
// cleaning's, newest cleaning first, each cleaning's in the order of its
// lines. Lines that are damaged or of a form not known are passed over.
std::vector<TQuarantineEntry> ReadQuarantine(const std::string &folder);

// Puts the copy back as `target` with the attributes it had, never over a
// file that is there, and notes it in Origin.txt. 0 or the system's error.
DWORD RestoreCopy(const TQuarantineEntry &entry, const std::string &target);
// Gives an entry made visible its attributes before the cleaning again,
// provided it still has the ones the cleaning left; notes it in Origin.txt.
DWORD HideAgain(const TQuarantineEntry &entry);
// Deletes the copy of the entry.
DWORD DeleteCopy(const TQuarantineEntry &entry);
// Where the entry goes back by default: its path, when its folder is there
// and the name is free; empty otherwise.
std::string RestoreTargetFree(const TQuarantineEntry &entry);
