#pragma once
#include <windows.h>
#include <string>
#include "Handle.h"

// Owner of a file handle. Every operation returns false on failure and leaves
// GetLastError() set; out-parameters are then left unchanged.
class CFile : CNonCopyable
{
  CHandle _handle;
public:
  bool Open(const char *path, DWORD access, DWORD share, DWORD disposition,
            DWORD flags = FILE_ATTRIBUTE_NORMAL);
  bool IsOpen() const { return _handle.IsValid(); }
  bool Close() { return _handle.Close(); }
  bool GetSize(unsigned long long &size) const;
  // `end`, when given, receives the position: the file's size.
  bool SeekToEnd(unsigned long long *end = nullptr);
  // Cuts the file at `size` and moves the position there.
  bool TruncateAt(unsigned long long size);
  // Reads up to `size` bytes; `read` receives the count (0 at end of file).
  bool Read(void *buffer, DWORD size, DWORD &read);
  // Writes all bytes or reports failure. A full disk may take part of them
  // first: the file then holds that part.
  bool WriteAll(const void *data, DWORD size);
  // Writes what the system still holds of the file to the disk.
  bool Flush() { return ::FlushFileBuffers(_handle.Get()) != FALSE; }
};
