#pragma once
#include "Controls.h"
#include "Window.h"

// A window that is shown modally over an owner, as a dialog is: the owner is
// disabled meanwhile, and the keys go through the dialog manager (Tab in the
// order of the controls, Enter for IDOK, Esc and the close box for IDCANCEL).
// Messages of every other window keep running, so background work goes on.
class CModalWindow : public CWindow
{
public:
  ~CModalWindow() override;
  bool IsModal() const { return _modal; }
  HWND Control(int id) const { return ::GetDlgItem(_hwnd, id); }

protected:
  CModalWindow() = default;
  // A hidden window of that client size (designed at 96 dpi, laid out at its
  // monitor's), in the middle of the screen, with its controls.
  bool CreateModal(const char *className, const char *caption, DWORD style, DWORD exStyle, int clientWidth,
                   int clientHeight, const char *fontName, int fontPoints, const ChildControl *controls,
                   size_t count);
  // Shows the window over `owner` and runs messages until EndModal; gives its
  // result, IDCANCEL when the program ends or the window is destroyed meanwhile.
  int ShowModal(HWND owner);
  void EndModal(int result);
  // The controls' notifications and the buttons' clicks. Not pure: the
  // window's destruction in the base destructor still notifies.
  virtual void WMCommand(int id, int code) {}
  // WM_COMMAND, the close box, DM_GETDEFID and a change of dpi; everything
  // else gets the default handling.
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  CScaledControls _controls;
  int _result = 0;
  bool _modal = false;
};
