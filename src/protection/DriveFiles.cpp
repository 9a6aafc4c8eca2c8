#include "DriveFiles.h"
#include "../platform/Text.h"

namespace
{
const wchar_t *const kDeviceNames[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};

bool SameWideIgnoreCase(const std::wstring &a, const std::wstring &b)
{
  return ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::wstring WithBackslash(const std::wstring &folder)
{
  return !folder.empty() && folder.back() == L'\\' ? folder : folder + L'\\';
}

// The path the system gives for the root itself, with a backslash. One
// check asks it for every file it touches: the last answer is kept for its
// thread a moment, as a root does not move within one check.
bool RootFinalPath(const std::wstring &root, std::wstring &final)
{
  struct TCached
  {
    std::wstring Root, Final;
    DWORD At = 0;
  };
  thread_local TCached cached;
  const DWORD now = ::GetTickCount();
  if (!cached.Root.empty() && cached.Root == root && now - cached.At < 2000)
  {
    final = cached.Final;
    return true;
  }
  CWideFile folder;
  if (!folder.Open(LiteralPath(root), true, true) || !folder.FinalPath(final))
    return false;
  final = WithBackslash(final);
  cached = TCached{root, final, now};
  return true;
}

// `path` with the blanks and dots that end any of its names dropped. Wine
// gives the path of a file named so (" ", "x.") that way.
std::wstring WithoutEndingBlanksAndDots(const std::wstring &path)
{
  std::wstring result;
  for (wchar_t c : path)
  {
    if (c == L'\\')
      while (!result.empty() && (result.back() == L' ' || result.back() == L'.'))
        result.pop_back();
    result += c;
  }
  while (!result.empty() && (result.back() == L' ' || result.back() == L'.'))
    result.pop_back();
  return result;
}

// True when `path` opens the very file `file` is (a link to it reached it).
bool IsSameFile(const std::wstring &path, const CWideFile &file)
{
  CWideFile other;
  unsigned long long otherIndex = 0, index = 0;
  return other.Open(LiteralPath(path), true, true) && other.Index(otherIndex) && file.Index(index) &&
         index != 0 && otherIndex == index;
}

std::vector<std::wstring> PartsOf(const std::wstring &relative)
{
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (;;)
  {
    const size_t end = relative.find(L'\\', start);
    parts.push_back(relative.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
    if (end == std::wstring::npos)
      return parts;
    start = end + 1;
  }
}
} // namespace

std::string ShownName(const std::wstring &name)
{
  std::string exact;
  if (ToAnsiExact(name.data(), name.size(), exact) && ToWide(exact) == name)
    return exact;
  std::string shown;
  for (wchar_t c : name)
  {
    std::string one;
    shown += ToAnsiExact(&c, 1, one) && one.size() == 1 && ToWide(one) == std::wstring(1, c) ? one : "?";
  }
  return shown;
}

bool IsDeviceName(const std::wstring &name)
{
  std::wstring base = name.substr(0, name.find(L'.'));
  while (!base.empty() && (base.back() == L' ' || base.back() == L'.'))
    base.pop_back();
  for (const wchar_t *device : kDeviceNames)
    if (SameWideIgnoreCase(base, device))
      return true;
  if (base.size() == 4 && base[3] >= L'1' && base[3] <= L'9')
    return SameWideIgnoreCase(base.substr(0, 3), L"COM") || SameWideIgnoreCase(base.substr(0, 3), L"LPT");
  return false;
}

bool ListDriveEntries(const std::string &folder, const std::wstring &pattern, std::vector<TDriveEntry> &entries,
                      size_t limit)
{
  entries.clear();
  CWideFind find;
  WIN32_FIND_DATAW data;
  if (!find.FindFirst(LiteralPath(ToWide(folder) + pattern), data))
    return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  do
  {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..")
      continue;
    TDriveEntry entry;
    entry.Name = name;
    entry.Shown = ShownName(name);
    entry.Attributes = data.dwFileAttributes;
    entry.Size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entries.push_back(entry);
  } while (entries.size() < limit && find.FindNext(data));
  return entries.size() >= limit || ::GetLastError() == ERROR_NO_MORE_FILES;
}

bool TDriveFile::Refuse(const char *why)
{
  _file.Close();
  _why = why;
  return false;
}

bool TDriveFile::Open(const std::string &root, const std::wstring &relative, bool folders)
{
  _why.clear();
  const std::wstring wideRoot = ToWide(root);
  _shown = root + ShownName(relative);
  if (root.empty() || root.back() != '\\')
    return Refuse("outside the drive");
  const std::vector<std::wstring> parts = PartsOf(relative);
  std::wstring path = wideRoot;
  for (size_t i = 0; i < parts.size(); ++i)
  {
    const std::wstring &part = parts[i];
    if (part.empty() || part == L"." || part == L".." || part.find(L':') != std::wstring::npos ||
        part.find_first_of(L"*?/") != std::wstring::npos)
      return Refuse("outside the drive");
    if (IsDeviceName(part))
      return Refuse("a device name");
    path += part;
    // Each folder on the way as itself, not through a link; the entry itself
    // is checked on its handle below.
    if (i + 1 == parts.size())
      break;
    const DWORD attributes = ::GetFileAttributesW(LiteralPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
      return Refuse("cannot be opened");
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
      return Refuse("a link or junction");
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
      return Refuse("cannot be opened");
    path += L'\\';
  }
  _literal = LiteralPath(path);
  // Read-only media, and files another program holds without sharing their
  // deletion, still open for reading: they are checked and read, and only
  // their deletion fails.
  if (!_file.Open(_literal, folders) && !_file.Open(_literal, folders, true))
    return Refuse(::GetLastError() == ERROR_SHARING_VIOLATION ? "in use" : "cannot be opened");
  if (!_file.Information(_info))
    return Refuse("cannot be opened");
  if (_info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
    return Refuse("a link or junction");
  if ((_info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !folders)
    return Refuse("a folder");
  // A name swapped for a link between the look and the open, or a link the
  // attributes do not show (a host's symbolic link under Wine), leads the
  // system elsewhere: the path it took says so.
  // The root's own path is taken the same way, so that a mapped network
  // drive (reached as \\server\share) or a shared folder that is itself a
  // link compares with what the system says of its files.
  // A device answers to no path of the drive's; where the system cannot say
  // the path (before Windows Vista), its type says it.
  std::wstring final, rootFinal;
  if (!_file.FinalPath(final))
    return _file.Type() == FILE_TYPE_DISK || Refuse("not a file on the disk");
  const std::wstring expected = RootFinalPath(wideRoot, rootFinal) ? rootFinal + relative : path;
  // Wine's path of a name that ends in blanks or dots lacks them: it stands
  // for this file unless it opens another one (the one a link led to).
  if (!SameWideIgnoreCase(final, expected) &&
      !(SameWideIgnoreCase(final, WithoutEndingBlanksAndDots(expected)) && !IsSameFile(final, _file)))
    return Refuse("outside the drive");
  return true;
}

unsigned long long TDriveFile::Size() const
{
  return (static_cast<unsigned long long>(_info.nFileSizeHigh) << 32) | _info.nFileSizeLow;
}

unsigned long long TDriveFile::Index() const
{
  unsigned long long index = 0;
  return _file.Index(index) ? index : 0;
}

bool TDriveFile::SetAttributes(DWORD attributes)
{
  if (!_file.SetAttributes(attributes))
    return false;
  BY_HANDLE_FILE_INFORMATION info;
  if (!_file.Information(info))
    return false;
  _info = info;
  const DWORD settable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  return (info.dwFileAttributes & settable) == (attributes & settable);
}

bool TDriveFile::Delete()
{
  if (!_file.IsOpen())
    return false;
  const DWORD standing = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  if (!_file.MarkForDeletion() &&
      !((_info.dwFileAttributes & standing) && _file.SetAttributes(_info.dwFileAttributes & ~standing) &&
        _file.MarkForDeletion()))
    return false;
  _file.Close();
  // A deletion the system reports done may be only pending (another handle
  // open with delete sharing) or undone by the file system.
  if (::GetFileAttributesW(_literal.c_str()) != INVALID_FILE_ATTRIBUTES)
    return false;
  const DWORD error = ::GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}
