#include "Registry.h"

LONG CKey::Denied(HKEY parent, const char *path, REGSAM access) const
{
  return _deny ? _deny(parent, path, access) : ERROR_SUCCESS;
}

LONG CKey::Open(HKEY parent, const char *path, REGSAM access)
{
  Close();
  LONG res = Denied(parent, path, access);
  if (res != ERROR_SUCCESS)
    return res;
  HKEY key = nullptr;
  res = ::RegOpenKeyExA(parent, path, 0, access, &key);
  if (res == ERROR_SUCCESS)
  {
    _key = key;
    _parent = parent;
  }
  return res;
}

LONG CKey::Create(HKEY parent, const char *path, REGSAM access)
{
  Close();
  LONG res = Denied(parent, path, access);
  if (res != ERROR_SUCCESS)
    return res;
  HKEY key = nullptr;
  res = ::RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                          nullptr);
  if (res == ERROR_SUCCESS)
  {
    _key = key;
    _parent = parent;
  }
  return res;
}

LONG CKey::Close()
{
  if (!_key)
    return ERROR_SUCCESS;
  const LONG res = ::RegCloseKey(_key);
  _key = nullptr;
  _parent = nullptr;
  return res;
}

LONG CKey::QueryValue(const char *name, DWORD &value) const
{
  DWORD type = 0, data = 0, size = sizeof(data);
  const LONG res = ::RegQueryValueExA(_key, name, nullptr, &type, reinterpret_cast<BYTE *>(&data), &size);
  if (res != ERROR_SUCCESS)
    return res;
  if (type != REG_DWORD || size != sizeof(data))
    return ERROR_INVALID_DATA;
  value = data;
  return ERROR_SUCCESS;
}

LONG CKey::QueryValue(const char *name, std::string &value) const
{
  DWORD type = 0, size = 0;
  LONG res = ::RegQueryValueExA(_key, name, nullptr, &type, nullptr, &size);
  if (res != ERROR_SUCCESS)
    return res;
  if (type != REG_SZ && type != REG_EXPAND_SZ)
    return ERROR_INVALID_DATA;
  // One spare byte: a stored string need not carry its terminator.
  std::string buffer(size + 1, '\0');
  DWORD got = size;
  res = ::RegQueryValueExA(_key, name, nullptr, &type, reinterpret_cast<BYTE *>(&buffer[0]), &got);
  if (res != ERROR_SUCCESS)
    return res;
  if (type != REG_SZ && type != REG_EXPAND_SZ)
    return ERROR_INVALID_DATA;
  buffer.resize(got);
  const size_t nul = buffer.find('\0');
  if (nul != std::string::npos)
    buffer.resize(nul);
  value = buffer;
  return ERROR_SUCCESS;
}

bool CKey::HasValue(const char *name) const
{
  return ::RegQueryValueExA(_key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

LONG CKey::SetValue(const char *name, DWORD value)
{
  const LONG res = Denied(_parent, name, KEY_SET_VALUE);
  if (res != ERROR_SUCCESS)
    return res;
  return ::RegSetValueExA(_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof(value));
}

LONG CKey::SetValue(const char *name, const std::string &value)
{
  const LONG res = Denied(_parent, name, KEY_SET_VALUE);
  if (res != ERROR_SUCCESS)
    return res;
  return ::RegSetValueExA(_key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

LONG CKey::DeleteValue(const char *name)
{
  const LONG res = Denied(_parent, name, KEY_SET_VALUE);
  if (res != ERROR_SUCCESS)
    return res;
  return ::RegDeleteValueA(_key, name);
}

LONG CKey::QuerySubKeyInfo(DWORD &count, DWORD &maxNameLength) const
{
  DWORD subKeys = 0, maxLen = 0;
  const LONG res = ::RegQueryInfoKeyA(_key, nullptr, nullptr, nullptr, &subKeys, &maxLen, nullptr,
                                      nullptr, nullptr, nullptr, nullptr, nullptr);
  if (res != ERROR_SUCCESS)
    return res;
  count = subKeys;
  maxNameLength = maxLen;
  return ERROR_SUCCESS;
}

LONG CKey::EnumSubKey(DWORD index, DWORD maxNameLength, std::string &name) const
{
  std::string buffer(maxNameLength + 1, '\0');
  DWORD len = maxNameLength + 1;
  const LONG res = ::RegEnumKeyExA(_key, index, &buffer[0], &len, nullptr, nullptr, nullptr, nullptr);
  if (res != ERROR_SUCCESS)
    return res;
  buffer.resize(len);
  name = buffer;
  return ERROR_SUCCESS;
}

LONG CKey::DeleteSubKey(const char *name)
{
  const LONG res = Denied(_key, name, DELETE);
  if (res != ERROR_SUCCESS)
    return res;
  return ::RegDeleteKeyA(_key, name);
}
