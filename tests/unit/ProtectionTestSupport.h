#pragma once
// Helpers shared by the logger, menu-cache and drive-inspection tests: real
// files, real registry keys under HKCU, real message boxes.
#include <windows.h>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>
#include "common/Messages.h"
#include "platform/Registry.h"

namespace testsupport
{
// Registry seam hooks: one records every key path the code opens or deletes,
// the other refuses to delete a subkey named "Locked".
inline std::vector<std::string> &RecordedRegistryPaths()
{
  static std::vector<std::string> paths;
  return paths;
}
inline LONG RecordRegistryPaths(HKEY, const char *path, REGSAM)
{
  RecordedRegistryPaths().push_back(path ? path : "");
  return ERROR_SUCCESS;
}
inline LONG DenyDeletingLocked(HKEY, const char *path, REGSAM access)
{
  return access == DELETE && path && std::strcmp(path, "Locked") == 0 ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
}

const std::string kMountPoints2 = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MountPoints2\\";
const char kSevenTabs[] = "\t\t\t\t\t\t\t";

inline bool WriteTextFile(const std::string &path, const std::string &text, DWORD attributes = 0)
{
  ::SetFileAttributesA(path.c_str(), 0);
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                  written == text.size();
  ::CloseHandle(file);
  return ok && (attributes == 0 || ::SetFileAttributesA(path.c_str(), attributes));
}

inline std::string ReadFileBytes(const std::string &path)
{
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return std::string();
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  ::CloseHandle(file);
  return bytes;
}

inline bool PathExists(const std::string &path)
{
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Removes every file and empty folder directly in `folder` (ending with a backslash).
inline void EmptyFolder(const std::string &folder)
{
  WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA((folder + "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return;
  do
  {
    const std::string path = folder + data.cFileName;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      ::RemoveDirectoryA(path.c_str());
    else if (::SetFileAttributesA(path.c_str(), 0))
      ::DeleteFileA(path.c_str());
  } while (::FindNextFileA(find, &data));
  ::FindClose(find);
}

// The messages of a log file's entries, continuation lines un-indented and
// the final line end dropped.
inline std::vector<std::string> LogMessages(const std::string &log)
{
  std::vector<std::string> messages;
  size_t pos = 0;
  while (pos < log.size())
  {
    size_t end = log.find("\r\n", pos);
    if (end == std::string::npos)
      end = log.size();
    const std::string line = log.substr(pos, end - pos);
    pos = end + 2;
    if (line.compare(0, 7, kSevenTabs) == 0 && !messages.empty())
    {
      messages.back() += "\r\n" + line.substr(7);
      continue;
    }
    size_t tab = line.find('\t');
    for (int i = 0; i < 2 && tab != std::string::npos; ++i)
      tab = line.find('\t', tab + 1);
    messages.push_back(tab == std::string::npos ? "<malformed: " + line + ">" : line.substr(tab + 1));
  }
  return messages;
}

inline void DeleteKeyTree(HKEY parent, const std::string &path)
{
  HKEY key = nullptr;
  if (::RegOpenKeyExA(parent, path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS)
  {
    char name[256];
    DWORD length = sizeof(name);
    while (::RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
    {
      DeleteKeyTree(key, name);
      length = sizeof(name);
    }
    ::RegCloseKey(key);
  }
  ::RegDeleteKeyA(parent, path.c_str());
}

inline bool MakeKey(const std::string &path, const char *valueName = nullptr, const std::string &value = "")
{
  CKey key;
  if (key.Create(HKEY_CURRENT_USER, path.c_str(), KEY_ALL_ACCESS) != ERROR_SUCCESS)
    return false;
  return !valueName || key.SetValue(valueName, value) == ERROR_SUCCESS;
}

inline bool KeyExists(const std::string &path)
{
  CKey key;
  return key.Open(HKEY_CURRENT_USER, path.c_str(), KEY_READ) == ERROR_SUCCESS;
}

// Number of direct subkeys; -1 when the key cannot be opened.
inline int SubKeyCount(const std::string &path)
{
  CKey key;
  DWORD count = 0, longest = 0;
  if (key.Open(HKEY_CURRENT_USER, path.c_str(), KEY_READ) != ERROR_SUCCESS ||
      key.QuerySubKeyInfo(count, longest) != ERROR_SUCCESS)
    return -1;
  return static_cast<int>(count);
}

inline std::string ReadValue(const std::string &path, const char *name)
{
  CKey key;
  std::string value;
  if (key.Open(HKEY_CURRENT_USER, path.c_str(), KEY_READ) == ERROR_SUCCESS)
    key.QueryValue(name, value);
  return value;
}

// Answers the program's warning boxes as a user would: finds each one, reads
// its text and presses OK. Runs until Stop(), which gives the texts seen.
class BoxWatcher
{
public:
  BoxWatcher() : _thread([this] { Run(); }) {}
  ~BoxWatcher() { Stop(); }
  std::vector<std::string> Stop()
  {
    _stop = true;
    if (_thread.joinable())
      _thread.join();
    return _texts;
  }

private:
  void Run()
  {
    while (!_stop)
    {
      HWND box = ::FindWindowA("#32770", ProductTitle);
      if (!box || !::IsWindowVisible(box))
      {
        ::Sleep(10);
        continue;
      }
      char text[4096] = "";
      ::GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
      _texts.push_back(text);
      ::SendMessageA(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
      while (::IsWindow(box) && !_stop)
        ::Sleep(10);
    }
  }
  std::atomic<bool> _stop{false};
  std::vector<std::string> _texts;
  std::thread _thread;
};
}
