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

void TQuarantineLedger::Load()
{
  if (_loaded)
    return;
  _loaded = true;
  ::CreateDirectoryA(_folder.c_str(), nullptr);
  CFindFile find;
  WIN32_FIND_DATAA data;
  for (bool found = find.FindFirst((_folder + "*").c_str(), data); found; found = find.FindNext(data))
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsQuarantineFolderName(data.cFileName))
    {
      const unsigned long long bytes = BytesIn(_folder + data.cFileName + "\\");
      _folders.push_back(TFolder{data.cFileName, bytes, false});
      _bytes += bytes;
    }
  std::sort(_folders.begin(), _folders.end(), [](const TFolder &a, const TFolder &b) { return a.Name < b.Name; });
}

bool TQuarantineLedger::RemoveOldestUnused()
{
  for (auto folder = _folders.begin(); folder != _folders.end(); ++folder)
    if (!folder->InUse)
    {
      // A folder that refuses removal still leaves the count, or this would
      // never end; the bound then holds again once it can be removed.
      RemoveFolder(_folder + folder->Name + "\\");
      _bytes -= std::min(_bytes, folder->Bytes);
      _folders.erase(folder);
      return true;
    }
  return false;
}

TQuarantineLedger::TFolder *TQuarantineLedger::Find(const std::string &path)
{
  for (TFolder &folder : _folders)
    if (_folder + folder.Name + "\\" == path)
      return &folder;
  return nullptr;
}

std::string TQuarantineLedger::StartFolder(const std::string &name)
{
  CLock lock(_section);
  Load();
  while (_folders.size() >= QuarantineFolderLimit && RemoveOldestUnused())
  {
  }
  // Two inspections of one drive can fall into the same second.
  for (int n = 1; n < 100; ++n)
  {
    const std::string candidate = name + (n == 1 ? "" : " (" + std::to_string(n) + ")");
    if (::CreateDirectoryA((_folder + candidate).c_str(), nullptr))
    {
      TFolder folder{candidate, 0, true};
      _folders.insert(std::upper_bound(_folders.begin(), _folders.end(), folder,
                                       [](const TFolder &a, const TFolder &b) { return a.Name < b.Name; }),
                      folder);
      return _folder + candidate + "\\";
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS)
      break;
  }
  return std::string();
}

void TQuarantineLedger::Release(const std::string &path)
{
  CLock lock(_section);
  if (TFolder *folder = Find(path))
    folder->InUse = false;
}

bool TQuarantineLedger::Reserve(const std::string &path, unsigned long long bytes, bool mayEvict)
{
  CLock lock(_section);
  Load();
  while (mayEvict && _bytes + bytes > QuarantineTotalLimit && RemoveOldestUnused())
  {
  }
  if (_bytes + bytes > QuarantineTotalLimit)
    return false;
  _bytes += bytes;
  if (TFolder *folder = Find(path))
    folder->Bytes += bytes;
  return true;
}

void TQuarantineLedger::Adjust(const std::string &path, long long bytes)
{
  CLock lock(_section);
  const unsigned long long magnitude = static_cast<unsigned long long>(bytes < 0 ? -bytes : bytes);
  TFolder *folder = Find(path);
  if (bytes < 0)
  {
    _bytes -= std::min(_bytes, magnitude);
    if (folder)
      folder->Bytes -= std::min(folder->Bytes, magnitude);
    return;
  }
  _bytes += magnitude;
  if (folder)
    folder->Bytes += magnitude;
}

unsigned long long TQuarantineLedger::Bytes()
{
  CLock lock(_section);
  Load();
  return _bytes;
}

TQuarantine::TQuarantine(const std::string &folder, const std::string &root, CWriteGate *gate,
                         TQuarantineLedger *ledger)
    : _folder(folder), _root(root), _gate(gate), _ledger(ledger)
{
  if (!_ledger || _ledger->Folder() != folder)
  {
    _ownLedger.reset(new TQuarantineLedger(folder));
    _ledger = _ownLedger.get();
  }
}

TQuarantine::~TQuarantine()
{
  if (!_current.empty())
    _ledger->Release(_current);
}

