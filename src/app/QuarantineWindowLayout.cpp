#include "QuarantineWindowLayout.h"

const char *const QuarantineWindowClass = "TQuarantineForm";

const ChildControl QuarantineWindowControls[] = {
  {QuarantineLabel, "STATIC", SS_LEFT | SS_NOPREFIX, 0,
   "Files Mervane deleted or made visible, newest first: when, drive, size, what was done, where it was", 8, 8,
   684, 13},
  // Room for eighteen entries; the designed height, not one rounded to whole items.
  {QuarantineList, "LISTBOX",
   LBS_NOTIFY | LBS_EXTENDEDSEL | LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP |
       WS_GROUP,
   WS_EX_CLIENTEDGE, "", 8, 24, 684, 273},
  {RestoreButton, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, "Restore", 8, 304, 75, 25},
  {DeleteCopiesButton, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, "Delete", 96, 304, 75, 25},
  {OpenFolderButton, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, "Open folder", 184, 304, 97, 25},
  {QuarantineCloseButton, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, "Close", 617, 304, 75, 25},
};
const size_t QuarantineWindowControlCount = sizeof(QuarantineWindowControls) / sizeof(QuarantineWindowControls[0]);

const int QuarantineListTabStops[4] = {84, 140, 196, 316};

const char *const QuarantineWindowFontName = "MS Sans Serif";
