#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "NonCopyable.h"

// Seam for the one condition Wine cannot produce: as root every key opens with
// full access. A test hands a key a hook that answers ERROR_ACCESS_DENIED for
// the keys it names; production gives none and every call goes straight to
// the registry. The hook sees the root key, the path below it and the access
// wanted, KEY_WOW64_64KEY included; a subkey's delete is asked for as access
// DELETE with the open key and the subkey's name, a value's write or delete as
// access KEY_SET_VALUE with the key this one was opened under and the value's
// name.
using RegistryDenyHook = LONG (*)(HKEY parent, const char *path, REGSAM access);

// Owner of an open registry key. Every call returns the Win32 result
// (ERROR_SUCCESS on success). On failure an out-parameter is left unchanged.
// Reads check the value's type and size, so a REG_BINARY of four bytes is not
// taken for a DWORD, and a string without its terminator is still read whole.
class CKey : CNonCopyable
{
  HKEY _key = nullptr;
  // What the key was opened under, for the seam's view of value writes.
  HKEY _parent = nullptr;
  RegistryDenyHook _deny = nullptr;
  LONG Denied(HKEY parent, const char *path, REGSAM access) const;
public:
  // `deny` is the seam above; subkeys opened through this one's functions get it too.
  explicit CKey(RegistryDenyHook deny = nullptr) : _deny(deny) {}
  ~CKey() { Close(); }
  RegistryDenyHook DenyHook() const { return _deny; }
  HKEY Get() const { return _key; }
  bool IsOpen() const { return _key != nullptr; }

  LONG Open(HKEY parent, const char *path, REGSAM access);
  LONG Create(HKEY parent, const char *path, REGSAM access);
  LONG Close();

  LONG QueryValue(const char *name, DWORD &value) const;
  LONG QueryValue(const char *name, std::string &value) const;
  // Whether the value exists, of any type.
  bool HasValue(const char *name) const;
  LONG SetValue(const char *name, DWORD value);
  LONG SetValue(const char *name, const std::string &value);
  LONG DeleteValue(const char *name);

  LONG QuerySubKeyInfo(DWORD &count, DWORD &maxNameLength) const;
  // Name of the subkey at `index`; ERROR_NO_MORE_ITEMS past the last one.
  LONG EnumSubKey(DWORD index, DWORD maxNameLength, std::string &name) const;
  LONG DeleteSubKey(const char *name);
};
