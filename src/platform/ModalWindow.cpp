#include "ModalWindow.h"

CModalWindow::~CModalWindow()
{
  if (_hwnd)
    ::DestroyWindow(_hwnd);
  if (_font)
    ::DeleteObject(_font);
}

bool CModalWindow::CreateModal(const char *className, const char *caption, DWORD style, DWORD exStyle,
                               int clientWidth, int clientHeight, const char *fontName, int fontPoints,
                               const ChildControl *controls, size_t count)
{
  RECT frame = {0, 0, clientWidth, clientHeight};
  ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  const int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2, y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  if (!CreateFor(className, caption, style, exStyle, x, y, width, height, nullptr))
    return false;
  _font = CreatePointFont(fontName, fontPoints);
  ::SendMessageA(_hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(_font), FALSE);
  return CreateChildControls(_hwnd, controls, count, _font);
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
  default:
    return DefaultHandling(message, wParam, lParam);
  }
}
