#pragma once
#include <windows.h>
#include <memory>
#include <type_traits>

// Owners of a font and of an icon made (not loaded shared) by the program.
struct FontDeleter
{
  void operator()(HFONT font) const { ::DeleteObject(font); }
};
using CFont = std::unique_ptr<std::remove_pointer<HFONT>::type, FontDeleter>;

struct IconDeleter
{
  void operator()(HICON icon) const { ::DestroyIcon(icon); }
};
using CIcon = std::unique_ptr<std::remove_pointer<HICON>::type, IconDeleter>;
