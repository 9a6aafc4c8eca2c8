#include "Form3Layout.h"

const ChildControl Form3Controls[] = {
  {Label1, "STATIC", SS_LEFT | SS_NOPREFIX, 0, "", 8, 8, 393, 13},
  {Edit1, "EDIT", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE, "", 8, 32, 393, 21},
  {Button1, "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, "OK", 232, 64, 75, 25},
  {Button2, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, "Cancel", 328, 64, 75, 25},
};
const size_t Form3ControlCount = sizeof(Form3Controls) / sizeof(Form3Controls[0]);

const char *const Form3FontName = "MS Sans Serif";
