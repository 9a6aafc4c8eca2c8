#include "ExceptionsDialogLayout.h"

const char *const ExceptionsDialogClass = "TForm2";

const ChildControl ExceptionsDialogControls[] = {
  {ExceptionsLabel, "STATIC", SS_LEFT | SS_NOPREFIX, 0,
   "List of legal Autorun.inf files. These files will  not be blocked by Mervane", 8, 8, 569, 13},
  // The designed height, not one rounded to whole items.
  {EntryList, "LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE,
   "", 8, 24, 257, 121},
  {EntryText, "EDIT",
   ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_HSCROLL | WS_VSCROLL | WS_TABSTOP | WS_GROUP,
   WS_EX_CLIENTEDGE, "", 272, 24, 305, 225},
  {AddButton, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, "Add", 8, 152, 75, 25},
  {DeleteButton, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, "Delete", 96, 152, 75, 25},
  {DialogOkButton, "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, "OK", 416, 256, 75, 25},
  {DialogCancelButton, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, "Cancel", 504, 256, 75, 25},
};
const size_t ExceptionsDialogControlCount = sizeof(ExceptionsDialogControls) / sizeof(ExceptionsDialogControls[0]);

const char *const OpenDialogTitle = "Select Autorun.inf file to add to exception list";
const char *const OpenDialogFilterName = "Autorun.inf files";
const char *const OpenDialogFilterPattern = "Autorun.inf";

const char *const ExceptionsDialogFontName = "MS Sans Serif";
