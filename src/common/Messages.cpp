#include "Messages.h"
#include <windows.h>
#include "../platform/Text.h"

const char *const ProductTitle = MERVANE_PRODUCT_TITLE;

std::string LoadMessage(int id)
{
  // LoadStringW with a zero size hands back a pointer into the resource and its
  // length, so no text is ever cut to a buffer's size.
  const wchar_t *text = nullptr;
  const int length = ::LoadStringW(::GetModuleHandleW(nullptr), static_cast<UINT>(id),
                                   reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || !text)
    return std::string();
  return ToAnsi(text, static_cast<size_t>(length));
}

std::string FormatText(const std::string &format, std::initializer_list<std::string> args)
{
  std::string result;
  auto next = args.begin();
  for (size_t i = 0; i < format.size(); ++i)
  {
    const char c = format[i];
    if (c == '%' && i + 1 < format.size())
    {
      if (format[i + 1] == 's')
      {
        if (next != args.end())
          result += *next++;
        ++i;
        continue;
      }
      if (format[i + 1] == '%')
      {
        result += '%';
        ++i;
        continue;
      }
    }
    result += c;
  }
  return result;
}
