#include "DescriptionPromptLayout.h"

const char *const DescriptionPromptClass = "TForm3";

const ChildControl DescriptionPromptControls[] = {
  {PromptLabel, "STATIC", SS_LEFT | SS_NOPREFIX, 0, "", 8, 8, 393, 13},
  {PromptField, "EDIT", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE, "", 8, 32, 393, 21},
  {PromptOkButton, "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, "OK", 232, 64, 75, 25},
  {PromptCancelButton, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, "Cancel", 328, 64, 75, 25},
};
const size_t DescriptionPromptControlCount = sizeof(DescriptionPromptControls) / sizeof(DescriptionPromptControls[0]);

const char *const DescriptionPromptFontName = "MS Sans Serif";
