#pragma once
#include <windows.h>
#include "NonCopyable.h"

// Owner of a kernel handle that CloseHandle releases (mutex, file, event).
// Holds either a valid handle or nullptr; INVALID_HANDLE_VALUE is stored as nullptr.
class CHandle : CNonCopyable
{
  HANDLE _handle = nullptr;
public:
  CHandle() = default;
  explicit CHandle(HANDLE h) { Attach(h); }
  ~CHandle() { Close(); }
  void Attach(HANDLE h)
  {
    Close();
    _handle = (h == INVALID_HANDLE_VALUE) ? nullptr : h;
  }
  HANDLE Detach() { HANDLE h = _handle; _handle = nullptr; return h; }
  HANDLE Get() const { return _handle; }
  bool IsValid() const { return _handle != nullptr; }
  bool Close()
  {
    if (!_handle)
      return true;
    const BOOL ok = ::CloseHandle(_handle);
    _handle = nullptr;
    return ok != FALSE;
  }
};
