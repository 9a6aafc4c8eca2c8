#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "../platform/File.h"
#include "../platform/NonCopyable.h"
#include "../platform/WriteGate.h"
#include "DriveFiles.h"

// Copies of the files the protection deletes, so that a false alarm costs
// nothing. Each inspection that deletes anything gets a sub-folder of its own,
// "YYYY-MM-DD HH-MM-SS X" (the drive letter or the folder's name), holding the
// copies, each named like its original plus ".quarantined" so that none can
// be started by a double click, and Origin.txt with one line per file.

const unsigned long long QuarantineFileLimit = 16ull << 20;
const unsigned long long QuarantineTotalLimit = 64ull << 20;
const size_t QuarantineFolderLimit = 100;

// The sub-folder's name for an inspection of `root` at local time `time`.
std::string QuarantineFolderName(const SYSTEMTIME &time, const std::string &root);
// True for a name that QuarantineFolderName can give: only such sub-folders
// are counted and ever removed.
bool IsQuarantineFolderName(const std::string &name);
// "RHSA" letters of the attributes set, "-" for none of them.
std::string AttributeLetters(DWORD attributes);

class TQuarantine : CNonCopyable
{
public:
  // `folder` (ending with a backslash) holds the sub-folders; empty keeps
  // nothing. Nothing is created until the first Keep. Every write into the
  // folder passes `gate` when one is given; a file is read whole before its
  // copy is written, so a drive that stalls never holds the gate.
  TQuarantine(const std::string &folder, const std::string &root, CWriteGate *gate = nullptr);
  // Copies the opened file and lists it in Origin.txt, or lists why it was
  // not kept. True when a copy of it is there, made now or earlier in this
  // inspection, or when no copies are kept (no folder given). `mayEvict` lets older sub-folders go to make room within the
  // bound; without it a full quarantine keeps nothing more. Never throws.
  bool Keep(TDriveFile &file, bool mayEvict = true);
  // Why the last Keep that returned false kept nothing ("not kept: ...").
  const std::string &WhyNotKept() const { return _whyNotKept; }
  // Lists in Origin.txt that the attributes of `path` were changed, so that
  // the change can be undone by hand.
  void NoteAttributes(const std::string &path, DWORD before, DWORD after);

private:
  struct OldFolder
  {
    std::string Name;
    unsigned long long Bytes;
  };
  bool Open();
  // Removes the oldest sub-folders until `bytes` more fit; false when even
  // that is not enough.
  bool MakeRoomFor(unsigned long long bytes, bool mayEvict);
  void RemoveOldest();
  // The copy's name in the sub-folder, or empty with _whyNotKept set.
  std::string CopyOf(TDriveFile &file, bool mayEvict);
  void AddOrigin(const std::string &line);

  std::string _folder;
  std::string _root;
  CWriteGate *_gate;
  bool _opened = false; // the sub-folder was tried; _current is empty when it failed
  std::string _current; // the sub-folder, with a backslash
  std::vector<OldFolder> _old; // oldest first
  unsigned long long _bytes = 0; // in the whole quarantine
  std::vector<std::pair<unsigned long long, DWORD>> _kept; // file index and volume of each copy
  std::string _whyNotKept;
  CFile _origin; // Origin.txt of _current, once a line went in
  unsigned long long _originEnd = 0; // its size after the last whole line
};
