#include "File.h"

bool CFile::Open(const char *path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
  _handle.Attach(::CreateFileA(path, access, share, nullptr, disposition, flags, nullptr));
  return _handle.IsValid();
}

bool CFile::GetSize(unsigned long long &size) const
{
  LARGE_INTEGER value;
  if (!::GetFileSizeEx(_handle.Get(), &value))
    return false;
  size = static_cast<unsigned long long>(value.QuadPart);
  return true;
}

bool CFile::SeekToEnd()
{
  LARGE_INTEGER zero;
  zero.QuadPart = 0;
  return ::SetFilePointerEx(_handle.Get(), zero, nullptr, FILE_END) != FALSE;
}

bool CFile::Read(void *buffer, DWORD size, DWORD &read)
{
  DWORD got = 0;
  if (!::ReadFile(_handle.Get(), buffer, size, &got, nullptr))
    return false;
  read = got;
  return true;
}

bool CFile::WriteAll(const void *data, DWORD size)
{
  DWORD written = 0;
  return ::WriteFile(_handle.Get(), data, size, &written, nullptr) && written == size;
}
