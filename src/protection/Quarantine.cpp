#include "Quarantine.h"
#include <stdio.h>
#include <algorithm>
#include "../platform/File.h"
#include "../platform/FileFind.h"
#include "../platform/PathText.h"
#include "../platform/Text.h"

namespace
{
const char kOriginFile[] = "Origin.txt";
const char kCopyExtension[] = ".quarantined";
const size_t kStampLength = 20; // "YYYY-MM-DD HH-MM-SS "
const size_t kLabelLimit = 64;
const DWORD kChunk = 64 * 1024;

unsigned long long SizeOf(const WIN32_FIND_DATAA &data)
{
  return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The folder's name of a root such as "\\server\share\" or "C:\Share", made
// safe for a file name; Windows drops trailing dots and blanks from names.
std::string LabelOf(const std::string &root)
{
  std::string path = root;
  while (!path.empty() && (path.back() == '\\' || path.back() == '/'))
    path.pop_back();
  if (path.size() == 2 && path[1] == ':')
    return path.substr(0, 1);
  std::string label = ExtractFileName(path).substr(0, kLabelLimit);
  for (char &c : label)
    if (static_cast<unsigned char>(c) < 32 || std::string("\\/:*?\"<>|").find(c) != std::string::npos)
      c = '_';
  if (label.empty() || label.back() == '.' || label.back() == ' ')
    label += '_';
  return label;
}

// Sum of the sizes of the files directly in `folder` (with a backslash).
unsigned long long BytesIn(const std::string &folder)
{
  unsigned long long bytes = 0;
  CFindFile find;
  WIN32_FIND_DATAA data;
  for (bool found = find.FindFirst((folder + "*").c_str(), data); found; found = find.FindNext(data))
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      bytes += SizeOf(data);
  return bytes;
}

void RemoveFolder(const std::string &folder)
{
  {
    CFindFile find;
    WIN32_FIND_DATAA data;
    for (bool found = find.FindFirst((folder + "*").c_str(), data); found; found = find.FindNext(data))
    {
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        continue;
      const std::string path = folder + data.cFileName;
      if (!::DeleteFileA(path.c_str()) && ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL))
        ::DeleteFileA(path.c_str());
    }
  }
  ::RemoveDirectoryA(folder.c_str());
}

std::string NotKept(const char *why, DWORD error = 0)
{
  std::string text = std::string("not kept: ") + why;
  if (error)
    text += " (error " + std::to_string(error) + ")";
  return text;
}
} // namespace

std::string QuarantineFolderName(const SYSTEMTIME &time, const std::string &root)
{
  char stamp[32];
  snprintf(stamp, sizeof(stamp), "%04u-%02u-%02u %02u-%02u-%02u ", time.wYear, time.wMonth, time.wDay, time.wHour,
           time.wMinute, time.wSecond);
  return stamp + LabelOf(root);
}

bool IsQuarantineFolderName(const std::string &name)
{
  const char shape[] = "0000-00-00 00-00-00 ";
  if (name.size() <= kStampLength)
    return false;
  for (size_t i = 0; i < kStampLength; ++i)
    if (shape[i] == '0' ? (name[i] < '0' || name[i] > '9') : name[i] != shape[i])
      return false;
  return true;
}

std::string AttributeLetters(DWORD attributes)
{
  std::string letters;
  if (attributes & FILE_ATTRIBUTE_READONLY)
    letters += 'R';
  if (attributes & FILE_ATTRIBUTE_HIDDEN)
    letters += 'H';
  if (attributes & FILE_ATTRIBUTE_SYSTEM)
    letters += 'S';
  if (attributes & FILE_ATTRIBUTE_ARCHIVE)
    letters += 'A';
  return letters.empty() ? "-" : letters;
}

TQuarantine::TQuarantine(const std::string &folder, const std::string &root, CWriteGate *gate)
    : _folder(folder), _root(root), _gate(gate)
{
}

void TQuarantine::Keep(const std::string &path, const WIN32_FIND_DATAA *found)
{
  try
  {
    if (_folder.empty())
      return;
    for (const std::string &kept : _kept)
      if (SameTextIgnoreCase(kept, path))
        return;
    _kept.push_back(path);
    WIN32_FIND_DATAA data;
    if (found)
      data = *found;
    else if (!CFindFile().FindFirst(path.c_str(), data))
      return;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !Open())
      return;
    const std::string original = DirectoryPartOf(path) + data.cFileName;
    AddOrigin(original + "\t" + std::to_string(SizeOf(data)) + "\t" + AttributeLetters(data.dwFileAttributes) +
              "\t" + CopyOf(original, data));
  }
  catch (...)
  {
    // Out of memory at worst: the file goes unkept, the deletion goes on.
  }
}

