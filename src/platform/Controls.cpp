#include "Controls.h"

namespace
{
LRESULT CALLBACK DialogKeysEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  const WNDPROC previous = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  const LRESULT result = ::CallWindowProcA(previous, hwnd, message, wParam, lParam);
  if (message == WM_GETDLGCODE)
    return result & ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
  return result;
}
}

HFONT CreatePointFont(const char *name, int points)
{
  HDC screen = ::GetDC(nullptr);
  const int pixelsPerInch = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen)
    ::ReleaseDC(nullptr, screen);
  return ::CreateFontA(-::MulDiv(points, pixelsPerInch, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, name);
}

bool CreateChildControls(HWND parent, const ChildControl *controls, size_t count, HFONT font)
{
  const HINSTANCE instance = ::GetModuleHandleA(nullptr);
  for (size_t i = 0; i < count; ++i)
  {
    const ChildControl &row = controls[i];
    const HWND control = ::CreateWindowExA(row.ExStyle, row.ClassName, row.Caption, WS_CHILD | WS_VISIBLE | row.Style,
                                           row.Left, row.Top, row.Width, row.Height, parent,
                                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.Id)), instance, nullptr);
    if (!control)
      return false;
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  return true;
}

void LeaveDialogKeysToParent(HWND edit)
{
  // The edit class keeps nothing in GWLP_USERDATA; the previous procedure goes there.
  const LONG_PTR previous = ::GetWindowLongPtrA(edit, GWLP_WNDPROC);
  ::SetWindowLongPtrA(edit, GWLP_USERDATA, previous);
  ::SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DialogKeysEditProc));
}
