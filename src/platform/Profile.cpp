#include "Profile.h"
#include <windows.h>
#include "Text.h"

bool ReadProfileText(const std::string &file, const char *section, const char *key, std::string &value,
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
    const bool whole = got + 1 < size;
    if (whole || size > MaxProfileValueLength)
    {
      buffer.resize(whole ? got : MaxProfileValueLength);
      value = buffer;
      return whole;
    }
    buffer.assign(static_cast<size_t>(size) * 2, '\0');
  }
}

namespace
{
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The profile reader drops blanks and TABs at both ends of a value, and then
// one pair of equal quotes (single or double) around what is left. A value
// that would lose anything that way goes inside one pair of double quotes,
// which the reader takes off again.
bool NeedsQuotes(const std::string &value)
{
  if (value.empty())
    return false;
  if (IsBlank(value.front()) || IsBlank(value.back()))
    return true;
  return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
}
}

bool WriteProfileText(const std::string &file, const char *section, const char *key,
                      const std::string &value)
{
  const std::string stored = NeedsQuotes(value) ? '"' + value + '"' : value;
  // The ANSI call passes its texts through counted strings of at most 64 KiB
  // and silently writes a long value cut (modulo that size, under Wine). Long
  // values go through the wide call, converted from the ANSI code page.
  const size_t ansiLimit = 0x7FFF;
  if (stored.size() < ansiLimit)
    return ::WritePrivateProfileStringA(section, key, stored.c_str(), file.c_str()) != FALSE;
  return ::WritePrivateProfileStringW(ToWide(section).c_str(), ToWide(key).c_str(), ToWide(stored).c_str(),
                                      ToWide(file).c_str()) != FALSE;
}
