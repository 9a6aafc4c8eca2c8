#include "MainWindow.h"
#include "CrossThread.h"
#include <shellapi.h>
#include <vector>
#include "../common/Messages.h"
#include "../platform/Dpi.h"
#include "../platform/PathText.h"
#include "../protection/DriveDiscovery.h"
#include "../shell/TrayIcon.h"
#include "DriveReports.h"
#include "MervaneEvents.h"
#include "ProductInfo.h"
#include "Windowtools.h"

namespace
{
const UINT_PTR TrayIconTimer = 1;
const UINT TrayIconTimerInterval = 1000;
// The tray icon is tried this many times more after its first failure.
const int IconRetries = 120;

const int BehaviourBoxCount = 6;
const TMainWindowControl BehaviourBoxes[BehaviourBoxCount] = {RemoveMenuItemsBox,  InformUserBox,
                                                               DeleteAutorunInfBox, DeleteAutorunAllBox,
                                                               RepairShortcutsBox,  VaccinateBox};
bool BehaviourFlags::*const BehaviourMembers[BehaviourBoxCount] = {
    &BehaviourFlags::RemoveMenuItems, &BehaviourFlags::InformUser,      &BehaviourFlags::DeleteAutorunInf,
    &BehaviourFlags::DeleteAutorunAll, &BehaviourFlags::RepairShortcuts, &BehaviourFlags::Vaccinate};
const int DriveLetters = 26;

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
}

TMainWindow::TMainWindow(TMainWindowOwner &owner)
  : _owner(owner), _settings(owner.Settings()), _policyBoxes(*this, _settings, owner.Seams().RegistryDeny)
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
  _driveReports.reset(
      new TDriveReports([this](const std::string &root, bool shared) { _owner.InspectRoot(root, shared); }));
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
  _driveReports->SetErrorReporter(reporter);
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

bool TMainWindow::CreateControls(int dpi)
{
  const std::vector<ChildControl> rows = MainWindowChildControls();
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
        DeleteAutorunAllBox, RepairShortcutsBox, VaccinateBox, RunMinimizedBox, DefaultValuesButton, ReadmeButton})
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
  _trayIcon.reset(new TStTrayIcon(_hwnd, _owner.Seams().NotifyIcon));
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

void TMainWindow::ExceptionsClicked() { _owner.EditExceptions(_hwnd); }

void TMainWindow::QuarantineClicked() { _owner.ShowQuarantine(_hwnd); }

void TMainWindow::OkClicked()
{
  _owner.SaveSettings(_hwnd);
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

void TMainWindow::MakeDriveItems()
{
  const int fixedItems = sizeof(TrayMenuItems) / sizeof(TrayMenuItems[0]);
  while (::GetMenuItemCount(_trayMenu) > fixedItems)
    ::DeleteMenu(_trayMenu, fixedItems - 1, MF_BYPOSITION);
  const std::vector<std::string> roots = RemovableDriveRoots();
  if (roots.empty())
    return;
  UINT position = fixedItems - 1;
  ::InsertMenuA(_trayMenu, position++, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
  for (const std::string &root : roots)
  {
    const int index = root[0] - 'A';
    const std::string drive = root.substr(0, 2);
    ::InsertMenuA(_trayMenu, position++, MF_BYPOSITION | MF_STRING, VaccinateDriveItems + index,
                  FormatText(VaccinateDriveCaption, {drive}).c_str());
    ::InsertMenuA(_trayMenu, position++, MF_BYPOSITION | MF_STRING, RemoveVaccineItems + index,
                  FormatText(RemoveVaccineCaption, {drive}).c_str());
  }
  ::InsertMenuA(_trayMenu, position, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

void TMainWindow::DriveItemChosen(int id)
{
  const bool remove = id >= RemoveVaccineItems;
  const std::string root = DriveRoot(id - (remove ? RemoveVaccineItems : VaccinateDriveItems));
  // The items are offered for removable drives only; the drive may have gone since.
  if (::GetDriveTypeA(root.c_str()) == DRIVE_REMOVABLE)
    _owner.VaccineByHand(root, remove ? vdRemove : vdVaccinate);
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
    _owner.Log(EVT_NO_TRAY_ICON, text);
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
  case QuitItem: QuitClicked(); return;
  case QuarantineItem: QuarantineClicked(); return;
  }
  if (id >= VaccinateDriveItems && id < RemoveVaccineItems + DriveLetters)
  {
    DriveItemChosen(id);
    return;
  }
  if (code != BN_CLICKED)
    return;
  switch (id)
  {
  case AnyUserLogonBox:
  case CurrentUserLogonBox: _policyBoxes.StartupBoxClicked(); break;
  case AutoPlayCdRomBox:
  case AutoPlayRemovableBox:
  case AutoPlayFixedBox:
  case AutoPlayRemoteBox:
  case AutoPlayOtherBox: _policyBoxes.AutoPlayBoxClicked(); break;
  case RemoveMenuItemsBox:
  case InformUserBox:
  case DeleteAutorunInfBox:
  case DeleteAutorunAllBox:
  case RepairShortcutsBox:
  case VaccinateBox: BehaviourBoxClicked(); break;
  case RunMinimizedBox: RunMinimizedClicked(); break;
  case OkButton: OkClicked(); break;
  case ReadmeButton: ReadmeClicked(); break;
  case QuitButton: QuitClicked(); break;
  case DefaultValuesButton: DefaultValuesClicked(); break;
  case ExceptionsButton: ExceptionsClicked(); break;
  case QuarantineButton: QuarantineClicked(); break;
  }
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
  _owner.Log(EVT_USER_CLOSED, LoadMessage(IDS_USER_CLOSED));
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
  _driveReports.reset();
  _owner.End();
}

LRESULT TMainWindow::WMQueryEndSession()
{
  CloseAllowed = true;
  return 1;
}

void TMainWindow::WMEndSession(bool ending)
{
  if (ending)
    _owner.EndSession();
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
  case WM_INITMENUPOPUP:
    if (reinterpret_cast<HMENU>(wParam) == _trayMenu)
      MakeDriveItems();
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
    _owner.DeliverInspections();
    return 0;
  case WmDpiChanged:
    WMDpiChanged(LOWORD(wParam), lParam);
    return 0;
  default:
    return DefaultHandling(message, wParam, lParam);
  }
}
