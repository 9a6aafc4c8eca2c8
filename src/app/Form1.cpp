#include "Form1.h"
#include "../log/Logger.h"
#include "../log/Report.h"
#include "../protection/DriveDiscovery.h"
#include "../protection/DriveInspection.h"
#include "../shell/ShellNotification.h"
#include "../common/Messages.h"
#include "ProductInfo.h"

TForm1 *Form1 = nullptr;
TSettings Settings;

static const char *const MainWindowClass = "TForm1";
static const char *const MutexName = "MervaneMutexObject";

// Client area as designed, at 96 dots per inch.
static const int DesignedClientWidth = 424;
static const int DesignedClientHeight = 395;

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
  if (Form1 == this)
    Form1 = nullptr;
}

void TForm1::Construct()
{
  // 1. The window, hidden, centred for when it is first shown.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame = {0, 0, DesignedClientWidth, DesignedClientHeight};
  ::AdjustWindowRectEx(&frame, style, FALSE, 0);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  const int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  if (!CreateFor(MainWindowClass, "", style, 0, x, y, width, height, nullptr))
  {
    // Nothing was loaded, so nothing may be saved over the user's file.
    SkipSaveOnExit = true;
    return;
  }
  CreateShellNotification();

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

  // 6. Title.
  const std::string title = WindowTitle();
  ::SetWindowTextA(_hwnd, title.c_str());

  // 7. Logger.
  _logger.reset(new TFileLogger(_paths.LogPath));
  _logger->Threshold = MERVANE_LOG_LEVEL;
  SetReportLogger(_logger.get());
  CWindow::SetErrorReporter(Report);

  // 8. Settings.
  ResetDefaults(Settings);
  LoadSettings(Settings, _paths.CommonIniPath, _paths.IniPath, Report);

  // 12. Visibility.
  if (!Settings.RunMinimized)
  {
    ::ShowWindow(_hwnd, SW_SHOWNORMAL);
    ::UpdateWindow(_hwnd);
  }

  // 15. Every drive present now.
  ScanDrives([](const std::string &root) { InspectDrive(root, Settings); });
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
static void InspectReportedItem(const TStShellItem *ShellItem)
{
  if (!ShellItem || ShellItem->Path.empty())
    return;
  const std::string root = ShellItem->Path;
  InspectDrive(root, Settings);
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
  // No report may reach a handler once the logger is gone.
  StShellNotification1.reset();
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
  default:
    return DefaultHandling(message, wParam, lParam);
  }
}
