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

bool WriteProfileText(const std::string &file, const char *section, const char *key,
                      const std::string &value)
{
  return ::WritePrivateProfileStringA(section, key, value.c_str(), file.c_str()) != FALSE;
}
