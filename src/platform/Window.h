#pragma once
#include <windows.h>
#include "NonCopyable.h"

// Base of the program's windows: the procedure finds `this` stored at creation
// and hands every message to HandleMessage. No exception leaves the procedure:
// one that escapes a handler is dropped there and the message gets the
// default answer, since unwinding through the system's dispatch code is
// undefined.
class CWindow : CNonCopyable
{
public:
  virtual ~CWindow();
  HWND Handle() const { return _hwnd; }
  // Class registration is once per process and name; later calls succeed.
  static bool RegisterWindowClass(const char *className, UINT style = 0, HBRUSH background = nullptr);

protected:
  CWindow() = default;
  bool CreateFor(const char *className, const char *caption, DWORD style, DWORD exStyle, int x, int y,
                 int width, int height, HWND parent);
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam)
  {
    return ::DefWindowProcA(_hwnd, message, wParam, lParam);
  }
  HWND _hwnd = nullptr;

private:
  static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};
