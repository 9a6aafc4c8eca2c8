#pragma once
#include <functional>
#include <utility>
#include "../platform/Window.h"

// The never-shown window of a non-visual component. Its messages go to the
// procedure the component sets once it holds the window; the creation
// messages, which come before, get the default handling. CWindow keeps
// exceptions from leaving the procedure.
class TStComponentWindow : public CWindow
{
public:
  using Procedure = std::function<LRESULT(UINT message, WPARAM wParam, LPARAM lParam)>;
  TStComponentWindow(const char *className, DWORD style, HWND parent)
  {
    CreateFor(className, "", style, 0, 0, 0, 0, 0, parent);
  }
  void SetProcedure(Procedure procedure) { _procedure = std::move(procedure); }

protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
  {
    return _procedure ? _procedure(message, wParam, lParam) : DefaultHandling(message, wParam, lParam);
  }

private:
  Procedure _procedure;
};
