#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "../platform/WideFile.h"

// The content of a drive as the protection may touch it. A drive is the
// attacker's ground: names are taken as the file system has them (UTF-16),
// and a file is acted on only through a handle whose checks say it is a
// plain disk file of this drive, reached by the very path that was looked at.

// An entry of a listing, by its name on disk.
struct TDriveEntry
{
  std::wstring Name;
  // The name for the box and the log: itself, or, where a character has no
  // form in the ANSI code page, a safe form with '?' in its place. A safe
  // form is only ever shown, never used to name a file.
  std::string Shown;
  DWORD Attributes = 0;
  unsigned long long Size = 0;
};

std::string ShownName(const std::wstring &name);
// CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9 (and CONIN$, CONOUT$), with or
// without an extension and with blanks before it: outside the "\\?\" form
// such a name opens the device, wherever it lies.
bool IsDeviceName(const std::wstring &name);

// The entries of `folder` (a drive root or a folder, ending with a
// backslash, in the ANSI code page as received) that match `pattern`,
// directories included, "." and ".." left out, at most `limit`. False when
// the folder cannot be listed; a pattern that matches nothing is no failure.
bool ListDriveEntries(const std::string &folder, const std::wstring &pattern, std::vector<TDriveEntry> &entries,
                      size_t limit = 100000);

// One file (or folder) below a root, opened only after the checks above.
class TDriveFile
{
public:
  // `root`: the drive root or shared folder with its trailing backslash.
  // `relative`: the path below it, parts joined by backslashes. Refused
  // (false, with Why() set) when a part is empty, ".", "..", holds a colon
  // (a stream) or is a device name; when a folder on the way or the entry
  // itself is a link or junction; when the opened handle is no disk file, or
  // the system reached it by another path than this one; and a folder
  // unless `folders`.
  bool Open(const std::string &root, const std::wstring &relative, bool folders = false);
  // Why Open refused: "a link or junction", "outside the drive", ...
  const std::string &Why() const { return _why; }
  // The full path for the box and the log.
  const std::string &Shown() const { return _shown; }
  const BY_HANDLE_FILE_INFORMATION &Info() const { return _info; }
  unsigned long long Size() const;
  // The file's number on its volume; 0 when the system does not say.
  unsigned long long Index() const;
  bool ReadAll(std::vector<char> &content, size_t limit) { return _file.ReadAll(content, limit); }
  // Sets the attributes, then reads them back; false when they did not take.
  bool SetAttributes(DWORD attributes);
  // Lets the file go, for others to open; Open takes it again.
  void Close() { _file.Close(); }
  // Deletes the opened file (read-only, hidden and system cleared first when
  // they stand in the way) and closes it. True when its name is gone.
  bool Delete();

private:
  bool Refuse(const char *why);
  CWideFile _file;
  std::wstring _literal;
  std::string _why, _shown;
  BY_HANDLE_FILE_INFORMATION _info = {};
};
