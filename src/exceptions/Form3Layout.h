#pragma once
#include "../platform/Controls.h"

// The prompt's controls: ids, captions, places and tab order, in one table.

// "OK" is IDOK and "Cancel" IDCANCEL, so that Enter and Esc press them.
enum TForm3Control
{
  Button1 = IDOK,
  Button2 = IDCANCEL,
  Label1 = 100,
  Edit1
};

// In tab order.
extern const ChildControl Form3Controls[];
extern const size_t Form3ControlCount;

// The client area as designed, at 96 dots per inch, and the form's font.
const int Form3ClientWidth = 412;
const int Form3ClientHeight = 100;
extern const char *const Form3FontName;
const int Form3FontPoints = 8;
