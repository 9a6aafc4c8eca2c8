#include "Form1.h"
#include "CrossThread.h"
#include <shellapi.h>
#include <vector>
#include "../common/Messages.h"
#include "../exceptions/Form2.h"
#include "../log/Logger.h"
#include "../log/Report.h"
#include "../platform/Controls.h"
#include "../platform/PathText.h"
#include "../policy/AutoPlayPolicy.h"
#include "../policy/StartupEntries.h"
#include "../protection/DriveDiscovery.h"
#include "../protection/DriveInspection.h"
#include "../protection/DriveWork.h"
#include "../shell/ShellNotification.h"
#include "../shell/TrayIcon.h"
#include "ProductInfo.h"
#include "Windowtools.h"

TForm1 *Form1 = nullptr;
TSettings Settings;

namespace
{
const char *const MainWindowClass = "TForm1";
const char *const MutexName = "MervaneMutexObject";
const UINT_PTR Timer1 = 1;
const UINT Timer1Interval = 1000;
// The tray icon is tried this many times more after its first failure.
const int IconRetries = 120;

const TForm1Control BehaviourBoxes[4] = {CheckBox8, CheckBox9, CheckBox10, CheckBox11};
bool BehaviourFlags::*const BehaviourMembers[4] = {&BehaviourFlags::RemoveMenuItems, &BehaviourFlags::InformUser,
                                                   &BehaviourFlags::DeleteAutorunInf,
                                                   &BehaviourFlags::DeleteAutorunAll};
const TForm1Control AutoPlayBoxes[AutoPlayBoxCount] = {CheckBox3, CheckBox4, CheckBox5, CheckBox6, CheckBox7};

// The window's style is a fixed single border with a system menu and a
// minimize button; its outer size is the designed client area with frames of
// 3 pixels, then corrected for the platform's frames.
TCreateParams MainWindowParams()
{
  TCreateParams params;
  params.Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  params.Width = Form1ClientWidth + 2 * 3;
  params.Height = Form1ClientHeight + 2 * 3 + ::GetSystemMetrics(SM_CYCAPTION);
  AdjustFormSize(bsSingle, params);
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

TForm1::TForm1()
{
  Form1 = this;
  Construct();
}

TForm1::~TForm1()
{
  // Destroyed here, not by the base class: by then WM_DESTROY would no longer
  // reach FormDestroy.
  if (_hwnd)
    ::DestroyWindow(_hwnd);
  if (PopupMenu1)
    ::DestroyMenu(PopupMenu1);
  if (_font)
    ::DeleteObject(_font);
  if (Form1 == this)
    Form1 = nullptr;
}

void TForm1::Construct()
{
  // 1. The window with its controls, hidden, centred for when it is first shown.
  const TCreateParams params = MainWindowParams();
  if (!CreateFor(MainWindowClass, "", params.Style, 0, params.X, params.Y, params.Width, params.Height, nullptr) ||
      !CreateControls())
  {
    // Nothing was loaded, so nothing may be saved over the user's file.
    SkipSaveOnExit = true;
    if (_hwnd)
      ::DestroyWindow(_hwnd);
    return;
  }
  CreateShellNotification();
  CreateTrayIcon();

  // 2.-4. Settings and log paths; the settings folder is made on the way.
  _paths = ResolveAppPaths(ProgramFilePath());

  // 5. One instance per logon session.
  _mutex.Attach(::CreateMutexA(nullptr, TRUE, MutexName));
  if (!_mutex.IsValid() || ::GetLastError() == ERROR_ALREADY_EXISTS)
  {
    SkipSaveOnExit = true;
    CloseAllowed = true;
    ::PostQuitMessage(0);
    return;
  }
  _firstInstance = true;

  // 6. Title, also the tray icon's hint.
  const std::string title = WindowTitle();
  ::SetWindowTextA(_hwnd, title.c_str());
  StTrayIcon1->SetHint(title);

  // 7. Logger.
  _logger.reset(new TFileLogger(_paths.LogPath));
  _logger->Threshold = MERVANE_LOG_LEVEL;
  SetReportLogger(_logger.get());
  CWindow::SetErrorReporter(Report);

  // 8. Settings, and what the lock bits leave enabled.
  ResetDefaults(Settings);
  LoadSettings(Settings, _paths.CommonIniPath, _paths.IniPath, Report);
  EnableControls();

  // 9.-10. The boxes.
  SetChecked(CheckBox12, Settings.RunMinimized);
  ::SendMessageA(Control(ListBox1), LB_SETCURSEL, 0, 0);
  ListBox1Click();

  // 11. The tray icon, tried once a second until the taskbar takes it.
  if (!Settings.IsLocked(NoTrayIcon))
    ::SetTimer(_hwnd, Timer1, Timer1Interval, nullptr);

  // 12. Visibility.
  if (!Settings.RunMinimized)
  {
    ::ShowWindow(_hwnd, SW_SHOWNORMAL);
    ::UpdateWindow(_hwnd);
  }

  // 13. AutoPlay: a first run offers its own choice, written as each box changes.
  if (Settings.FirstRun)
    ShowAutoPlayMask(FirstRunAutoPlayMask);
  else
  {
    SuppressAutoPlayClicks = true;
    ReadAutoPlayPolicy();
    SuppressAutoPlayClicks = false;
  }
  WriteAutoPlayPolicy();

  // 14. Start at logon: existing entries are rewritten with this program's path.
  SuppressStartupClicks = true;
  ReadStartupEntries();
  SuppressStartupClicks = false;
  WriteStartupEntries();
  ClearDisabledUserEntry();

  // 15. Every drive present now, on the workers: nothing above waits for a drive.
  StartDriveWork();
  for (const std::string &root : PresentDriveRoots())
    InspectRoot(root, true);
}

bool TForm1::CreateControls()
{
  _font = CreatePointFont(Form1FontName, Form1FontPoints);
  ::SendMessageA(_hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(_font), FALSE);
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
  if (!CreateChildControls(_hwnd, rows.data(), rows.size(), _font))
    return false;
  // Items 13 pixels high, as designed: all five kinds fit without scrolling.
  ::SendMessageA(Control(ListBox1), LB_SETITEMHEIGHT, 0, 13);
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
  const bool settings = !Settings.IsLocked(LockSettings);
  for (TForm1Control box : {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox6, CheckBox7, CheckBox8,
                            CheckBox9, CheckBox10, CheckBox11, CheckBox12, Button4, Button2})
    ::EnableWindow(Control(box), settings);
  const bool quit = !Settings.IsLocked(LockQuit);
  ::EnableWindow(Control(Button3), quit);
  ::EnableMenuItem(PopupMenu1, Quit1, MF_BYCOMMAND | (quit ? MF_ENABLED : MF_GRAYED));
  // A user list that could not be read is not in memory: edits made in the
  // dialog could not be saved without losing it, and would be lost silently.
  ::EnableWindow(Control(Button5), !Settings.IsLocked(LockExceptions) && !Settings.UserExceptionsUnread);
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
  StTrayIcon1.reset(new TStTrayIcon(_hwnd));
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
  for (int m = 0; m < 4; ++m)
    SetChecked(BehaviourBoxes[m], Settings.Flags[i].*BehaviourMembers[m]);
  SuppressBehaviourClicks = false;
}

void TForm1::CheckBox8Click()
{
  if (SuppressBehaviourClicks)
    return;
  const LRESULT i = ::SendMessageA(Control(ListBox1), LB_GETCURSEL, 0, 0);
  if (i < 0 || i >= DriveKindCount)
    return;
  for (int m = 0; m < 4; ++m)
    Settings.Flags[i].*BehaviourMembers[m] = Checked(BehaviourBoxes[m]);
}

void TForm1::CheckBox12Click() { Settings.RunMinimized = Checked(CheckBox12); }

void TForm1::Button5Click()
{
  if (Form2)
    Form2->Execute(_hwnd, Settings, _paths.IniPath, DirectoryPartOf(ProgramFilePath()), WindowTitle());
}

void TForm1::ShowAutoPlayMask(BYTE mask)
{
  const TAutoPlayBoxes boxes = AutoPlayBoxesOf(mask);
  for (int i = 0; i < AutoPlayBoxCount; ++i)
    SetChecked(AutoPlayBoxes[i], boxes[i]);
}

void TForm1::ReadAutoPlayPolicy()
{
  BYTE mask = 0;
  if (ReadAutoPlayMask(mask))
    ShowAutoPlayMask(mask);
}

void TForm1::WriteAutoPlayPolicy()
{
  if (Settings.IsLocked(LockSettings))
    return;
  TAutoPlayBoxes boxes{};
  for (int i = 0; i < AutoPlayBoxCount; ++i)
    boxes[i] = Checked(AutoPlayBoxes[i]);
  const bool written = WriteAutoPlayMask(AutoPlayMaskOf(boxes));
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
  if (ReadStartupEntry(psUser, exists))
    SetChecked(CheckBox2, exists);
  if (ReadStartupEntry(psMachine, exists))
    SetChecked(CheckBox1, exists);
  ::EnableWindow(Control(CheckBox2), !Checked(CheckBox1));
}

void TForm1::WriteStartupEntries()
{
  if (Settings.IsLocked(LockSettings))
    return;
  const std::string program = ProgramFilePath();
  const TStartupWrite machine = WriteStartupEntry(psMachine, Checked(CheckBox1), program);
  if (machine == swFailed)
    return;
  ::EnableWindow(Control(CheckBox1), machine == swDone);
  WriteStartupEntry(psUser, Checked(CheckBox2), program);
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
  SaveSettings(Settings, _paths.IniPath);
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
    Settings.Flags[k] = defaults.Flags[k];
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
    Report(text);
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
  case CheckBox11: CheckBox8Click(); break;
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
  InspectRoot(root);
}

void TForm1::StartDriveWork()
{
  const HWND window = _hwnd;
  _driveWork.reset(new TDriveWork([window] { ::PostMessageA(window, WM_MERVANE_INSPECTED, 0, 0); }));
}

void TForm1::InspectRoot(const std::string &root, bool onlyIfReadable)
{
  if (!_driveWork)
    return;
  TDriveJob job;
  job.Root = root;
  job.Settings = Settings;
  if (Settings.Quarantine)
    job.QuarantineFolder = _paths.QuarantineFolder;
  job.OnlyIfReadable = onlyIfReadable;
  _driveWork->Submit(std::move(job));
}

size_t TForm1::DriveChecksPending() const { return _driveWork ? _driveWork->Pending() : 0; }

void TForm1::WMInspected()
{
  if (_driveWork)
    _reporter.Deliver([this](TInspectionResult &result) { return _driveWork->TakeResult(result); });
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
  Report(LoadMessage(IDS_USER_CLOSED));
  return true;
}

void TForm1::FormCloseQuery(bool &canClose)
{
  canClose = CloseAllowed || (!Settings.IsLocked(LockQuit) && ConfirmQuit());
}

void TForm1::FormDestroy()
{
  // No report may reach a handler once the logger is gone. The tray icon
  // outlives the window: it is freed by the destructor, once no message of
  // the window can reach its hook any more.
  ::KillTimer(_hwnd, Timer1);
  StShellNotification1.reset();
  // A drive that does not answer never holds up the end; only a copy being
  // written into the quarantine is waited for.
  _reporter.Stop();
  if (_driveWork)
    _driveWork->Abandon();
  if (!SkipSaveOnExit && !_savedAtSessionEnd)
    SaveSettings(Settings, _paths.IniPath);
  _mutex.Close();
  if (_logger)
  {
    SetReportLogger(nullptr);
    _logger.reset();
  }
}

LRESULT TForm1::WMQueryEndSession()
{
  CloseAllowed = true;
  return 1;
}

void TForm1::WMEndSession(bool ending)
{
  // The process may be ended without the window ever being destroyed: save now.
  if (ending && !SkipSaveOnExit && !_savedAtSessionEnd)
  {
    SaveSettings(Settings, _paths.IniPath);
    _savedAtSessionEnd = true;
  }
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
    WMInspected();
    return 0;
  default:
    return DefaultHandling(message, wParam, lParam);
  }
}
