#pragma once
#include <windows.h>
#include <vector>
#include "../platform/Controls.h"

// The main window's class, by which installers find a running Mervane.
extern const char *const MainWindowClass;

// The main window's controls: ids, captions, places and tab order, in one table.

// Control ids carry the controls' names. "OK" is IDOK so that Enter presses it.
enum TMainWindowControl
{
  OkButton = IDOK,
  StartupGroup = 100,
  AnyUserLogonBox,
  CurrentUserLogonBox,
  RunMinimizedBox,
  ReadmeButton,
  AutoPlayGroup,
  AutoPlayLabel,
  AutoPlayCdRomBox,
  AutoPlayRemovableBox,
  AutoPlayFixedBox,
  AutoPlayRemoteBox,
  AutoPlayOtherBox,
  AutorunGroup,
  DriveKindLabel,
  BehaviourLabel,
  DriveKindList,
  RemoveMenuItemsBox,
  InformUserBox,
  DeleteAutorunInfBox,
  DeleteAutorunAllBox,
  DefaultValuesButton,
  ExceptionsButton,
  QuitButton,
  RepairShortcutsBox,
  QuarantineButton,
  VaccinateBox
};

// Items of the tray icon's pop-up menu.
enum TTrayMenuItem
{
  ShowWindowItem = 200,
  QuitItem,
  QuarantineItem,
  // One of each per removable drive present, plus the drive's index (0 for A:).
  VaccinateDriveItems = 300,
  RemoveVaccineItems = 330
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
  TMainWindowControl Id;
  TControlKind Kind;
  const char *Caption;
  // Relative to the group box named, or to the client area for none (0).
  int Group;
  int Left, Top, Width, Height;
};

// In tab order; a group box comes before its controls.
extern const TControlSpec MainWindowControls[];
extern const int MainWindowControlCount;
// The table's rows as the window's child controls: each with its class and
// style, a group's controls placed within the window.
std::vector<ChildControl> MainWindowChildControls();

// The items of DriveKindList, in DriveKind order.
extern const char *const DriveKindNames[5];
// The tray icon's menu items, in order.
struct TMenuItemSpec
{
  TTrayMenuItem Id;
  const char *Caption;
};
extern const TMenuItemSpec TrayMenuItems[3];
// The captions of the per-drive items; %s is the drive, "E:". They go in
// before the last of TrayMenuItems, set off by separators.
extern const char *const VaccinateDriveCaption;
extern const char *const RemoveVaccineCaption;

// The client area as designed, at 96 dots per inch, and the window's font.
const int MainWindowClientWidth = 424;
const int MainWindowClientHeight = 419;
extern const char *const MainWindowFontName;
const int MainWindowFontPoints = 8;
