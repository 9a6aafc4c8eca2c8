#include "Form1Layout.h"

const TControlSpec Form1Controls[] = {
  {Button1, ckDefaultButton, "OK", 0, 252, 384, 75, 25},
  {GroupBox1, ckGroup, " Startup ", 0, 8, 8, 409, 73},
  {CheckBox1, ckCheckBox, "Run program when any user logon", GroupBox1, 8, 16, 393, 17},
  {CheckBox2, ckCheckBox, "Run program when current user logon", GroupBox1, 8, 32, 393, 17},
  {CheckBox12, ckCheckBox, "Run minimized", GroupBox1, 8, 48, 393, 17},
  {Button2, ckButton, "Readme", 0, 6, 384, 75, 25},
  {GroupBox2, ckGroup, " Autoplay ", 0, 8, 88, 409, 121},
  {Label1, ckLabel, "Turn on for drives:", GroupBox2, 8, 16, 393, 13},
  {CheckBox3, ckCheckBox, "CD-ROM", GroupBox2, 8, 32, 393, 17},
  {CheckBox4, ckCheckBox, "Removable", GroupBox2, 8, 48, 393, 17},
  {CheckBox5, ckCheckBox, "Fixed", GroupBox2, 8, 64, 393, 17},
  {CheckBox6, ckCheckBox, "Remote", GroupBox2, 8, 80, 393, 17},
  {CheckBox7, ckCheckBox, "Other", GroupBox2, 8, 96, 393, 17},
  {GroupBox3, ckGroup, " Autorun ", 0, 8, 216, 409, 161},
  {Label2, ckLabel, "For drive type ...", GroupBox3, 8, 16, 137, 13},
  {Label3, ckLabel, "... if Autorun.inf exists do following:", GroupBox3, 152, 16, 249, 13},
  {ListBox1, ckList, "", GroupBox3, 8, 32, 129, 73},
  {CheckBox8, ckCheckBox, "Remove items from context menu", GroupBox3, 160, 32, 241, 17},
  {CheckBox9, ckCheckBox, "Inform user", GroupBox3, 160, 48, 241, 17},
  {CheckBox10, ckCheckBox, "Delete Autorun.inf", GroupBox3, 160, 64, 241, 17},
  {CheckBox11, ckCheckBox, "Delete Autorun.*", GroupBox3, 160, 80, 241, 17},
  {Button4, ckButton, "Default values", GroupBox3, 160, 104, 97, 25},
  {Button5, ckButton, "Exceptions", GroupBox3, 264, 104, 97, 25},
  {CheckBox13, ckCheckBox, "Repair shortcut-worm damage", GroupBox3, 160, 136, 241, 17},
  {Button3, ckButton, "Quit", 0, 340, 384, 75, 25},
};
const int Form1ControlCount = sizeof(Form1Controls) / sizeof(Form1Controls[0]);

const char *const DriveKindNames[5] = {"CD-ROM", "Removable", "Fixed", "Remote", "Other"};

const TMenuItemSpec PopupMenu1Items[2] = {{Showwindow1, "Show window"}, {Quit1, "Quit"}};

const char *const Form1FontName = "Tahoma";
