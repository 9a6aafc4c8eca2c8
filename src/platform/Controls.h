#pragma once
#include <windows.h>
#include <cstddef>

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

// A font of `points` at the screen's resolution; the caller deletes it.
HFONT CreatePointFont(const char *name, int points);
// Creates the rows in order, each with `font`. Children are linked below
// their earlier siblings, so the order of the rows is the tab order. False
// when one could not be made.
bool CreateChildControls(HWND parent, const ChildControl *controls, size_t count, HFONT font);
// A multi-line edit asks for every key, Tab, Enter and Esc included; this one
// leaves them to the dialog manager, as a field of a dialog should.
void LeaveDialogKeysToParent(HWND edit);
