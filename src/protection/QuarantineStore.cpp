#include "QuarantineStore.h"
#include <string.h>
#include <algorithm>
#include "../platform/File.h"
#include "../platform/FileFind.h"
#include "../platform/PathText.h"
#include "Quarantine.h"

namespace
{
const char kOriginFile[] = "Origin.txt";
const char kCopyExtension[] = ".quarantined";
const char kRestored[] = "restored: ";
const char kHiddenAgain[] = "hidden again: ";
const char kMadeVisible[] = "made visible: ";
const char kNotKept[] = "not kept: ";
// Far beyond what 100 cleanings write; a larger file is read this far.
const DWORD kOriginReadLimit = 4u << 20;
const DWORD kShownBits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool StartsWith(const std::string &text, const char *prefix)
{
  return text.compare(0, strlen(prefix), prefix) == 0;
}

std::vector<std::string> Split(const std::string &text, char separator)
{
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
    parts.push_back(text.substr(start, at - start));
  parts.push_back(text.substr(start));
  return parts;
}

bool ParseSize(const std::string &text, unsigned long long &size)
{
  if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  size = std::stoull(text);
  return true;
}

// A copy's name as the quarantine gives it: a plain name in its sub-folder.
bool IsCopyName(const std::string &name)
{
  const size_t extension = sizeof(kCopyExtension) - 1;
  return name.size() > extension && name.compare(name.size() - extension, extension, kCopyExtension) == 0 &&
         name.find_first_of("\\/:") == std::string::npos && name.find("..") == std::string::npos;
}

bool IsFile(const std::string &path)
{
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadOrigin(const std::string &path)
{
  CFile file;
  std::string text;
  if (!file.Open(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING))
    return text;
  char buffer[16384];
  DWORD read = 0;
  while (text.size() < kOriginReadLimit && file.Read(buffer, sizeof(buffer), read) && read > 0)
    text.append(buffer, read);
  return text;
}

// One line of a cleaning's Origin.txt: a new entry, or a note that changes one
// of `entries` (those of the same cleaning). False for a line of neither kind.
bool TakeLine(const std::vector<std::string> &fields, TQuarantineEntry &entry, std::vector<TQuarantineEntry> &entries)
{
  if (fields.size() != 4 || fields[0].empty())
    return false;
  const std::string &path = fields[0], &what = fields[3];
  if (StartsWith(what, kRestored))
  {
    const std::string copy = what.substr(sizeof(kRestored) - 1);
    for (auto earlier = entries.rbegin(); earlier != entries.rend(); ++earlier)
      if (earlier->Deed == qdCopyKept && earlier->Copy == copy)
        return earlier->RestoredTo = path, false;
    return false;
  }
  if (StartsWith(what, kHiddenAgain))
  {
    for (auto earlier = entries.rbegin(); earlier != entries.rend(); ++earlier)
      if (earlier->Deed == qdMadeVisible && earlier->Path == path)
        return earlier->HiddenAgain = true, false;
    return false;
  }
  entry.Path = path;
  if (!ParseAttributeLetters(fields[2], entry.Attributes))
    return false;
  if (StartsWith(what, kMadeVisible))
  {
    entry.Deed = qdMadeVisible;
    entry.IsFolder = fields[1] == "folder";
    return (entry.IsFolder || fields[1] == "file") &&
           ParseAttributeLetters(what.substr(sizeof(kMadeVisible) - 1), entry.VisibleAttributes);
  }
  if (!ParseSize(fields[1], entry.Size))
    return false;
  if (StartsWith(what, kNotKept))
  {
    entry.Deed = qdNotKept;
    entry.WhyNotKept = what.substr(sizeof(kNotKept) - 1);
    return true;
  }
  if (!IsCopyName(what))
    return false;
  entry.Deed = qdCopyKept;
  entry.Copy = what;
  entry.CopyPresent = IsFile(entry.Folder + what);
  return true;
}

DWORD AddOriginLine(const std::string &folder, const std::string &line)
{
  const std::string path = folder + kOriginFile;
  // A last line cut short by a full disk is ended first.
  const std::string before = ReadOrigin(path);
  const std::string text = (before.empty() || before.back() == '\n' ? "" : "\r\n") + line + "\r\n";
  CFile origin;
  if (!origin.Open(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS) || !origin.SeekToEnd() ||
      !origin.WriteAll(text.data(), static_cast<DWORD>(text.size())) || !origin.Close())
    return ::GetLastError();
  return 0;
}

DWORD ReadWhole(const std::string &path, std::vector<char> &content)
{
  CFile file;
  unsigned long long size = 0;
  if (!file.Open(path.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING) || !file.GetSize(size))
    return ::GetLastError();
  if (size > QuarantineFileLimit)
    return ERROR_FILE_TOO_LARGE;
  content.resize(static_cast<size_t>(size));
  DWORD read = 0, total = 0;
  while (total < content.size() && file.Read(content.data() + total, static_cast<DWORD>(content.size() - total), read) &&
         read > 0)
    total += read;
  return total == content.size() ? 0 : ERROR_READ_FAULT;
}
} // namespace

bool ParseAttributeLetters(const std::string &letters, DWORD &attributes)
{
  if (letters == "-")
    return attributes = 0, true;
  const char order[] = "RHSA";
  const DWORD bits[] = {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_ARCHIVE};
  DWORD parsed = 0;
  size_t next = 0;
  for (char c : letters)
  {
    const char *at = strchr(order + next, c);
    if (!c || !at)
      return false;
    next = static_cast<size_t>(at - order) + 1;
    parsed |= bits[at - order];
  }
  if (letters.empty())
    return false;
  attributes = parsed;
  return true;
}

std::vector<TQuarantineEntry> ReadQuarantine(const std::string &folder)
{
  std::vector<std::string> cleanings;
  {
    CFindFile find;
    WIN32_FIND_DATAA data;
    for (bool found = find.FindFirst((folder + "*").c_str(), data); found; found = find.FindNext(data))
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsQuarantineFolderName(data.cFileName))
        cleanings.push_back(data.cFileName);
  }
  std::sort(cleanings.rbegin(), cleanings.rend());
  std::vector<TQuarantineEntry> all;
  for (const std::string &name : cleanings)
  {
    TQuarantineEntry blank;
    blank.Folder = folder + name + "\\";
    blank.When = name.substr(0, 19);
    blank.When[13] = blank.When[16] = ':';
    std::vector<TQuarantineEntry> entries;
    for (std::string line : Split(ReadOrigin(blank.Folder + kOriginFile), '\n'))
    {
      if (!line.empty() && line.back() == '\r')
        line.pop_back();
      TQuarantineEntry entry = blank;
      if (TakeLine(Split(line, '\t'), entry, entries))
        entries.push_back(entry);
    }
    all.insert(all.end(), entries.begin(), entries.end());
  }
  return all;
}

