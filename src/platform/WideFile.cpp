// The functions of later versions are declared here only to take their
// types; nothing imports them.
#undef WINVER
#undef _WIN32_WINNT
#define WINVER 0x0A00
#define _WIN32_WINNT 0x0A00
#include "WideFile.h"
#include <winternl.h>
#include "SystemFunction.h"

namespace
{
// The file-information classes of NtSetInformationFile that every NT has;
// SetFileInformationByHandle came only with Windows Vista.
const auto kFileBasicInformation = static_cast<FILE_INFORMATION_CLASS>(4);
const auto kFileInternalInformation = static_cast<FILE_INFORMATION_CLASS>(6);
const auto kFileDispositionInformation = static_cast<FILE_INFORMATION_CLASS>(13);
const auto kFileNetworkOpenInformation = static_cast<FILE_INFORMATION_CLASS>(34);

struct TFileBasicInformation
{
  LARGE_INTEGER CreationTime, LastAccessTime, LastWriteTime, ChangeTime;
  ULONG FileAttributes;
};

decltype(&::NtQueryInformationFile) QueryInformation()
{
  static const auto query = SystemFunction<decltype(&::NtQueryInformationFile)>("ntdll.dll", "NtQueryInformationFile");
  return query;
}

bool SetInformation(HANDLE handle, void *data, ULONG size, FILE_INFORMATION_CLASS informationClass)
{
  static const auto set = SystemFunction<decltype(&::NtSetInformationFile)>("ntdll.dll", "NtSetInformationFile");
  if (!set)
  {
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return false;
  }
  IO_STATUS_BLOCK status = {};
  const LONG result = set(handle, &status, data, size, informationClass);
  if (result < 0)
  {
    // STATUS_CANNOT_DELETE (read-only), STATUS_ACCESS_DENIED and the rest:
    // what a caller does with any of them is the same.
    ::SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return true;
}
} // namespace

std::wstring LiteralPath(const std::wstring &path)
{
  if (path.compare(0, 4, L"\\\\?\\") == 0)
    return path;
  if (path.compare(0, 2, L"\\\\") == 0)
    return L"\\\\?\\UNC\\" + path.substr(2);
  return L"\\\\?\\" + path;
}

bool CWideFind::FindFirst(const std::wstring &pattern, WIN32_FIND_DATAW &data)
{
  Close();
  _handle = ::FindFirstFileW(pattern.c_str(), &data);
  return _handle != INVALID_HANDLE_VALUE;
}

bool CWideFind::FindNext(WIN32_FIND_DATAW &data)
{
  return _handle != INVALID_HANDLE_VALUE && ::FindNextFileW(_handle, &data) != FALSE;
}

bool CWideFind::Close()
{
  if (_handle == INVALID_HANDLE_VALUE)
    return true;
  const BOOL ok = ::FindClose(_handle);
  _handle = INVALID_HANDLE_VALUE;
  return ok != FALSE;
}

bool CWideFile::Open(const std::wstring &literalPath, bool folders, bool readOnly)
{
  _handle.Attach(::CreateFileW(literalPath.c_str(), GENERIC_READ | (readOnly ? 0 : DELETE | FILE_WRITE_ATTRIBUTES),
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT | (folders ? FILE_FLAG_BACKUP_SEMANTICS : 0),
                               nullptr));
  return _handle.IsValid();
}

bool CWideFile::Information(BY_HANDLE_FILE_INFORMATION &info) const
{
  // GetFileInformationByHandle asks the volume for its serial number too,
  // which under Wine costs several times the rest of a deletion; one query
  // gives what a caller here needs.
  const auto query = QueryInformation();
  if (!query)
    return ::GetFileInformationByHandle(_handle.Get(), &info) != FALSE;
  struct
  {
    LARGE_INTEGER CreationTime, LastAccessTime, LastWriteTime, ChangeTime, AllocationSize, EndOfFile;
    ULONG FileAttributes;
  } facts = {};
  IO_STATUS_BLOCK status = {};
  if (query(_handle.Get(), &status, &facts, sizeof(facts), kFileNetworkOpenInformation) < 0)
  {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  info = BY_HANDLE_FILE_INFORMATION();
  info.dwFileAttributes = facts.FileAttributes;
  info.nFileSizeHigh = static_cast<DWORD>(facts.EndOfFile.QuadPart >> 32);
  info.nFileSizeLow = static_cast<DWORD>(facts.EndOfFile.QuadPart);
  return true;
}

bool CWideFile::Index(unsigned long long &index) const
{
  const auto query = QueryInformation();
  LARGE_INTEGER value = {};
  IO_STATUS_BLOCK status = {};
  if (query && query(_handle.Get(), &status, &value, sizeof(value), kFileInternalInformation) >= 0)
  {
    index = static_cast<unsigned long long>(value.QuadPart);
    return true;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(_handle.Get(), &info))
    return false;
  index = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

bool CWideFile::FinalPath(std::wstring &path) const
{
  static const auto final =
      SystemFunction<decltype(&::GetFinalPathNameByHandleW)>("kernel32.dll", "GetFinalPathNameByHandleW");
  if (!final)
    return false;
  std::wstring buffer(MAX_PATH, L'\0');
  DWORD length = final(_handle.Get(), &buffer[0], static_cast<DWORD>(buffer.size()), 0);
  if (length >= buffer.size())
  {
    buffer.assign(length + 1, L'\0');
    length = final(_handle.Get(), &buffer[0], static_cast<DWORD>(buffer.size()), 0);
  }
  if (length == 0 || length >= buffer.size())
    return false;
  buffer.resize(length);
  if (buffer.compare(0, 8, L"\\\\?\\UNC\\") == 0)
    buffer = L"\\\\" + buffer.substr(8);
  else if (buffer.compare(0, 4, L"\\\\?\\") == 0)
    buffer.erase(0, 4);
  path = buffer;
  return true;
}

bool CWideFile::ReadAll(std::vector<char> &content, size_t limit)
{
  std::vector<char> data;
  const DWORD chunk = 64 * 1024;
  std::vector<char> buffer(chunk);
  LARGE_INTEGER start = {};
  if (!::SetFilePointerEx(_handle.Get(), start, nullptr, FILE_BEGIN))
    return false;
  for (;;)
  {
    DWORD got = 0;
    if (!::ReadFile(_handle.Get(), buffer.data(), chunk, &got, nullptr))
      return false;
    if (got == 0)
      break;
    // The file may grow while it is read.
    if (data.size() + got > limit)
    {
      ::SetLastError(ERROR_FILE_TOO_LARGE);
      return false;
    }
    data.insert(data.end(), buffer.begin(), buffer.begin() + got);
  }
  content.swap(data);
  return true;
}

bool CWideFile::SetAttributes(DWORD attributes)
{
  TFileBasicInformation basic = {};
  basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  return SetInformation(_handle.Get(), &basic, sizeof(basic), kFileBasicInformation);
}

bool CWideFile::MarkForDeletion()
{
  BOOLEAN remove = TRUE;
  return SetInformation(_handle.Get(), &remove, sizeof(remove), kFileDispositionInformation);
}
