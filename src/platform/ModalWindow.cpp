#include "ModalWindow.h"
#include "Dpi.h"

CModalWindow::~CModalWindow()
{
  if (_hwnd)
    ::DestroyWindow(_hwnd);
}

bool CModalWindow::CreateModal(const char *className, const char *caption, DWORD style, DWORD exStyle,
                               int clientWidth, int clientHeight, const char *fontName, int fontPoints,
                               const ChildControl *controls, size_t count)
{
  const auto sizeAt = [&](int dpi)
  { return WindowSizeForClient(ScaleToDpi(clientWidth, dpi), ScaleToDpi(clientHeight, dpi), style, exStyle, dpi); };
  int dpi = SystemDpi();
  SIZE size = sizeAt(dpi);
  if (!CreateFor(className, caption, style, exStyle, (::GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2,
                 (::GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2, size.cx, size.cy, nullptr))
    return false;
  // Made on a monitor of another dpi than the system's.
  if (WindowDpi(_hwnd) != dpi)
  {
    dpi = WindowDpi(_hwnd);
    size = sizeAt(dpi);
    ::SetWindowPos(_hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return _controls.Create(_hwnd, fontName, fontPoints, controls, count, dpi);
}

int CModalWindow::ShowModal(HWND owner)
{
  if (!_hwnd || _modal)
    return IDCANCEL;
  _modal = true;
  _result = 0;
  // Owned, so that it stays above the owner and has no taskbar button of its own.
  ::SetWindowLongPtrA(_hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  const bool ownerEnabled = owner && ::IsWindowEnabled(owner);
  if (ownerEnabled)
    ::EnableWindow(owner, FALSE);
  ::ShowWindow(_hwnd, SW_SHOWNORMAL);
  ::SetForegroundWindow(_hwnd);
  if (HWND first = ::GetNextDlgTabItem(_hwnd, nullptr, FALSE))
    ::SetFocus(first);

  bool quit = false;
  WPARAM quitCode = 0;
  MSG msg;
  while (_result == 0 && _hwnd)
  {
    const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0)
    {
      quit = got == 0;
      quitCode = msg.wParam;
      break;
    }
    if (::IsDialogMessageA(_hwnd, &msg))
      continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  // The owner first: hidden while it is still disabled, the window would
  // hand the activation to another program.
  if (ownerEnabled && ::IsWindow(owner))
    ::EnableWindow(owner, TRUE);
  if (_hwnd)
    ::ShowWindow(_hwnd, SW_HIDE);
  _modal = false;
  if (quit)
    ::PostQuitMessage(static_cast<int>(quitCode));
  return _result ? _result : IDCANCEL;
}

void CModalWindow::EndModal(int result)
{
  _result = result;
  // A message sent from another thread is handled inside GetMessage, which
  // then waits on: something must come through the queue to end the loop.
  ::PostMessageA(_hwnd, WM_NULL, 0, 0);
}

LRESULT CModalWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
  switch (message)
  {
  case WM_COMMAND:
    WMCommand(LOWORD(wParam), HIWORD(wParam));
    return 0;
  case WM_CLOSE:
    EndModal(IDCANCEL);
    return 0;
  case DM_GETDEFID:
    return MAKELRESULT(IDOK, DC_HASDEFID);
  case WmDpiChanged:
    _controls.Apply(_hwnd, LOWORD(wParam));
    TakeSuggestedPlace(_hwnd, lParam);
    return 0;
  default:
    return DefaultHandling(message, wParam, lParam);
  }
}
