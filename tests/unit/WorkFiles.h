#pragma once
#include <windows.h>
#include <string>

// Scratch files of a test, in C:\tests\work of the test's own Wine prefix.
inline std::string WorkPath(const std::string &name)
{
  ::CreateDirectoryA("C:\\tests\\work", nullptr);
  return "C:\\tests\\work\\" + name;
}

inline bool WriteBytes(const std::string &path, const std::string &bytes)
{
  const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok && written == bytes.size();
}

// The whole file, or "<missing>" when it cannot be opened.
inline std::string ReadBytes(const std::string &path)
{
  const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return "<missing>";
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  ::CloseHandle(file);
  return bytes;
}
