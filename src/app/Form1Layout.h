#pragma once
#include <windows.h>

// The main window's controls: ids, captions, places and tab order, in one table.

// Control ids carry the controls' names. "OK" is IDOK so that Enter presses it.
enum TForm1Control
{
  Button1 = IDOK,
  GroupBox1 = 100,
  CheckBox1,
  CheckBox2,
  CheckBox12,
  Button2,
  GroupBox2,
  Label1,
  CheckBox3,
  CheckBox4,
  CheckBox5,
  CheckBox6,
  CheckBox7,
  GroupBox3,
  Label2,
  Label3,
  ListBox1,
  CheckBox8,
  CheckBox9,
  CheckBox10,
  CheckBox11,
  Button4,
  Button5,
  Button3,
  CheckBox13
};

// Items of the tray icon's pop-up menu PopupMenu1.
enum TForm1MenuItem
{
  Showwindow1 = 200,
  Quit1
};

enum TControlKind
{
  ckGroup,
  ckLabel,
  ckCheckBox,
  ckButton,
  ckDefaultButton,
  ckList
};

struct TControlSpec
{
  TForm1Control Id;
  TControlKind Kind;
  const char *Caption;
  // Relative to the group box named, or to the client area for none (0).
  int Group;
  int Left, Top, Width, Height;
};

// In tab order; a group box comes before its controls.
extern const TControlSpec Form1Controls[];
extern const int Form1ControlCount;

// The items of ListBox1, in DriveKind order.
extern const char *const DriveKindNames[5];
// PopupMenu1's items in order.
struct TMenuItemSpec
{
  TForm1MenuItem Id;
  const char *Caption;
};
extern const TMenuItemSpec PopupMenu1Items[2];

// The client area as designed, at 96 dots per inch, and the form's font.
const int Form1ClientWidth = 424;
const int Form1ClientHeight = 419;
extern const char *const Form1FontName;
const int Form1FontPoints = 8;
