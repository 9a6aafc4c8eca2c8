#pragma once
#include <memory>
#include <string>
#include "../platform/Controls.h"
#include "../platform/Window.h"
#include "../settings/Settings.h"
#include "MainWindowLayout.h"

// The main window's class, by which installers find a running Mervane.
extern const char *const MainWindowClass;

class TProgram;
class TStCustomShellNotification;
class TStShellNotification;
class TStShellItem;
class TStTrayIcon;

// The main window: the settings' boxes, the tray icon and its menu, and the
// shell's reports, which it hands to its program. The program starts it in
// steps and is called back for everything beyond the window.
class TMainWindow : public CWindow
{
public:
  // The window with its controls, at its monitor's dpi, hidden and centred, its tray icon not yet
  // in the notification area, and the shell reports it listens for.
  explicit TMainWindow(TProgram &program);
  ~TMainWindow() override;

  // False when the window itself could not be made: it is already gone.
  bool Created() const { return _hwnd != nullptr; }
  // The steps of the start-up that belong to the window, in their order.
  void SetTitle(const std::string &title);
  void SetErrorReporter(ErrorReporter reporter);
  void ShowSettings();
  void Present();
  void ApplyPolicies();
  // The window closes without the quit question: another instance runs, or
  // the program was told to end.
  void AllowClose() { CloseAllowed = true; }
  void Close();

  // Sets a box from program code. A change of state runs the box's click
  // handler, as a click does; the handlers' suppression flags are for this.
  void SetChecked(TMainWindowControl box, bool checked);
  bool Checked(TMainWindowControl box) const;
  HWND Control(TMainWindowControl id) const { return ::GetDlgItem(_hwnd, id); }

private:
  // The controls, their font and the window's icons at `dpi`.
  bool CreateControls(int dpi);
  void EnableControls();
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void WMCommand(int id, int code);

  void CloseQuery(bool &canClose);
  void WindowDestroyed();
  bool ConfirmQuit();
  LRESULT WMQueryEndSession();
  void WMEndSession(bool ending);
  void WMUserQuit();
  // Laid out again at the new dpi, in the place suggested.
  void WMDpiChanged(int dpi, LPARAM suggested);

  // Controls and menu items.
  void DriveKindSelected();
  void StartupBoxClicked();
  void AutoPlayBoxClicked();
  void BehaviourBoxClicked();
  void RunMinimizedClicked();
  void OkClicked();
  void ReadmeClicked();
  void QuitClicked();
  void DefaultValuesClicked();
  void ExceptionsClicked();
  void ShowWindowChosen();
  void QuitChosen();
  void TrayIconTimerTick();

  // AutoPlay policy (AutoPlayCdRomBox to AutoPlayOtherBox) and start at logon (AnyUserLogonBox,
  // CurrentUserLogonBox), each shown from the registry and written back from the boxes.
  void ShowAutoPlayMask(BYTE mask);
  void ReadAutoPlayPolicy();
  void WriteAutoPlayPolicy();
  void ReadStartupEntries();
  void WriteStartupEntries();
  void ClearDisabledUserEntry();

  // Drives, media and shares that the shell reports; each handler inspects a
  // copy of the item's Path.
  void ShellDriveAdded(TStCustomShellNotification *Sender, TStShellItem *ShellItem);
  void ShellMediaInserted(TStCustomShellNotification *Sender, TStShellItem *ShellItem);
  void ShellNetShared(TStCustomShellNotification *Sender, TStShellItem *ShellItem);
  void ShellDriveAddedByShell(TStCustomShellNotification *Sender, TStShellItem *ShellItem);
  void CreateShellNotification();
  void CreateTrayIcon();
  void InspectReportedItem(const TStShellItem *ShellItem);

  TProgram &_program;
  TSettings &_settings;
  std::unique_ptr<TStShellNotification> _shellNotification;
  std::unique_ptr<TStTrayIcon> _trayIcon;
  HMENU _trayMenu = nullptr;
  CScaledControls _controls;
  int _iconFailures = 0;
  bool CloseAllowed = false;
  bool SuppressBehaviourClicks = false;
  bool SuppressAutoPlayClicks = false;
  bool SuppressStartupClicks = false;
  bool ClearingUserEntry = false;
};
