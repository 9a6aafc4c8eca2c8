#include "Profile.h"
#include <windows.h>

std::string ReadProfileText(const std::string &file, const char *section, const char *key,
                            const char *defaultValue)
{
  // The profile call gives back size - 1 characters when the value was cut,
  // which is also what a value of exactly that length gives: only a larger
  // buffer tells the two apart.
  std::string buffer(2048, '\0');
  for (;;)
  {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD got = ::GetPrivateProfileStringA(section, key, defaultValue, &buffer[0], size, file.c_str());
    if (got + 1 < size)
    {
      buffer.resize(got);
      return buffer;
    }
    if (size >= (1u << 26))
    {
      buffer.resize(got);
      return buffer;
    }
    buffer.assign(static_cast<size_t>(size) * 2, '\0');
  }
}

static std::wstring Widen(const std::string &text)
{
  const int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  if (size > 0)
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
  return wide;
}

bool WriteProfileText(const std::string &file, const char *section, const char *key,
                      const std::string &value)
{
  // The ANSI call passes its texts through counted strings of at most 64 KiB
  // and silently writes a long value cut (modulo that size, under Wine). Long
  // values go through the wide call, converted from the ANSI code page.
  const size_t ansiLimit = 0x7FFF;
  if (value.size() < ansiLimit)
    return ::WritePrivateProfileStringA(section, key, value.c_str(), file.c_str()) != FALSE;
  return ::WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(value).c_str(),
                                      Widen(file).c_str()) != FALSE;
}
