#include "Form1.h"
#include "CrossThread.h"
#include <shellapi.h>
#include <vector>
#include "../common/Messages.h"
#include "../exceptions/Form2.h"
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
const UINT_PTR Timer1 = 1;
const UINT Timer1Interval = 1000;
// The tray icon is tried this many times more after its first failure.
const int IconRetries = 120;

const int BehaviourBoxCount = 5;
const TForm1Control BehaviourBoxes[BehaviourBoxCount] = {CheckBox8, CheckBox9, CheckBox10, CheckBox11, CheckBox13};
bool BehaviourFlags::*const BehaviourMembers[BehaviourBoxCount] = {
    &BehaviourFlags::RemoveMenuItems, &BehaviourFlags::InformUser, &BehaviourFlags::DeleteAutorunInf,
    &BehaviourFlags::DeleteAutorunAll, &BehaviourFlags::RepairShortcuts};
const TForm1Control AutoPlayBoxes[AutoPlayBoxCount] = {CheckBox3, CheckBox4, CheckBox5, CheckBox6, CheckBox7};

// Items 13 pixels high at 96 dpi, as designed: all five kinds fit without scrolling.
const int ListItemHeight = 13;

// The window's style is a fixed single border with a system menu and a
// minimize button; its outer size is the designed client area, scaled to
// `dpi`, with frames of 3 pixels, then corrected for the platform's frames.
TCreateParams MainWindowParams(int dpi)
{
  TCreateParams params;
  params.Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  params.Width = ScaleToDpi(Form1ClientWidth, dpi) + 2 * 3;
  params.Height = ScaleToDpi(Form1ClientHeight, dpi) + 2 * 3 + SystemMetricForDpi(SM_CYCAPTION, dpi);
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
  for (int i = 0; i < Form1ControlCount; ++i)
    if (Form1Controls[i].Id == id)
      return &Form1Controls[i];
  return nullptr;
}
}

TForm1::TForm1(TProgram &program) : _program(program), _settings(program.Settings())
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

TForm1::~TForm1()
{
  // Destroyed here, not by the base class: by then WM_DESTROY would no longer
  // reach FormDestroy.
  if (_hwnd)
    ::DestroyWindow(_hwnd);
  if (PopupMenu1)
    ::DestroyMenu(PopupMenu1);
}

void TForm1::SetTitle(const std::string &title)
{
  ::SetWindowTextA(_hwnd, title.c_str());
  StTrayIcon1->SetHint(title);
}

void TForm1::SetErrorReporter(ErrorReporter reporter)
{
  StTrayIcon1->SetErrorReporter(reporter);
  StShellNotification1->SetErrorReporter(reporter);
  CWindow::SetErrorReporter(std::move(reporter));
}

void TForm1::ShowSettings()
{
  EnableControls();
  SetChecked(CheckBox12, _settings.RunMinimized);
  ::SendMessageA(Control(ListBox1), LB_SETCURSEL, 0, 0);
  ListBox1Click();
}

void TForm1::Present()
{
  // The tray icon, tried once a second until the taskbar takes it.
  if (!_settings.IsLocked(NoTrayIcon))
    ::SetTimer(_hwnd, Timer1, Timer1Interval, nullptr);
  if (!_settings.RunMinimized)
  {
    ::ShowWindow(_hwnd, SW_SHOWNORMAL);
    ::UpdateWindow(_hwnd);
  }
}

void TForm1::ApplyPolicies()
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

bool TForm1::CreateControls(int dpi)
{
  // The table places a group's controls within the group; the window holds
  // them all, so that their notifications reach it.
  std::vector<ChildControl> rows;
  for (int i = 0; i < Form1ControlCount; ++i)
  {
    const TControlSpec &spec = Form1Controls[i];
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
  if (!_controls.Create(_hwnd, Form1FontName, Form1FontPoints, rows.data(), rows.size(), dpi))
    return false;
  ::SendMessageA(Control(ListBox1), LB_SETITEMHEIGHT, 0, ScaleToDpi(ListItemHeight, dpi));
  for (const char *name : DriveKindNames)
    ::SendMessageA(Control(ListBox1), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));

  PopupMenu1 = ::CreatePopupMenu();
  if (!PopupMenu1)
    return false;
  for (const TMenuItemSpec &item : PopupMenu1Items)
    ::AppendMenuA(PopupMenu1, MF_STRING, item.Id, item.Caption);
  return true;
}

