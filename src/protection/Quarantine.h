#pragma once
#include <windows.h>
#include <string>
#include <memory>
#include <vector>
#include "../platform/CriticalSection.h"
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

// The quarantine's one count, shared by every check of the process: its
// sub-folders, oldest first, and the bytes each holds. Checks side by side
// count and make room through it, so the bounds hold for all of them
// together, and a sub-folder that a check still writes is never removed to
// make room. Every call may come from any thread; those that remove or make
// folders are made while the caller holds its write gate.
class TQuarantineLedger : CNonCopyable
{
public:
  explicit TQuarantineLedger(const std::string &folder) : _folder(folder) {}
  const std::string &Folder() const { return _folder; }
  // Makes a new sub-folder named `name` (or "name (2)" and so on), first
  // removing the oldest ones beyond QuarantineFolderLimit; it is in use until
  // Release. Its full path with a backslash, or empty when none could be made.
  std::string StartFolder(const std::string &name);
  void Release(const std::string &path);
  // Counts `bytes` more for the sub-folder `path`, removing the oldest
  // sub-folders not in use first when `mayEvict` and they do not fit;
  // false, with nothing counted, when they still do not fit.
  bool Reserve(const std::string &path, unsigned long long bytes, bool mayEvict);
  // Takes back what was reserved and not written; counts what was written
  // without a reservation.
  void Adjust(const std::string &path, long long bytes);
  // The bytes counted in all sub-folders.
  unsigned long long Bytes();

private:
  struct TFolder
  {
    std::string Name;
    unsigned long long Bytes;
    bool InUse;
  };
  void Load();
  bool RemoveOldestUnused();
  TFolder *Find(const std::string &path);

  CCriticalSection _section;
  const std::string _folder;
  bool _loaded = false;
  std::vector<TFolder> _folders; // oldest first: the names begin with the time
  unsigned long long _bytes = 0;
};

class TQuarantine : CNonCopyable
{
public:
  // `folder` (ending with a backslash) holds the sub-folders; empty keeps
  // nothing. Nothing is created until the first Keep. Every write into the
  // folder passes `gate` when one is given; a file is read whole before its
  // copy is written, so a drive that stalls never holds the gate.
  // `ledger`, when given, is the count shared with the other checks of its
  // folder; without one the quarantine counts alone.
  TQuarantine(const std::string &folder, const std::string &root, CWriteGate *gate = nullptr,
              TQuarantineLedger *ledger = nullptr);
  ~TQuarantine();
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
  // Lists in Origin.txt a change to the folder `path` that copies cannot
  // undo (a vaccine made or removed): `what` says how to undo it by hand.
  void NoteFolder(const std::string &path, DWORD attributes, const std::string &what);

private:
  bool Open();
  // The copy's name in the sub-folder, or empty with _whyNotKept set.
  std::string CopyOf(TDriveFile &file, bool mayEvict);
  void AddOrigin(const std::string &line);
  void Note(const std::string &path, DWORD attributes, const std::string &what);

  std::string _folder;
  std::string _root;
  CWriteGate *_gate;
  std::unique_ptr<TQuarantineLedger> _ownLedger;
  TQuarantineLedger *_ledger;
  bool _opened = false; // the sub-folder was tried; _current is empty when it failed
  std::string _current; // the sub-folder, with a backslash
  std::vector<unsigned long long> _kept; // the file index of each file kept
  std::string _whyNotKept;
  CFile _origin; // Origin.txt of _current, once a line went in
  unsigned long long _originEnd = 0; // its size after the last whole line
};
