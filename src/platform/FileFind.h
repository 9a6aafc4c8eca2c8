#pragma once
#include <windows.h>
#include "NonCopyable.h"

// Owner of a FindFirstFileA enumeration. On failure of FindFirst or FindNext
// the WIN32_FIND_DATAA out-parameter is left in an unspecified state and
// GetLastError() tells why (ERROR_FILE_NOT_FOUND, ERROR_NO_MORE_FILES, ...).
class CFindFile : CNonCopyable
{
  HANDLE _handle = INVALID_HANDLE_VALUE;
public:
  CFindFile() = default;
  ~CFindFile() { Close(); }
  bool FindFirst(const char *pattern, WIN32_FIND_DATAA &data)
  {
    Close();
    _handle = ::FindFirstFileA(pattern, &data);
    return _handle != INVALID_HANDLE_VALUE;
  }
  bool FindNext(WIN32_FIND_DATAA &data)
  {
    return _handle != INVALID_HANDLE_VALUE && ::FindNextFileA(_handle, &data) != FALSE;
  }
  bool Close()
  {
    if (_handle == INVALID_HANDLE_VALUE)
      return true;
    const BOOL ok = ::FindClose(_handle);
    _handle = INVALID_HANDLE_VALUE;
    return ok != FALSE;
  }
};
