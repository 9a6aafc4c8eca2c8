#pragma once
#include <windows.h>
#include <string>
#include "platform/File.h"

// Scratch files of a test, in C:\tests\work of the test's own Wine prefix.
inline std::string WorkPath(const std::string &name)
{
  ::CreateDirectoryA("C:\\tests\\work", nullptr);
  return "C:\\tests\\work\\" + name;
}

// Replaces the file's content, then gives it `attributes` (0 keeps the
// normal ones). The attributes of an earlier write would refuse the rewrite.
inline bool WriteBytes(const std::string &path, const std::string &bytes, DWORD attributes = 0)
{
  ::SetFileAttributesA(path.c_str(), 0);
  CFile file;
  if (!file.Open(path.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS) ||
      !file.WriteAll(bytes.data(), static_cast<DWORD>(bytes.size())) || !file.Close())
    return false;
  return attributes == 0 || ::SetFileAttributesA(path.c_str(), attributes);
}

// The whole file, even while the program holds it open for writing; empty
// when there is none, as for a log that nothing was written to yet.
inline std::string ReadBytes(const std::string &path)
{
  CFile file;
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  if (file.Open(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING))
    while (file.Read(buffer, sizeof buffer, got) && got > 0)
      bytes.append(buffer, got);
  return bytes;
}
