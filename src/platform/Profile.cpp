#include "Profile.h"
#include <windows.h>
#include <algorithm>
#include "Text.h"

namespace
{
unsigned long long FileSize(const std::string &file)
{
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data))
    return 0;
  return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The buffer after one of `size` was too small, up to `limit`. Each call may
// parse the whole file again (Wine does for a file written in the last two
// seconds), so the next buffer is at least the file's size, which holds any
// text read from it, rather than one doubling after another.
size_t NextBufferSize(const std::string &file, size_t size, size_t limit)
{
  const unsigned long long wanted = std::max<unsigned long long>(size * 2ull, FileSize(file) + 2);
  return static_cast<size_t>(std::min<unsigned long long>(wanted, limit));
}
} // namespace

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
    buffer.assign(NextBufferSize(file, size, MaxProfileValueLength + 2), '\0');
  }
}

bool ReadProfileLines(const std::string &file, const char *section, std::vector<std::string> &lines)
{
  // A list that does not fit comes back cut, with size - 2 as its length.
  // The lines of a section hold no more than the file, and may hold more
  // than one value can.
  const size_t limit = 2 * (MaxProfileValueLength + 2);
  std::string buffer(NextBufferSize(file, 1024, limit), '\0');
  DWORD got = 0;
  for (;;)
  {
    const DWORD size = static_cast<DWORD>(buffer.size());
    got = section ? ::GetPrivateProfileSectionA(section, &buffer[0], size, file.c_str())
                  : ::GetPrivateProfileSectionNamesA(&buffer[0], size, file.c_str());
    if (got + 2 < size)
      break;
    if (size >= limit)
      return false;
    buffer.assign(NextBufferSize(file, size, limit), '\0');
  }
  lines.clear();
  for (size_t start = 0; start < got;)
  {
    const size_t end = buffer.find('\0', start);
    lines.push_back(buffer.substr(start, end - start));
    start = end + 1;
  }
  return true;
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
