#pragma once
#include <windows.h>
#include <cstddef>
#include <vector>
#include "GdiHandle.h"
#include "NonCopyable.h"

// A window's child controls as data: one row per control, in tab order.
struct ChildControl
{
  int Id;
  const char *ClassName;
  DWORD Style; // besides WS_CHILD | WS_VISIBLE
  DWORD ExStyle;
  const char *Caption;
  int Left, Top, Width, Height;
};

// A font of `points` at `dpi`; the caller deletes it.
HFONT CreatePointFont(const char *name, int points, int dpi);
// Creates the rows in order, each with `font`, their places (designed at 96
// dpi) scaled to `dpi`. Children are linked below their earlier siblings, so
// the order of the rows is the tab order. False when one could not be made.
bool CreateChildControls(HWND parent, const ChildControl *controls, size_t count, HFONT font, int dpi);

// What a window takes from its dpi: its controls' places, their font and
// the window's icons. Made with the window, and again when the window moves
// to a monitor of another dpi.
class CScaledControls : CNonCopyable
{
public:
  // The font, the icons and the controls (the rows are kept) at `dpi`.
  bool Create(HWND window, const char *fontName, int fontPoints, const ChildControl *controls, size_t count,
              int dpi);
  // A new font and icons for `dpi`, given to the window and its controls,
  // which move to their places at that dpi.
  void Apply(HWND window, int dpi);
  int Dpi() const { return _dpi; }
  HFONT Font() const { return _font.get(); }

private:
  void MakeLook(HWND window, int dpi);

  std::vector<ChildControl> _rows;
  const char *_fontName = nullptr;
  int _fontPoints = 0;
  int _dpi = 0;
  CFont _font;
  CIcon _bigIcon, _smallIcon;
};
// A multi-line edit asks for every key, Tab, Enter and Esc included; this one
// leaves them to the dialog manager, as a field of a dialog should.
void LeaveDialogKeysToParent(HWND edit);
