#include "Form2Layout.h"

const ChildControl Form2Controls[] = {
  {Label1, "STATIC", SS_LEFT | SS_NOPREFIX, 0,
   "List of legal Autorun.inf files. These files will  not be blocked by Mervane", 8, 8, 569, 13},
  // The designed height, not one rounded to whole items.
  {ListBox1, "LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE,
   "", 8, 24, 257, 121},
  {Memo1, "EDIT",
   ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_HSCROLL | WS_VSCROLL | WS_TABSTOP | WS_GROUP,
   WS_EX_CLIENTEDGE, "", 272, 24, 305, 225},
  {Button1, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, "Add", 8, 152, 75, 25},
  {Button2, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, "Delete", 96, 152, 75, 25},
  {Button4, "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, "OK", 416, 256, 75, 25},
  {Button3, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, "Cancel", 504, 256, 75, 25},
};
const size_t Form2ControlCount = sizeof(Form2Controls) / sizeof(Form2Controls[0]);

const char *const OpenDialog1Title = "Select Autorun.inf file to add to exception list";
const char *const OpenDialog1FilterName = "Autorun.inf files";
const char *const OpenDialog1FilterPattern = "Autorun.inf";

const char *const Form2FontName = "MS Sans Serif";
