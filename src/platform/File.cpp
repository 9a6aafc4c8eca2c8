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

bool CFile::SeekToEnd(unsigned long long *end)
{
  LARGE_INTEGER zero, position;
  zero.QuadPart = 0;
  if (!::SetFilePointerEx(_handle.Get(), zero, &position, FILE_END))
    return false;
  if (end)
    *end = static_cast<unsigned long long>(position.QuadPart);
  return true;
}

bool CFile::TruncateAt(unsigned long long size)
{
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(size);
  return ::SetFilePointerEx(_handle.Get(), position, nullptr, FILE_BEGIN) && ::SetEndOfFile(_handle.Get());
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
  // When the disk fills up, Wine writes what fits and reports success with
  // the shorter count; only the next call gives the error.
  const char *next = static_cast<const char *>(data);
  while (size > 0)
  {
    DWORD written = 0;
    if (!::WriteFile(_handle.Get(), next, size, &written, nullptr))
      return false;
    if (written == 0)
    {
      ::SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    next += written;
    size -= written;
  }
  return true;
}
