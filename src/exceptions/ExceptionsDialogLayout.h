#pragma once
#include "../platform/Controls.h"

// The exceptions dialog's window class, by which the tests find it.
extern const char *const ExceptionsDialogClass;

// The exceptions dialog's controls: ids, captions, places and tab order, in one table.

// "OK" is IDOK and "Cancel" IDCANCEL, so that Enter and Esc press them.
enum TExceptionsDialogControl
{
  DialogOkButton = IDOK,
  DialogCancelButton = IDCANCEL,
  ExceptionsLabel = 100,
  EntryList,
  EntryText,
  AddButton,
  DeleteButton
};

// In tab order.
extern const ChildControl ExceptionsDialogControls[];
extern const size_t ExceptionsDialogControlCount;

// The file dialog's title and its one filter.
extern const char *const OpenDialogTitle;
extern const char *const OpenDialogFilterName;
extern const char *const OpenDialogFilterPattern;

// The client area as designed, at 96 dots per inch, and the window's font.
const int ExceptionsDialogClientWidth = 586;
const int ExceptionsDialogClientHeight = 292;
extern const char *const ExceptionsDialogFontName;
const int ExceptionsDialogFontPoints = 8;