void TQuarantine::NoteAttributes(const std::string &path, DWORD before, DWORD after)
{
  try
  {
    if (_folder.empty() || !Open())
      return;
    AddOrigin(path + "\t" + ((before & FILE_ATTRIBUTE_DIRECTORY) ? "folder" : "file") + "\t" +
              AttributeLetters(before) + "\tmade visible: " + AttributeLetters(after));
  }
  catch (...)
  {
  }
}

bool TQuarantine::Open()
{
  if (_opened)
    return !_current.empty();
  _opened = true;
  CWriteGatePass pass(_gate);
  ::CreateDirectoryA(_folder.c_str(), nullptr);
  {
    CFindFile find;
    WIN32_FIND_DATAA data;
    for (bool found = find.FindFirst((_folder + "*").c_str(), data); found; found = find.FindNext(data))
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsQuarantineFolderName(data.cFileName))
      {
        const unsigned long long bytes = BytesIn(_folder + data.cFileName + "\\");
        _old.push_back(OldFolder{data.cFileName, bytes});
        _bytes += bytes;
      }
  }
  // The names begin with the time, so their order is the order of age.
  std::sort(_old.begin(), _old.end(), [](const OldFolder &a, const OldFolder &b) { return a.Name < b.Name; });
  while (_old.size() >= QuarantineFolderLimit)
    RemoveOldest();

  SYSTEMTIME now;
  ::GetLocalTime(&now);
  const std::string name = QuarantineFolderName(now, _root);
  // Two inspections of one drive can fall into the same second.
  for (int n = 1; n < 100; ++n)
  {
    const std::string candidate = _folder + name + (n == 1 ? "" : " (" + std::to_string(n) + ")") + "\\";
    if (::CreateDirectoryA(candidate.c_str(), nullptr))
    {
      _current = candidate;
      return true;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS)
      break;
  }
  return false;
}

void TQuarantine::RemoveOldest()
{
  // A folder that refuses removal still leaves the count, or this would
  // never end; the bound then holds again once it can be removed.
  RemoveFolder(_folder + _old.front().Name + "\\");
  _bytes -= std::min(_bytes, _old.front().Bytes);
  _old.erase(_old.begin());
}

bool TQuarantine::MakeRoomFor(unsigned long long bytes)
{
  while (_bytes + bytes > QuarantineTotalLimit && !_old.empty())
    RemoveOldest();
  return _bytes + bytes <= QuarantineTotalLimit;
}

std::string TQuarantine::CopyOf(const std::string &path, const WIN32_FIND_DATAA &data)
{
  const unsigned long long size = SizeOf(data);
  if (size > QuarantineFileLimit)
    return NotKept("larger than 16 MiB");
  const std::string name = std::string(data.cFileName) + kCopyExtension;
  const std::string target = _current + name;
  if (target.size() >= MAX_PATH)
    return NotKept("name too long");
  if (!MakeRoomFor(size))
    return NotKept("quarantine full");

  std::vector<char> content;
  {
    CFile source;
    if (!source.Open(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     OPEN_EXISTING))
      return NotKept("cannot be read", ::GetLastError());
    std::vector<char> buffer(kChunk);
    for (;;)
    {
      DWORD got = 0;
      if (!source.Read(buffer.data(), kChunk, got))
        return NotKept("cannot be read", ::GetLastError());
      if (got == 0)
        break;
      // The file may grow while it is read.
      if (content.size() + got > QuarantineFileLimit)
        return NotKept("larger than 16 MiB");
      content.insert(content.end(), buffer.begin(), buffer.begin() + got);
    }
  }
  CWriteGatePass pass(_gate);
  CFile copy;
  if (!copy.Open(target.c_str(), GENERIC_WRITE, 0, CREATE_NEW))
    return NotKept("cannot be written", ::GetLastError());
  if (!(content.empty() || copy.WriteAll(content.data(), static_cast<DWORD>(content.size()))) || !copy.Close())
  {
    const DWORD error = ::GetLastError();
    copy.Close();
    ::DeleteFileA(target.c_str());
    return NotKept("cannot be written", error);
  }
  _bytes += content.size();
  return name;
}

void TQuarantine::AddOrigin(const std::string &line)
{
  const std::string text = line + "\r\n";
  CWriteGatePass pass(_gate);
  // Opened once for the inspection: every line is appended at the end.
  if (!_origin.IsOpen() &&
      !(_origin.Open((_current + kOriginFile).c_str(), GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS) &&
        _origin.SeekToEnd(&_originEnd)))
  {
    _origin.Close();
    return;
  }
  if (_origin.WriteAll(text.data(), static_cast<DWORD>(text.size())))
  {
    _bytes += text.size();
    _originEnd += text.size();
  }
  else
  {
    // A full disk may take the start of a line: it goes again, or the next
    // line would continue it.
    _origin.TruncateAt(_originEnd);
  }
}
