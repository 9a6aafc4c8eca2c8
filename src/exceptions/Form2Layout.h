#pragma once
#include "../platform/Controls.h"

// The exceptions dialog's controls: ids, captions, places and tab order, in one table.

// "OK" is IDOK and "Cancel" IDCANCEL, so that Enter and Esc press them.
enum TForm2Control
{
  Button4 = IDOK,
  Button3 = IDCANCEL,
  Label1 = 100,
  ListBox1,
  Memo1,
  Button1,
  Button2
};

// In tab order.
extern const ChildControl Form2Controls[];
extern const size_t Form2ControlCount;

// OpenDialog1's title and its one filter.
extern const char *const OpenDialog1Title;
extern const char *const OpenDialog1FilterName;
extern const char *const OpenDialog1FilterPattern;

// The client area as designed, at 96 dots per inch, and the form's font.
const int Form2ClientWidth = 586;
const int Form2ClientHeight = 292;
extern const char *const Form2FontName;
const int Form2FontPoints = 8;
