#include "MainWindowLayout.h"

const char *const MainWindowClass = "TForm1";

const TControlSpec MainWindowControls[] = {
  {OkButton, ckDefaultButton, "OK", 0, 252, 384, 75, 25},
  {StartupGroup, ckGroup, " Startup ", 0, 8, 8, 409, 73},
  {AnyUserLogonBox, ckCheckBox, "Run program when any user logon", StartupGroup, 8, 16, 393, 17},
  {CurrentUserLogonBox, ckCheckBox, "Run program when current user logon", StartupGroup, 8, 32, 393, 17},
  {RunMinimizedBox, ckCheckBox, "Run minimized", StartupGroup, 8, 48, 393, 17},
  {ReadmeButton, ckButton, "Readme", 0, 6, 384, 75, 25},
  {AutoPlayGroup, ckGroup, " Autoplay ", 0, 8, 88, 409, 121},
  {AutoPlayLabel, ckLabel, "Turn on for drives:", AutoPlayGroup, 8, 16, 393, 13},
  {AutoPlayCdRomBox, ckCheckBox, "CD-ROM", AutoPlayGroup, 8, 32, 393, 17},
  {AutoPlayRemovableBox, ckCheckBox, "Removable", AutoPlayGroup, 8, 48, 393, 17},
  {AutoPlayFixedBox, ckCheckBox, "Fixed", AutoPlayGroup, 8, 64, 393, 17},
  {AutoPlayRemoteBox, ckCheckBox, "Remote", AutoPlayGroup, 8, 80, 393, 17},
  {AutoPlayOtherBox, ckCheckBox, "Other", AutoPlayGroup, 8, 96, 393, 17},
  {AutorunGroup, ckGroup, " Autorun ", 0, 8, 216, 409, 161},
  {DriveKindLabel, ckLabel, "For drive type ...", AutorunGroup, 8, 16, 137, 13},
  {BehaviourLabel, ckLabel, "... if Autorun.inf exists do following:", AutorunGroup, 152, 16, 249, 13},
  {DriveKindList, ckList, "", AutorunGroup, 8, 32, 129, 73},
  {RemoveMenuItemsBox, ckCheckBox, "Remove items from context menu", AutorunGroup, 160, 32, 241, 17},
  {InformUserBox, ckCheckBox, "Inform user", AutorunGroup, 160, 48, 241, 17},
  {DeleteAutorunInfBox, ckCheckBox, "Delete Autorun.inf", AutorunGroup, 160, 64, 241, 17},
  {DeleteAutorunAllBox, ckCheckBox, "Delete Autorun.*", AutorunGroup, 160, 80, 241, 17},
  {DefaultValuesButton, ckButton, "Default values", AutorunGroup, 160, 104, 97, 25},
  {ExceptionsButton, ckButton, "Exceptions", AutorunGroup, 264, 104, 97, 25},
  {VaccinateBox, ckCheckBox, "Vaccinate", AutorunGroup, 8, 136, 129, 17},
  {RepairShortcutsBox, ckCheckBox, "Repair shortcut-worm damage", AutorunGroup, 160, 136, 241, 17},
  {QuarantineButton, ckButton, "Quarantine...", 0, 88, 384, 97, 25},
  {QuitButton, ckButton, "Quit", 0, 340, 384, 75, 25},
};
const int MainWindowControlCount = sizeof(MainWindowControls) / sizeof(MainWindowControls[0]);

const char *const DriveKindNames[5] = {"CD-ROM", "Removable", "Fixed", "Remote", "Other"};

const TMenuItemSpec TrayMenuItems[3] = {
    {ShowWindowItem, "Show window"}, {QuarantineItem, "Quarantine..."}, {QuitItem, "Quit"}};
const char *const VaccinateDriveCaption = "Vaccinate drive %s";
const char *const RemoveVaccineCaption = "Remove vaccine from %s";

const char *const MainWindowFontName = "Tahoma";

namespace
{
struct TKindClass
{
  const char *ClassName;
  DWORD Style;
};

TKindClass ClassOf(TControlKind kind)
{
  switch (kind)
  {
  case ckGroup: return {"BUTTON", BS_GROUPBOX};
  case ckLabel: return {"STATIC", SS_LEFT | SS_NOPREFIX};
  case ckCheckBox: return {"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP};
  case ckButton: return {"BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP};
  case ckDefaultButton: return {"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP};
  // The designed height, not one rounded to whole items.
  case ckList: return {"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL | WS_TABSTOP | WS_GROUP};
  }
  return {"STATIC", 0};
}

const TControlSpec *SpecOf(int id)
{
  for (int i = 0; i < MainWindowControlCount; ++i)
    if (MainWindowControls[i].Id == id)
      return &MainWindowControls[i];
  return nullptr;
}
}

std::vector<ChildControl> MainWindowChildControls()
{
  // The table places a group's controls within the group; the window holds
  // them all, so that their notifications reach it.
  std::vector<ChildControl> rows;
  for (int i = 0; i < MainWindowControlCount; ++i)
  {
    const TControlSpec &spec = MainWindowControls[i];
    ChildControl row = {spec.Id, nullptr, 0, 0, spec.Caption, spec.Left, spec.Top, spec.Width, spec.Height};
    if (const TControlSpec *group = spec.Group ? SpecOf(spec.Group) : nullptr)
    {
      row.Left += group->Left;
      row.Top += group->Top;
    }
    const TKindClass kind = ClassOf(spec.Kind);
    row.ClassName = kind.ClassName;
    row.Style = kind.Style;
    rows.push_back(row);
  }
  return rows;
}
