#include "MainWindow.h"
#include "CrossThread.h"
#include <shellapi.h>
#include <vector>
#include "../common/Messages.h"
#include "../exceptions/ExceptionsDialog.h"
#include "../platform/Controls.h"
#include "../platform/Dpi.h"
#include "../platform/PathText.h"
#include "../policy/AutoPlayPolicy.h"
#include "../policy/StartupEntries.h"
#include "../protection/DriveInspection.h"
#include "../shell/ShellNotification.h"
#include "../shell/TrayIcon.h"
#include "ProductInfo.h"
#include "Program.h"
#include "Windowtools.h"

const char *const MainWindowClass = "TForm1";

namespace
{
const UINT_PTR TrayIconTimer = 1;
const UINT TrayIconTimerInterval = 1000;
// The tray icon is tried this many times more after its first failure.
const int IconRetries = 120;

const int BehaviourBoxCount = 5;
const TMainWindowControl BehaviourBoxes[BehaviourBoxCount] = {RemoveMenuItemsBox, InformUserBox, DeleteAutorunInfBox,
                                                               DeleteAutorunAllBox, RepairShortcutsBox};
bool BehaviourFlags::*const BehaviourMembers[BehaviourBoxCount] = {
    &BehaviourFlags::RemoveMenuItems, &BehaviourFlags::InformUser, &BehaviourFlags::DeleteAutorunInf,
    &BehaviourFlags::DeleteAutorunAll, &BehaviourFlags::RepairShortcuts};
const TMainWindowControl AutoPlayBoxes[AutoPlayBoxCount] = {AutoPlayCdRomBox, AutoPlayRemovableBox, AutoPlayFixedBox,
                                                             AutoPlayRemoteBox, AutoPlayOtherBox};

// Items 13 pixels high at 96 dpi, as designed: all five kinds fit without scrolling.
const int ListItemHeight = 13;

// The window's style is a fixed single border with a system menu and a
// minimize button; its outer size is the designed client area, scaled to
// `dpi`, with frames of 3 pixels, then corrected for the platform's frames.
TCreateParams MainWindowParams(int dpi)
{
  TCreateParams params;
  params.Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  params.Width = ScaleToDpi(MainWindowClientWidth, dpi) + 2 * 3;
  params.Height = ScaleToDpi(MainWindowClientHeight, dpi) + 2 * 3 + SystemMetricForDpi(SM_CYCAPTION, dpi);
  AdjustFormSize(bsSingle, params, [dpi](int index) { return SystemMetricForDpi(index, dpi); });
  params.X = (::GetSystemMetrics(SM_CXSCREEN) - params.Width) / 2;
  params.Y = (::GetSystemMetrics(SM_CYSCREEN) - params.Height) / 2;
  return params;
}

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

TMainWindow::TMainWindow(TProgram &program) : _program(program), _settings(program.Settings())
{
  int dpi = SystemDpi();
  TCreateParams params = MainWindowParams(dpi);
  const bool made = CreateFor(MainWindowClass, "", params.Style, 0, params.X, params.Y, params.Width, params.Height,
                              nullptr);
  // Made on a monitor of another dpi than the system's.
  if (made && WindowDpi(_hwnd) != dpi)
  {
    dpi = WindowDpi(_hwnd);
    params = MainWindowParams(dpi);
    ::SetWindowPos(_hwnd, nullptr, params.X, params.Y, params.Width, params.Height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (!made || !CreateControls(dpi))
  {
    if (_hwnd)
      ::DestroyWindow(_hwnd);
    return;
  }
  CreateShellNotification();
  CreateTrayIcon();
}

TMainWindow::~TMainWindow()
{
  // Destroyed here, not by the base class: by then WM_DESTROY would no longer
  // reach WindowDestroyed.
  if (_hwnd)
    ::DestroyWindow(_hwnd);
  if (_trayMenu)
    ::DestroyMenu(_trayMenu);
}

void TMainWindow::SetTitle(const std::string &title)
{
  ::SetWindowTextA(_hwnd, title.c_str());
  _trayIcon->SetHint(title);
}

void TMainWindow::SetErrorReporter(ErrorReporter reporter)
{
  _trayIcon->SetErrorReporter(reporter);
  _shellNotification->SetErrorReporter(reporter);
  CWindow::SetErrorReporter(std::move(reporter));
}

void TMainWindow::ShowSettings()
{
  EnableControls();
  SetChecked(RunMinimizedBox, _settings.RunMinimized);
  ::SendMessageA(Control(DriveKindList), LB_SETCURSEL, 0, 0);
  DriveKindSelected();
}

void TMainWindow::Present()
{
  // The tray icon, tried once a second until the taskbar takes it.
  if (!_settings.IsLocked(NoTrayIcon))
    ::SetTimer(_hwnd, TrayIconTimer, TrayIconTimerInterval, nullptr);
  if (!_settings.RunMinimized)
  {
    ::ShowWindow(_hwnd, SW_SHOWNORMAL);
    ::UpdateWindow(_hwnd);
  }
}

void TMainWindow::ApplyPolicies()
{
  // AutoPlay: a first run offers its own choice, written as each box changes.
  if (_settings.FirstRun)
    ShowAutoPlayMask(FirstRunAutoPlayMask);
  else
  {
    SuppressAutoPlayClicks = true;
    ReadAutoPlayPolicy();
    SuppressAutoPlayClicks = false;
  }
  WriteAutoPlayPolicy();

  // Start at logon: existing entries are rewritten with this program's path.
  SuppressStartupClicks = true;
  ReadStartupEntries();
  SuppressStartupClicks = false;
  WriteStartupEntries();
  ClearDisabledUserEntry();
}

bool TMainWindow::CreateControls(int dpi)
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
  if (!_controls.Create(_hwnd, MainWindowFontName, MainWindowFontPoints, rows.data(), rows.size(), dpi))
    return false;
  ::SendMessageA(Control(DriveKindList), LB_SETITEMHEIGHT, 0, ScaleToDpi(ListItemHeight, dpi));
  for (const char *name : DriveKindNames)
    ::SendMessageA(Control(DriveKindList), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));

  _trayMenu = ::CreatePopupMenu();
  if (!_trayMenu)
    return false;
  for (const TMenuItemSpec &item : TrayMenuItems)
    ::AppendMenuA(_trayMenu, MF_STRING, item.Id, item.Caption);
  return true;
}

void TMainWindow::EnableControls()
{
  const bool settings = !_settings.IsLocked(LockSettings);
  for (TMainWindowControl box :
       {AnyUserLogonBox, CurrentUserLogonBox, AutoPlayCdRomBox, AutoPlayRemovableBox, AutoPlayFixedBox,
        AutoPlayRemoteBox, AutoPlayOtherBox, RemoveMenuItemsBox, InformUserBox, DeleteAutorunInfBox,
        DeleteAutorunAllBox, RepairShortcutsBox, RunMinimizedBox, DefaultValuesButton, ReadmeButton})
    ::EnableWindow(Control(box), settings);
  const bool quit = !_settings.IsLocked(LockQuit);
  ::EnableWindow(Control(QuitButton), quit);
  ::EnableMenuItem(_trayMenu, QuitItem, MF_BYCOMMAND | (quit ? MF_ENABLED : MF_GRAYED));
  // A user list that could not be read is not in memory: edits made in the
  // dialog could not be saved without losing it, and would be lost silently.
  ::EnableWindow(Control(ExceptionsButton), !_settings.IsLocked(LockExceptions) && !_settings.UserExceptionsUnread);
}

bool TMainWindow::Checked(TMainWindowControl box) const
{
  return ::SendMessageA(Control(box), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TMainWindow::SetChecked(TMainWindowControl box, bool checked)
{
  if (Checked(box) == checked)
    return;
  ::SendMessageA(Control(box), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  WMCommand(box, BN_CLICKED);
}

void TMainWindow::CreateTrayIcon()
{
  // Inactive until TrayIconTimer gets it into the notification area.
  _trayIcon.reset(new TStTrayIcon(_hwnd, _program.Seams().NotifyIcon));
  _trayIcon->BeginLoading();
  _trayIcon->SetActive(false);
  _trayIcon->SetMinimizeToTray(true);
  _trayIcon->SetCloseToTray(false);
  _trayIcon->SetPopupMenu(_trayMenu);
  _trayIcon->Loaded();
}

void TMainWindow::DriveKindSelected()
{
  const LRESULT i = ::SendMessageA(Control(DriveKindList), LB_GETCURSEL, 0, 0);
  if (i < 0 || i >= DriveKindCount)
    return;
  SuppressBehaviourClicks = true;
  for (int m = 0; m < BehaviourBoxCount; ++m)
    SetChecked(BehaviourBoxes[m], _settings.Flags[i].*BehaviourMembers[m]);
  SuppressBehaviourClicks = false;
}

void TMainWindow::BehaviourBoxClicked()
{
  if (SuppressBehaviourClicks)
    return;
  const LRESULT i = ::SendMessageA(Control(DriveKindList), LB_GETCURSEL, 0, 0);
  if (i < 0 || i >= DriveKindCount)
    return;
  for (int m = 0; m < BehaviourBoxCount; ++m)
    _settings.Flags[i].*BehaviourMembers[m] = Checked(BehaviourBoxes[m]);
}

void TMainWindow::RunMinimizedClicked() { _settings.RunMinimized = Checked(RunMinimizedBox); }

void TMainWindow::ExceptionsClicked() { _program.EditExceptions(_hwnd); }

void TMainWindow::ShowAutoPlayMask(BYTE mask)
{
  const TAutoPlayBoxes boxes = AutoPlayBoxesOf(mask);
  for (int i = 0; i < AutoPlayBoxCount; ++i)
    SetChecked(AutoPlayBoxes[i], boxes[i]);
}

void TMainWindow::ReadAutoPlayPolicy()
{
  BYTE mask = 0;
  if (ReadAutoPlayMask(mask, _program.Seams().RegistryDeny))
    ShowAutoPlayMask(mask);
}

void TMainWindow::WriteAutoPlayPolicy()
{
  if (_settings.IsLocked(LockSettings))
    return;
  TAutoPlayBoxes boxes{};
  for (int i = 0; i < AutoPlayBoxCount; ++i)
    boxes[i] = Checked(AutoPlayBoxes[i]);
  const bool written = WriteAutoPlayMask(AutoPlayMaskOf(boxes), _program.Seams().RegistryDeny);
  for (TMainWindowControl box : AutoPlayBoxes)
    ::EnableWindow(Control(box), written);
}

void TMainWindow::AutoPlayBoxClicked()
{
  if (SuppressAutoPlayClicks)
    return;
  WriteAutoPlayPolicy();
  SuppressAutoPlayClicks = true;
  ReadAutoPlayPolicy();
  SuppressAutoPlayClicks = false;
}

void TMainWindow::ReadStartupEntries()
{
  bool exists = false;
  if (ReadStartupEntry(psUser, exists, _program.Seams().RegistryDeny))
    SetChecked(CurrentUserLogonBox, exists);
  if (ReadStartupEntry(psMachine, exists, _program.Seams().RegistryDeny))
    SetChecked(AnyUserLogonBox, exists);
  ::EnableWindow(Control(CurrentUserLogonBox), !Checked(AnyUserLogonBox));
}

void TMainWindow::WriteStartupEntries()
{
  if (_settings.IsLocked(LockSettings))
    return;
  const std::string program = ProgramFilePath();
  const TStartupWrite machine =
      WriteStartupEntry(psMachine, Checked(AnyUserLogonBox), program, _program.Seams().RegistryDeny);
  if (machine == swFailed)
    return;
  ::EnableWindow(Control(AnyUserLogonBox), machine == swDone);
  WriteStartupEntry(psUser, Checked(CurrentUserLogonBox), program, _program.Seams().RegistryDeny);
}

void TMainWindow::StartupBoxClicked()
{
  if (SuppressStartupClicks)
    return;
  WriteStartupEntries();
  SuppressStartupClicks = true;
  ReadStartupEntries();
  SuppressStartupClicks = false;
  ClearDisabledUserEntry();
}

// The every-user entry excludes the user's own: clearing the user's box runs
// the handler, whose write removes the entry.
void TMainWindow::ClearDisabledUserEntry()
{
  if (::IsWindowEnabled(Control(CurrentUserLogonBox)))
    return;
  if (!ClearingUserEntry)
  {
    ClearingUserEntry = true;
    SetChecked(CurrentUserLogonBox, false);
    ClearingUserEntry = false;
  }
  // An entry that could not be removed is read back ticked; clearing it with
  // the handler again would never end.
  if (Checked(CurrentUserLogonBox))
  {
    SuppressStartupClicks = true;
    SetChecked(CurrentUserLogonBox, false);
    SuppressStartupClicks = false;
  }
}

void TMainWindow::OkClicked()
{
  _program.SaveSettings(_hwnd);
  ::ShowWindow(_hwnd, SW_HIDE);
}

void TMainWindow::ReadmeClicked()
{
  const std::string path = DirectoryPartOf(ProgramFilePath()) + "Readme." + LoadMessage(IDS_LANGUAGE) + ".txt";
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return;
  ::ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TMainWindow::QuitClicked() { Close(); }
void TMainWindow::QuitChosen() { Close(); }

void TMainWindow::DefaultValuesClicked()
{
  TSettings defaults;
  ResetDefaults(defaults);
  for (int k = 0; k < DriveKindCount; ++k)
    _settings.Flags[k] = defaults.Flags[k];
  ::SendMessageA(Control(DriveKindList), LB_SETCURSEL, 0, 0);
  DriveKindSelected();
}

void TMainWindow::ShowWindowChosen()
{
  ::ShowWindow(_hwnd, SW_SHOWNORMAL);
  ::SetForegroundWindow(_hwnd);
}

void TMainWindow::TrayIconTimerTick()
{
  if (_trayIcon->GetActive())
  {
    ::KillTimer(_hwnd, TrayIconTimer);
    return;
  }
  try
  {
    _trayIcon->SetActive(true);
    ::KillTimer(_hwnd, TrayIconTimer);
  }
  catch (const ETrayIconError &)
  {
    if (++_iconFailures <= IconRetries)
      return;
    ::KillTimer(_hwnd, TrayIconTimer);
    const std::string text = LoadMessage(IDS_NO_TRAY_ICON);
    _program.Log(text);
    const std::string title = WindowTitle();
    ::MessageBoxA(_hwnd, text.c_str(), title.c_str(), MB_OK);
  }
}

void TMainWindow::WMCommand(int id, int code)
{
  switch (id)
  {
  case DriveKindList:
    if (code == LBN_SELCHANGE)
      DriveKindSelected();
    return;
  case ShowWindowItem: ShowWindowChosen(); return;
  case QuitItem: QuitChosen(); return;
  }
  if (code != BN_CLICKED)
    return;
  switch (id)
  {
  case AnyUserLogonBox:
  case CurrentUserLogonBox: StartupBoxClicked(); break;
  case AutoPlayCdRomBox:
  case AutoPlayRemovableBox:
  case AutoPlayFixedBox:
  case AutoPlayRemoteBox:
  case AutoPlayOtherBox: AutoPlayBoxClicked(); break;
  case RemoveMenuItemsBox:
  case InformUserBox:
  case DeleteAutorunInfBox:
  case DeleteAutorunAllBox:
  case RepairShortcutsBox: BehaviourBoxClicked(); break;
  case RunMinimizedBox: RunMinimizedClicked(); break;
  case OkButton: OkClicked(); break;
  case ReadmeButton: ReadmeClicked(); break;
  case QuitButton: QuitClicked(); break;
  case DefaultValuesButton: DefaultValuesClicked(); break;
  case ExceptionsButton: ExceptionsClicked(); break;
  }
}

void TMainWindow::CreateShellNotification()
{
  // Registered at Loaded, with the final set of events. A report can only be
  // handled once the message loop runs, which is after the start-up below.
  _shellNotification.reset(new TStShellNotification());
  _shellNotification->BeginLoading();
  _shellNotification->SetActive(true);
  _shellNotification->SetNotifyEvents({neDriveAdd, neShellDriveAdd, neMediaInsert, neNetShare});
  _shellNotification->SetSpecialWatchFolder(sfNone);
  _shellNotification->SetWatchSubFolders(false);
  _shellNotification->OnDriveAdd = [this](TStCustomShellNotification *Sender, TStShellItem *ShellItem)
  { ShellDriveAdded(Sender, ShellItem); };
  _shellNotification->OnMediaInsert = [this](TStCustomShellNotification *Sender, TStShellItem *ShellItem)
  { ShellMediaInserted(Sender, ShellItem); };
  _shellNotification->OnNetShare = [this](TStCustomShellNotification *Sender, TStShellItem *ShellItem)
  { ShellNetShared(Sender, ShellItem); };
  _shellNotification->OnShellDriveAdd = [this](TStCustomShellNotification *Sender, TStShellItem *ShellItem)
  { ShellDriveAddedByShell(Sender, ShellItem); };
  _shellNotification->Loaded();
}

// A report without an item, or an item the shell has no parsing name for,
// leaves nothing to inspect: an empty root would search the current folder.
void TMainWindow::InspectReportedItem(const TStShellItem *ShellItem)
{
  if (!ShellItem || ShellItem->Path.empty())
    return;
  const std::string root = ShellItem->Path;
  _program.InspectRoot(root);
}

void TMainWindow::ShellDriveAdded(TStCustomShellNotification *, TStShellItem *ShellItem)
{
  InspectReportedItem(ShellItem);
}

void TMainWindow::ShellMediaInserted(TStCustomShellNotification *, TStShellItem *ShellItem)
{
  InspectReportedItem(ShellItem);
}

void TMainWindow::ShellNetShared(TStCustomShellNotification *, TStShellItem *ShellItem)
{
  InspectReportedItem(ShellItem);
}

void TMainWindow::ShellDriveAddedByShell(TStCustomShellNotification *, TStShellItem *ShellItem)
{
  InspectReportedItem(ShellItem);
}

void TMainWindow::WMDpiChanged(int dpi, LPARAM suggested)
{
  _controls.Apply(_hwnd, dpi);
  ::SendMessageA(Control(DriveKindList), LB_SETITEMHEIGHT, 0, ScaleToDpi(ListItemHeight, dpi));
  TakeSuggestedPlace(_hwnd, suggested);
}

void TMainWindow::Close()
{
  bool canClose = true;
  CloseQuery(canClose);
  if (canClose)
    ::DestroyWindow(_hwnd);
  else
    ::ShowWindow(_hwnd, SW_HIDE);
}

bool TMainWindow::ConfirmQuit()
{
  const std::string text = LoadMessage(IDS_CONFIRM_QUIT);
  if (::MessageBoxA(_hwnd, text.c_str(), ProductTitle, MB_YESNO | MB_ICONQUESTION) != IDYES)
    return false;
  _program.Log(LoadMessage(IDS_USER_CLOSED));
  return true;
}

void TMainWindow::CloseQuery(bool &canClose)
{
  canClose = CloseAllowed || (!_settings.IsLocked(LockQuit) && ConfirmQuit());
}

void TMainWindow::WindowDestroyed()
{
  // No report may reach a handler once the program has ended. The tray icon
  // outlives the window: it is freed by the destructor, once no message of
  // the window can reach its hook any more.
  ::KillTimer(_hwnd, TrayIconTimer);
  _shellNotification.reset();
  _program.End();
}

LRESULT TMainWindow::WMQueryEndSession()
{
  CloseAllowed = true;
  return 1;
}

void TMainWindow::WMEndSession(bool ending)
{
  if (ending)
    _program.SaveAtSessionEnd();
}

void TMainWindow::WMUserQuit()
{
  CloseAllowed = true;
  Close();
}

LRESULT TMainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
  switch (message)
  {
  case WM_COMMAND:
    WMCommand(LOWORD(wParam), HIWORD(wParam));
    return 0;
  case WM_TIMER:
    if (wParam == TrayIconTimer)
      TrayIconTimerTick();
    return 0;
  case WM_CLOSE:
    Close();
    return 0;
  case WM_DESTROY:
    WindowDestroyed();
    ::PostQuitMessage(0);
    return 0;
  case WM_QUERYENDSESSION:
    return WMQueryEndSession();
  case WM_ENDSESSION:
    WMEndSession(wParam != FALSE);
    return 0;
  case WM_MERVANE_QUIT:
    WMUserQuit();
    return 0;
  case WM_MERVANE_INSPECTED:
    _program.DeliverInspections();
    return 0;
  case WmDpiChanged:
    WMDpiChanged(LOWORD(wParam), lParam);
    return 0;
  default:
    return DefaultHandling(message, wParam, lParam);
  }
}
