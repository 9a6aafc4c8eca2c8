#include "Window.h"
#include <cstdio>
#include <exception>

void CWindow::ReportFailedMessage(UINT message, const char *what) const
{
  if (!_errorReporter)
    return;
  try
  {
    char className[64] = "";
    ::GetClassNameA(_hwnd, className, sizeof(className));
    char number[16];
    std::snprintf(number, sizeof(number), "0x%04X", message);
    _errorReporter(std::string("Window message ") + number + " to " + className + " failed and was dropped: " +
                    what);
  }
  catch (...)
  {
    // Out of memory while reporting: the message is dropped all the same.
  }
}

LRESULT CWindow::NeutralAnswer(UINT message) { return message == WM_QUERYENDSESSION ? TRUE : 0; }

CWindow::~CWindow()
{
  if (_hwnd)
  {
    ::SetWindowLongPtrA(_hwnd, GWLP_USERDATA, 0);
    ::DestroyWindow(_hwnd);
  }
}

bool CWindow::RegisterWindowClass(const char *className, UINT style, HBRUSH background)
{
  WNDCLASSEXA wc = {};
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  if (::GetClassInfoExA(instance, className, &wc))
    return true;
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = StaticWndProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(1));
  if (!wc.hIcon)
    wc.hIcon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  wc.hbrBackground = background ? background : reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = className;
  return ::RegisterClassExA(&wc) != 0;
}

bool CWindow::CreateFor(const char *className, const char *caption, DWORD style, DWORD exStyle, int x,
                        int y, int width, int height, HWND parent)
{
  if (!RegisterWindowClass(className))
    return false;
  return ::CreateWindowExA(exStyle, className, caption, style, x, y, width, height, parent, nullptr,
                           ::GetModuleHandleA(nullptr), this) != nullptr;
}

LRESULT CWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
  return DefaultHandling(message, wParam, lParam);
}

LRESULT CALLBACK CWindow::StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  CWindow *self = reinterpret_cast<CWindow *>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE)
  {
    self = static_cast<CWindow *>(reinterpret_cast<CREATESTRUCTA *>(lParam)->lpCreateParams);
    self->_hwnd = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (!self)
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
  LRESULT result = NeutralAnswer(message);
  try
  {
    result = self->HandleMessage(message, wParam, lParam);
  }
  catch (const std::exception &e)
  {
    self->ReportFailedMessage(message, e.what());
  }
  catch (...)
  {
    self->ReportFailedMessage(message, "unknown error");
  }
  if (message == WM_NCDESTROY)
  {
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->_hwnd = nullptr;
  }
  return result;
}