bool TQuarantine::Keep(TDriveFile &file, bool mayEvict)
{
  try
  {
    _whyNotKept.clear();
    // Copies switched off: the user chose deletion without them.
    if (_folder.empty())
      return true;
    const BY_HANDLE_FILE_INFORMATION &info = file.Info();
    // One inspection works on one drive: the file index tells its files apart.
    const unsigned long long identity = file.Index();
    for (const unsigned long long kept : _kept)
      if (identity && kept == identity)
        return true;
    if (!Open())
    {
      _whyNotKept = NotKept("no quarantine folder");
      return false;
    }
    const std::string copy = CopyOf(file, mayEvict);
    AddOrigin(file.Shown() + "\t" + std::to_string(file.Size()) + "\t" + AttributeLetters(info.dwFileAttributes) +
              "\t" + (copy.empty() ? _whyNotKept : copy));
    if (copy.empty())
      return false;
    _kept.push_back(identity);
    return true;
  }
  catch (...)
  {
    // Out of memory at worst: the file goes unkept.
    _whyNotKept = NotKept("out of memory");
    return false;
  }
}

void TQuarantine::NoteAttributes(const std::string &path, DWORD before, DWORD after)
{
  Note(path, before, "made visible: " + AttributeLetters(after));
}

void TQuarantine::NoteFolder(const std::string &path, DWORD attributes, const std::string &what)
{
  Note(path, attributes | FILE_ATTRIBUTE_DIRECTORY, what);
}

void TQuarantine::Note(const std::string &path, DWORD attributes, const std::string &what)
{
  try
  {
    if (_folder.empty() || !Open())
      return;
    AddOrigin(path + "\t" + ((attributes & FILE_ATTRIBUTE_DIRECTORY) ? "folder" : "file") + "\t" +
              AttributeLetters(attributes) + "\t" + what);
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
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  CWriteGatePass pass(_gate);
  _current = _ledger->StartFolder(QuarantineFolderName(now, _root));
  return !_current.empty();
}

std::string TQuarantine::CopyOf(TDriveFile &file, bool mayEvict)
{
  const unsigned long long size = file.Size();
  if (size > QuarantineFileLimit)
    return _whyNotKept = NotKept("larger than 16 MiB"), std::string();
  // The copy's name is the original's where it can stand as one; a character
  // the code page has no form for, or that no name may hold, becomes '_'.
  const std::string shown = ExtractFileName(file.Shown());
  std::string base;
  for (char c : shown)
    base += static_cast<unsigned char>(c) < 32 || std::string("\\/:*?\"<>|").find(c) != std::string::npos ? '_' : c;
  {
    CWriteGatePass pass(_gate);
    if (!_ledger->Reserve(_current, size, mayEvict))
      return _whyNotKept = NotKept("quarantine full"), std::string();
  }
  // Read outside the gate: a drive that stalls never holds it.
  std::vector<char> content;
  if (!file.ReadAll(content, size))
  {
    const DWORD error = ::GetLastError();
    _ledger->Adjust(_current, -static_cast<long long>(size));
    return _whyNotKept = error == ERROR_FILE_TOO_LARGE ? NotKept("changed while it was read")
                                                       : NotKept("cannot be read", error),
           std::string();
  }
  _ledger->Adjust(_current, static_cast<long long>(content.size()) - static_cast<long long>(size));

  CWriteGatePass pass(_gate);
  // Two files of one name (from two folders of the drive) get two copies.
  for (int n = 1; n < 100; ++n)
  {
    const std::string name = base + (n == 1 ? "" : " (" + std::to_string(n) + ")") + kCopyExtension;
    const std::string target = _current + name;
    if (target.size() >= MAX_PATH)
      break;
    CFile copy;
    if (!copy.Open(target.c_str(), GENERIC_WRITE, 0, CREATE_NEW))
    {
      const DWORD error = ::GetLastError();
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        continue;
      _ledger->Adjust(_current, -static_cast<long long>(content.size()));
      return _whyNotKept = NotKept("cannot be written", error), std::string();
    }
    if (!(content.empty() || copy.WriteAll(content.data(), static_cast<DWORD>(content.size()))) || !copy.Close())
    {
      const DWORD error = ::GetLastError();
      copy.Close();
      ::DeleteFileA(target.c_str());
      _ledger->Adjust(_current, -static_cast<long long>(content.size()));
      return _whyNotKept = NotKept("cannot be written", error), std::string();
    }
    return name;
  }
  _ledger->Adjust(_current, -static_cast<long long>(content.size()));
  return _whyNotKept = NotKept("name too long"), std::string();
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
    _ledger->Adjust(_current, static_cast<long long>(text.size()));
    _originEnd += text.size();
  }
  else
  {
    // A full disk may take the start of a line: it goes again, or the next
    // line would continue it.
    _origin.TruncateAt(_originEnd);
  }
}
