#include "Text.h"
#include <windows.h>

std::wstring ToWide(const std::string &text)
{
  if (text.empty())
    return std::wstring();
  const int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (size <= 0)
    return std::wstring();
  std::wstring wide(static_cast<size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
  return wide;
}

std::string ToAnsi(const wchar_t *text, size_t length)
{
  if (!text || length == 0)
    return std::string();
  const int count = static_cast<int>(length);
  const int size = ::WideCharToMultiByte(CP_ACP, 0, text, count, nullptr, 0, nullptr, nullptr);
  if (size <= 0)
    return std::string();
  std::string result(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text, count, &result[0], size, nullptr, nullptr);
  return result;
}

std::string ToAnsi(const std::wstring &text) { return ToAnsi(text.data(), text.size()); }

bool ToAnsiExact(const wchar_t *wide, size_t length, std::string &text)
{
  if (length == 0)
  {
    text.clear();
    return true;
  }
  const int count = static_cast<int>(length);
  BOOL usedDefault = FALSE;
  const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, count, nullptr, 0, nullptr,
                                         &usedDefault);
  if (size <= 0 || usedDefault)
    return false;
  std::string result(static_cast<size_t>(size), '\0');
  if (::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, count, &result[0], size, nullptr,
                            &usedDefault) != size ||
      usedDefault)
    return false;
  text = result;
  return true;
}

bool SameTextIgnoreCase(const std::string &a, const std::string &b)
{
  return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::string SystemErrorText(unsigned long error)
{
  char *buffer = nullptr;
  const DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
  std::string text = length > 0 && buffer ? std::string(buffer, length) : std::string();
  if (buffer)
    ::LocalFree(buffer);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
    text.pop_back();
  return text.empty() ? "error " + std::to_string(error) : text;
}