void TForm1::EnableControls()
{
  const bool settings = !_settings.IsLocked(LockSettings);
  for (TForm1Control box : {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox6, CheckBox7, CheckBox8,
                            CheckBox9, CheckBox10, CheckBox11, CheckBox13, CheckBox12, Button4, Button2})
    ::EnableWindow(Control(box), settings);
  const bool quit = !_settings.IsLocked(LockQuit);
  ::EnableWindow(Control(Button3), quit);
  ::EnableMenuItem(PopupMenu1, Quit1, MF_BYCOMMAND | (quit ? MF_ENABLED : MF_GRAYED));
  // A user list that could not be read is not in memory: edits made in the
  // dialog could not be saved without losing it, and would be lost silently.
  ::EnableWindow(Control(Button5), !_settings.IsLocked(LockExceptions) && !_settings.UserExceptionsUnread);
}

bool TForm1::Checked(TForm1Control box) const
{
  return ::SendMessageA(Control(box), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TForm1::SetChecked(TForm1Control box, bool checked)
{
  if (Checked(box) == checked)
    return;
  ::SendMessageA(Control(box), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  WMCommand(box, BN_CLICKED);
}

void TForm1::CreateTrayIcon()
{
  // Inactive until Timer1 gets it into the notification area.
  StTrayIcon1.reset(new TStTrayIcon(_hwnd, _program.Seams().NotifyIcon));
  StTrayIcon1->BeginLoading();
  StTrayIcon1->SetActive(false);
  StTrayIcon1->SetMinimizeToTray(true);
  StTrayIcon1->SetCloseToTray(false);
  StTrayIcon1->SetPopupMenu(PopupMenu1);
  StTrayIcon1->Loaded();
}

void TForm1::ListBox1Click()
{
  const LRESULT i = ::SendMessageA(Control(ListBox1), LB_GETCURSEL, 0, 0);
  if (i < 0 || i >= DriveKindCount)
    return;
  SuppressBehaviourClicks = true;
  for (int m = 0; m < BehaviourBoxCount; ++m)
    SetChecked(BehaviourBoxes[m], _settings.Flags[i].*BehaviourMembers[m]);
  SuppressBehaviourClicks = false;
}

void TForm1::CheckBox8Click()
{
  if (SuppressBehaviourClicks)
    return;
  const LRESULT i = ::SendMessageA(Control(ListBox1), LB_GETCURSEL, 0, 0);
  if (i < 0 || i >= DriveKindCount)
    return;
  for (int m = 0; m < BehaviourBoxCount; ++m)
    _settings.Flags[i].*BehaviourMembers[m] = Checked(BehaviourBoxes[m]);
}

void TForm1::CheckBox12Click() { _settings.RunMinimized = Checked(CheckBox12); }

void TForm1::Button5Click() { _program.EditExceptions(_hwnd); }

void TForm1::ShowAutoPlayMask(BYTE mask)
{
  const TAutoPlayBoxes boxes = AutoPlayBoxesOf(mask);
  for (int i = 0; i < AutoPlayBoxCount; ++i)
    SetChecked(AutoPlayBoxes[i], boxes[i]);
}

void TForm1::ReadAutoPlayPolicy()
{
  BYTE mask = 0;
  if (ReadAutoPlayMask(mask, _program.Seams().RegistryDeny))
    ShowAutoPlayMask(mask);
}

void TForm1::WriteAutoPlayPolicy()
{
  if (_settings.IsLocked(LockSettings))
    return;
  TAutoPlayBoxes boxes{};
  for (int i = 0; i < AutoPlayBoxCount; ++i)
    boxes[i] = Checked(AutoPlayBoxes[i]);
  const bool written = WriteAutoPlayMask(AutoPlayMaskOf(boxes), _program.Seams().RegistryDeny);
  for (TForm1Control box : AutoPlayBoxes)
    ::EnableWindow(Control(box), written);
}

void TForm1::CheckBox3Click()
{
  if (SuppressAutoPlayClicks)
    return;
  WriteAutoPlayPolicy();
  SuppressAutoPlayClicks = true;
  ReadAutoPlayPolicy();
  SuppressAutoPlayClicks = false;
}

void TForm1::ReadStartupEntries()
{
  bool exists = false;
  if (ReadStartupEntry(psUser, exists, _program.Seams().RegistryDeny))
    SetChecked(CheckBox2, exists);
  if (ReadStartupEntry(psMachine, exists, _program.Seams().RegistryDeny))
    SetChecked(CheckBox1, exists);
  ::EnableWindow(Control(CheckBox2), !Checked(CheckBox1));
}

void TForm1::WriteStartupEntries()
{
  if (_settings.IsLocked(LockSettings))
    return;
  const std::string program = ProgramFilePath();
  const TStartupWrite machine = WriteStartupEntry(psMachine, Checked(CheckBox1), program, _program.Seams().RegistryDeny);
  if (machine == swFailed)
    return;
  ::EnableWindow(Control(CheckBox1), machine == swDone);
  WriteStartupEntry(psUser, Checked(CheckBox2), program, _program.Seams().RegistryDeny);
}

void TForm1::CheckBox1Click()
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
void TForm1::ClearDisabledUserEntry()
{
  if (::IsWindowEnabled(Control(CheckBox2)))
    return;
  if (!ClearingUserEntry)
  {
    ClearingUserEntry = true;
    SetChecked(CheckBox2, false);
    ClearingUserEntry = false;
  }
  // An entry that could not be removed is read back ticked; clearing it with
  // the handler again would never end.
  if (Checked(CheckBox2))
  {
    SuppressStartupClicks = true;
    SetChecked(CheckBox2, false);
    SuppressStartupClicks = false;
  }
}

void TForm1::Button1Click()
{
  _program.SaveSettings(_hwnd);
  ::ShowWindow(_hwnd, SW_HIDE);
}

void TForm1::Button2Click()
{
  const std::string path = DirectoryPartOf(ProgramFilePath()) + "Readme." + LoadMessage(IDS_LANGUAGE) + ".txt";
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return;
  ::ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TForm1::Button3Click() { Close(); }
void TForm1::Quit1Click() { Close(); }

void TForm1::Button4Click()
{
  TSettings defaults;
  ResetDefaults(defaults);
  for (int k = 0; k < DriveKindCount; ++k)
    _settings.Flags[k] = defaults.Flags[k];
  ::SendMessageA(Control(ListBox1), LB_SETCURSEL, 0, 0);
  ListBox1Click();
}

void TForm1::Showwindow1Click()
{
  ::ShowWindow(_hwnd, SW_SHOWNORMAL);
  ::SetForegroundWindow(_hwnd);
}

void TForm1::Timer1Timer()
{
  if (StTrayIcon1->GetActive())
  {
    ::KillTimer(_hwnd, Timer1);
    return;
  }
  try
  {
    StTrayIcon1->SetActive(true);
    ::KillTimer(_hwnd, Timer1);
  }
  catch (const ETrayIconError &)
  {
    if (++_iconFailures <= IconRetries)
      return;
    ::KillTimer(_hwnd, Timer1);
    const std::string text = LoadMessage(IDS_NO_TRAY_ICON);
    _program.Log(text);
    const std::string title = WindowTitle();
    ::MessageBoxA(_hwnd, text.c_str(), title.c_str(), MB_OK);
  }
}

void TForm1::WMCommand(int id, int code)
{
  switch (id)
  {
  case ListBox1:
    if (code == LBN_SELCHANGE)
      ListBox1Click();
    return;
  case Showwindow1: Showwindow1Click(); return;
  case Quit1: Quit1Click(); return;
  }
  if (code != BN_CLICKED)
    return;
  switch (id)
  {
  case CheckBox1:
  case CheckBox2: CheckBox1Click(); break;
  case CheckBox3:
  case CheckBox4:
  case CheckBox5:
  case CheckBox6:
  case CheckBox7: CheckBox3Click(); break;
  case CheckBox8:
  case CheckBox9:
  case CheckBox10:
  case CheckBox11:
  case CheckBox13: CheckBox8Click(); break;
  case CheckBox12: CheckBox12Click(); break;
  case Button1: Button1Click(); break;
  case Button2: Button2Click(); break;
  case Button3: Button3Click(); break;
  case Button4: Button4Click(); break;
  case Button5: Button5Click(); break;
  }
}

void TForm1::CreateShellNotification()
{
  // Registered at Loaded, with the final set of events. A report can only be
  // handled once the message loop runs, which is after the start-up below.
  StShellNotification1.reset(new TStShellNotification());
  StShellNotification1->BeginLoading();
  StShellNotification1->SetActive(true);
  StShellNotification1->SetNotifyEvents({neDriveAdd, neShellDriveAdd, neMediaInsert, neNetShare});
  StShellNotification1->SetSpecialWatchFolder(sfNone);
  StShellNotification1->SetWatchSubFolders(false);
  StShellNotification1->OnDriveAdd = [this](TStCustomShellNotification *Sender, TStShellItem *ShellItem)
  { StShellNotification1DriveAdd(Sender, ShellItem); };
  StShellNotification1->OnMediaInsert = [this](TStCustomShellNotification *Sender, TStShellItem *ShellItem)
  { StShellNotification1MediaInsert(Sender, ShellItem); };
  StShellNotification1->OnNetShare = [this](TStCustomShellNotification *Sender, TStShellItem *ShellItem)
  { StShellNotification1NetShare(Sender, ShellItem); };
  StShellNotification1->OnShellDriveAdd = [this](TStCustomShellNotification *Sender, TStShellItem *ShellItem)
  { StShellNotification1ShellDriveAdd(Sender, ShellItem); };
  StShellNotification1->Loaded();
}

// A report without an item, or an item the shell has no parsing name for,
// leaves nothing to inspect: an empty root would search the current folder.
void TForm1::InspectReportedItem(const TStShellItem *ShellItem)
{
  if (!ShellItem || ShellItem->Path.empty())
    return;
  const std::string root = ShellItem->Path;
  _program.InspectRoot(root);
}

void TForm1::StShellNotification1DriveAdd(TStCustomShellNotification *, TStShellItem *ShellItem)
{
  InspectReportedItem(ShellItem);
}

void TForm1::StShellNotification1MediaInsert(TStCustomShellNotification *, TStShellItem *ShellItem)
{
  InspectReportedItem(ShellItem);
}

void TForm1::StShellNotification1NetShare(TStCustomShellNotification *, TStShellItem *ShellItem)
{
  InspectReportedItem(ShellItem);
}

void TForm1::StShellNotification1ShellDriveAdd(TStCustomShellNotification *, TStShellItem *ShellItem)
{
  InspectReportedItem(ShellItem);
}

void TForm1::WMDpiChanged(int dpi, LPARAM suggested)
{
  _controls.Apply(_hwnd, dpi);
  ::SendMessageA(Control(ListBox1), LB_SETITEMHEIGHT, 0, ScaleToDpi(ListItemHeight, dpi));
  TakeSuggestedPlace(_hwnd, suggested);
}

void TForm1::Close()
{
  bool canClose = true;
  FormCloseQuery(canClose);
  if (canClose)
    ::DestroyWindow(_hwnd);
  else
    ::ShowWindow(_hwnd, SW_HIDE);
}

bool TForm1::ConfirmQuit()
{
  const std::string text = LoadMessage(IDS_CONFIRM_QUIT);
  if (::MessageBoxA(_hwnd, text.c_str(), ProductTitle, MB_YESNO | MB_ICONQUESTION) != IDYES)
    return false;
  _program.Log(LoadMessage(IDS_USER_CLOSED));
  return true;
}

void TForm1::FormCloseQuery(bool &canClose)
{
  canClose = CloseAllowed || (!_settings.IsLocked(LockQuit) && ConfirmQuit());
}

void TForm1::FormDestroy()
{
  // No report may reach a handler once the program has ended. The tray icon
  // outlives the window: it is freed by the destructor, once no message of
  // the window can reach its hook any more.
  ::KillTimer(_hwnd, Timer1);
  StShellNotification1.reset();
  _program.End();
}

LRESULT TForm1::WMQueryEndSession()
{
  CloseAllowed = true;
  return 1;
}

void TForm1::WMEndSession(bool ending)
{
  if (ending)
    _program.EndSession();
}

void TForm1::WMUserQuit()
{
  CloseAllowed = true;
  Close();
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
  switch (message)
  {
  case WM_COMMAND:
    WMCommand(LOWORD(wParam), HIWORD(wParam));
    return 0;
  case WM_TIMER:
    if (wParam == Timer1)
      Timer1Timer();
    return 0;
  case WM_CLOSE:
    Close();
    return 0;
  case WM_DESTROY:
    FormDestroy();
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
