#include "Controls.h"
#include "Dpi.h"

namespace
{
// The program's icon, the one the window class takes.
const int ProgramIcon = 1;

LRESULT CALLBACK DialogKeysEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  const WNDPROC previous = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  const LRESULT result = ::CallWindowProcA(previous, hwnd, message, wParam, lParam);
  if (message == WM_GETDLGCODE)
    return result & ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
  return result;
}
}

HFONT CreatePointFont(const char *name, int points, int dpi)
{
  return ::CreateFontA(-::MulDiv(points, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, name);
}

bool CreateChildControls(HWND parent, const ChildControl *controls, size_t count, HFONT font, int dpi)
{
  const HINSTANCE instance = ::GetModuleHandleA(nullptr);
  for (size_t i = 0; i < count; ++i)
  {
    const ChildControl &row = controls[i];
    const HWND control = ::CreateWindowExA(
      row.ExStyle, row.ClassName, row.Caption, WS_CHILD | WS_VISIBLE | row.Style, ScaleToDpi(row.Left, dpi),
      ScaleToDpi(row.Top, dpi), ScaleToDpi(row.Width, dpi), ScaleToDpi(row.Height, dpi), parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.Id)), instance, nullptr);
    if (!control)
      return false;
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  return true;
}

bool CScaledControls::Create(HWND window, const char *fontName, int fontPoints, const ChildControl *controls,
                             size_t count, int dpi)
{
  _fontName = fontName;
  _fontPoints = fontPoints;
  _rows.assign(controls, controls + count);
  MakeLook(window, dpi);
  return CreateChildControls(window, _rows.data(), _rows.size(), _font.get(), dpi);
}

void CScaledControls::Apply(HWND window, int dpi)
{
  // The old font and icons go only once nothing uses them any more.
  CFont oldFont = std::move(_font);
  CIcon oldBig = std::move(_bigIcon), oldSmall = std::move(_smallIcon);
  MakeLook(window, dpi);
  for (const ChildControl &row : _rows)
  {
    const HWND control = ::GetDlgItem(window, row.Id);
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(_font.get()), FALSE);
    ::SetWindowPos(control, nullptr, ScaleToDpi(row.Left, dpi), ScaleToDpi(row.Top, dpi),
                   ScaleToDpi(row.Width, dpi), ScaleToDpi(row.Height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CScaledControls::MakeLook(HWND window, int dpi)
{
  _dpi = dpi;
  _font.reset(CreatePointFont(_fontName, _fontPoints, dpi));
  ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(_font.get()), FALSE);
  _bigIcon.reset(LoadIconForDpi(ProgramIcon, false, dpi));
  _smallIcon.reset(LoadIconForDpi(ProgramIcon, true, dpi));
  if (_bigIcon)
    ::SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(_bigIcon.get()));
  if (_smallIcon)
    ::SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(_smallIcon.get()));
}

void LeaveDialogKeysToParent(HWND edit)
{
  // The edit class keeps nothing in GWLP_USERDATA; the previous procedure goes there.
  const LONG_PTR previous = ::GetWindowLongPtrA(edit, GWLP_WNDPROC);
  ::SetWindowLongPtrA(edit, GWLP_USERDATA, previous);
  ::SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DialogKeysEditProc));
}
