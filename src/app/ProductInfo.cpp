#include "ProductInfo.h"
#include <windows.h>
#include <vector>
#include "../common/Messages.h"

std::string ProgramFilePath()
{
  std::string buffer(MAX_PATH, '\0');
  for (;;)
  {
    const DWORD got = ::GetModuleFileNameA(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
    if (got == 0)
      return std::string();
    if (got < buffer.size())
    {
      buffer.resize(got);
      return buffer;
    }
    buffer.assign(buffer.size() * 2, '\0');
  }
}

std::string FileVersionTextOf(const std::string &path)
{
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0)
    return std::string();
  std::vector<char> block(size, 0);
  if (!::GetFileVersionInfoA(path.c_str(), 0, size, block.data()))
    return std::string();
  VS_FIXEDFILEINFO *info = nullptr;
  UINT infoSize = 0;
  if (!::VerQueryValueA(block.data(), "\\", reinterpret_cast<void **>(&info), &infoSize) || !info ||
      infoSize < sizeof(VS_FIXEDFILEINFO))
    return std::string();
  return std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) +
         "." + std::to_string(HIWORD(info->dwFileVersionLS)) + "." +
         std::to_string(LOWORD(info->dwFileVersionLS));
}

std::string FileVersionText() { return FileVersionTextOf(ProgramFilePath()); }

std::string WindowTitle() { return std::string(ProductTitle) + " " + FileVersionText(); }
