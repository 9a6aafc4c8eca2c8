#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "Handle.h"

// Files named by their UTF-16 names as the file system has them. A listing
// through the ANSI functions hands back names converted to the code page,
// where a character without a form there comes back as its best fit (a
// full-width backslash as a real one) or as '?': such a name, used again,
// names another file or none. Paths here take the "\\?\" form, under which
// the system takes every name literally: no device names, no trailing dots
// or blanks dropped, no "." or ".." folded.

// "\\?\" + `path`; a UNC path \\server\share\... becomes "\\?\UNC\server\share\...".
std::wstring LiteralPath(const std::wstring &path);

// Owner of a FindFirstFileW enumeration.
class CWideFind : CNonCopyable
{
  HANDLE _handle = INVALID_HANDLE_VALUE;
public:
  CWideFind() = default;
  ~CWideFind() { Close(); }
  bool FindFirst(const std::wstring &pattern, WIN32_FIND_DATAW &data);
  bool FindNext(WIN32_FIND_DATAW &data);
  bool Close();
};

// Owner of one file opened by its literal path, its link itself and never
// what a link points to. What is checked through it and what is read,
// changed or deleted through it are the same file, whatever happens to its
// name meanwhile.
class CWideFile : CNonCopyable
{
  CHandle _handle;
public:
  // Opens for reading and, unless `readOnly`, changing attributes and
  // deleting, sharing everything; `folders` lets it open a folder too.
  bool Open(const std::wstring &literalPath, bool folders = false, bool readOnly = false);
  bool IsOpen() const { return _handle.IsValid(); }
  HANDLE Get() const { return _handle.Get(); }
  bool Close() { return _handle.Close(); }
  // FILE_TYPE_DISK for a file on a disk, others for devices and pipes.
  DWORD Type() const { return ::GetFileType(_handle.Get()); }
  // Attributes and size; the link count, the file index and the volume's
  // serial number are left 0.
  bool Information(BY_HANDLE_FILE_INFORMATION &info) const;
  // The number the file system tells its files apart by on one volume.
  bool Index(unsigned long long &index) const;
  // The path the system reached the file by, with every link followed, in
  // the drive-letter form ("\\?\" dropped). False where the system cannot
  // say (before Windows Vista).
  bool FinalPath(std::wstring &path) const;
  // Reads the whole file; false when it holds more than `limit` bytes.
  bool ReadAll(std::vector<char> &content, size_t limit);
  // Sets the attributes (FILE_ATTRIBUTE_NORMAL for none).
  bool SetAttributes(DWORD attributes);
  // Marks the file for deletion: it goes when the last handle closes.
  bool MarkForDeletion();
};
