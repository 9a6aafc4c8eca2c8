#pragma once
#include "../platform/Controls.h"

// The prompt's window class, by which the tests find it.
extern const char *const DescriptionPromptClass;

// The prompt's controls: ids, captions, places and tab order, in one table.

// "OK" is IDOK and "Cancel" IDCANCEL, so that Enter and Esc press them.
enum TDescriptionPromptControl
{
  PromptOkButton = IDOK,
  PromptCancelButton = IDCANCEL,
  PromptLabel = 100,
  PromptField
};

// In tab order.
extern const ChildControl DescriptionPromptControls[];
extern const size_t DescriptionPromptControlCount;

// The client area as designed, at 96 dots per inch, and the window's font.
const int DescriptionPromptClientWidth = 412;
const int DescriptionPromptClientHeight = 100;
extern const char *const DescriptionPromptFontName;
const int DescriptionPromptFontPoints = 8;