std::string RestoreTargetFree(const TQuarantineEntry &entry)
{
  const std::string folder = DirectoryPartOf(entry.Path);
  const DWORD attributes = ::GetFileAttributesA(folder.c_str());
  if (folder.size() < 3 || attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::string();
  if (::GetFileAttributesA(entry.Path.c_str()) != INVALID_FILE_ATTRIBUTES ||
      ::GetLastError() != ERROR_FILE_NOT_FOUND)
    return std::string();
  return entry.Path;
}

DWORD RestoreCopy(const TQuarantineEntry &entry, const std::string &target)
{
  if (entry.Deed != qdCopyKept)
    return ERROR_INVALID_FUNCTION;
  std::vector<char> content;
  if (const DWORD error = ReadWhole(entry.Folder + entry.Copy, content))
    return error;
  {
    CFile file;
    if (!file.Open(target.c_str(), GENERIC_WRITE, 0, CREATE_NEW))
      return ::GetLastError();
    if (!(content.empty() || file.WriteAll(content.data(), static_cast<DWORD>(content.size()))) || !file.Close())
    {
      const DWORD error = ::GetLastError();
      file.Close();
      ::DeleteFileA(target.c_str());
      return error;
    }
  }
  if (entry.Attributes && !::SetFileAttributesA(target.c_str(), entry.Attributes))
    return ::GetLastError();
  return AddOriginLine(entry.Folder, target + "\t" + std::to_string(content.size()) + "\t" +
                                         AttributeLetters(entry.Attributes) + "\t" + kRestored + entry.Copy);
}

DWORD HideAgain(const TQuarantineEntry &entry)
{
  if (entry.Deed != qdMadeVisible)
    return ERROR_INVALID_FUNCTION;
  const DWORD now = ::GetFileAttributesA(entry.Path.c_str());
  if (now == INVALID_FILE_ATTRIBUTES)
    return ::GetLastError();
  if (((now & FILE_ATTRIBUTE_DIRECTORY) != 0) != entry.IsFolder ||
      (now & kShownBits) != (entry.VisibleAttributes & kShownBits))
    return ERROR_FILE_EXISTS;
  const DWORD hidden = (now & ~kShownBits) | (entry.Attributes & kShownBits);
  if (!::SetFileAttributesA(entry.Path.c_str(), hidden & ~FILE_ATTRIBUTE_DIRECTORY))
    return ::GetLastError();
  return AddOriginLine(entry.Folder, entry.Path + "\t" + (entry.IsFolder ? "folder" : "file") + "\t" +
                                         AttributeLetters(hidden) + "\t" + kHiddenAgain +
                                         AttributeLetters(entry.Attributes));
}

DWORD DeleteCopy(const TQuarantineEntry &entry)
{
  if (entry.Deed != qdCopyKept)
    return ERROR_INVALID_FUNCTION;
  const std::string copy = entry.Folder + entry.Copy;
  if (::DeleteFileA(copy.c_str()))
    return 0;
  if (::GetLastError() == ERROR_ACCESS_DENIED && ::SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL) &&
      ::DeleteFileA(copy.c_str()))
    return 0;
  return ::GetLastError();
}
