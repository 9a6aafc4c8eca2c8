#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include "NonCopyable.h"

// Base of the program's windows: the procedure finds `this` stored at creation
// and hands every message to HandleMessage. No exception leaves the procedure,
// since unwinding through the system's dispatch code is undefined: one that
// escapes a handler is reported once and the message gets its neutral answer.
// Never the default handling: DefWindowProc of WM_CLOSE would destroy the
// window behind the close query's back.
class CWindow : CNonCopyable
{
public:
  virtual ~CWindow();
  HWND Handle() const { return _hwnd; }
  // Class registration is once per process and name; later calls succeed.
  static bool RegisterWindowClass(const char *className, UINT style = 0, HBRUSH background = nullptr);
  // Where this window's barrier reports a failed message; nothing is
  // reported while none is set.
  using ErrorReporter = std::function<void(const std::string &text)>;
  void SetErrorReporter(ErrorReporter reporter) { _errorReporter = std::move(reporter); }
  // The answer a failed message gets: 0, except TRUE for WM_QUERYENDSESSION,
  // so that a failure here never holds up the end of the session.
  static LRESULT NeutralAnswer(UINT message);

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
  void ReportFailedMessage(UINT message, const char *what) const;
  ErrorReporter _errorReporter;
  static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};
