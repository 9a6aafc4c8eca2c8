#pragma once
#include "../platform/Controls.h"

// The quarantine window's class, by which the tests find it.
extern const char *const QuarantineWindowClass;

// The quarantine window's controls: ids, captions, places and tab order, in one table.

// "Close" is IDCANCEL, so that Esc and the close box press it.
enum TQuarantineWindowControl
{
  QuarantineCloseButton = IDCANCEL,
  QuarantineLabel = 100,
  QuarantineList,
  RestoreButton,
  DeleteCopiesButton,
  OpenFolderButton
};

// In tab order.
extern const ChildControl QuarantineWindowControls[];
extern const size_t QuarantineWindowControlCount;

// The list's columns (when, drive, size, what was done, then the original
// path), as tab stops in dialog units of the list's font.
extern const int QuarantineListTabStops[4];

// The client area as designed, at 96 dots per inch, and the window's font.
const int QuarantineWindowClientWidth = 700;
const int QuarantineWindowClientHeight = 337;
extern const char *const QuarantineWindowFontName;
const int QuarantineWindowFontPoints = 8;
