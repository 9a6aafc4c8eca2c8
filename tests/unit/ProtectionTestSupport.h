#pragma once
// Helpers shared by the logger, menu-cache and drive-inspection tests: real
// files, real registry keys under HKCU, real message boxes.
#include <windows.h>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>
#include "WorkFiles.h"
#include "common/Messages.h"
#include "platform/FileFind.h"
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

inline bool PathExists(const std::string &path)
{
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Removes every file and empty folder directly in `folder` (ending with a backslash).
inline void EmptyFolder(const std::string &folder)
{
  CFindFile find;
  WIN32_FIND_DATAA data;
  for (bool found = find.FindFirst((folder + "*").c_str(), data); found; found = find.FindNext(data))
  {
    const std::string path = folder + data.cFileName;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      ::RemoveDirectoryA(path.c_str());
    else if (::SetFileAttributesA(path.c_str(), 0))
      ::DeleteFileA(path.c_str());
  }
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

// Deletes `name` below `parent` with every key under it.
inline bool DeleteKeyTree(CKey &parent, const std::string &name)
{
  CKey key;
  DWORD count = 0, longest = 0;
  std::string child;
  if (key.Open(parent.Get(), name.c_str(), KEY_ALL_ACCESS) == ERROR_SUCCESS &&
      key.QuerySubKeyInfo(count, longest) == ERROR_SUCCESS)
    while (key.EnumSubKey(0, longest, child) == ERROR_SUCCESS)
      if (!DeleteKeyTree(key, child))
        break;
  key.Close();
  return parent.DeleteSubKey(name.c_str()) == ERROR_SUCCESS;
}

inline void DeleteKeyTree(const std::string &path)
{
  CKey user;
  if (user.Open(HKEY_CURRENT_USER, "", KEY_ALL_ACCESS) == ERROR_SUCCESS)
    DeleteKeyTree(user, path);
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
  explicit BoxWatcher(const std::string &caption = ProductTitle) : _caption(caption), _thread([this] { Run(); }) {}
  ~BoxWatcher() { Stop(); }
  size_t Seen() const { return _seen; }
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
      HWND box = ::FindWindowA("#32770", _caption.c_str());
      if (!box || !::IsWindowVisible(box))
      {
        ::Sleep(10);
        continue;
      }
      char text[4096] = "";
      ::GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
      _texts.push_back(text);
      ++_seen;
      ::SendMessageA(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
      while (::IsWindow(box) && !_stop)
        ::Sleep(10);
    }
  }
  const std::string _caption;
  std::atomic<bool> _stop{false};
  std::atomic<size_t> _seen{0};
  std::vector<std::string> _texts;
  std::thread _thread;
};
}
