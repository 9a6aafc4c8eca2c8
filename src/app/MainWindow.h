#pragma once
#include <memory>
#include <string>
#include "../platform/Controls.h"
#include "../platform/Window.h"
#include "../protection/Vaccine.h"
#include "../settings/Settings.h"
#include "MainWindowLayout.h"
#include "PolicyBoxes.h"
#include "ProgramSeams.h"

class TDriveReports;
class TStTrayIcon;

// What the main window asks of its owner, which holds everything beyond the
// window: the settings record, the log, the drive checks, the exceptions
// dialog and the end of the program.
class TMainWindowOwner
{
public:
  // The one settings record, which the boxes show and change.
  virtual TSettings &Settings() = 0;
  virtual const TProgramSeams &Seams() const = 0;
  // A log entry, and its event of the id `eventId` (MervaneEvents.h).
  virtual void Log(DWORD eventId, const std::string &text) const = 0;
  // A drive root, medium or shared folder the shell reported, to be checked;
  // `shared`: reported as shared.
  virtual void InspectRoot(const std::string &root, bool shared = false) = 0;
  // The user chose to vaccinate a drive, or to take its vaccine off.
  virtual void VaccineByHand(const std::string &root, TVaccineDeed deed) = 0;
  // WM_MERVANE_INSPECTED came: the checks' results are waiting.
  virtual void DeliverInspections() = 0;
  virtual void EditExceptions(HWND owner) = 0;
  // Shows the quarantine window over `owner`.
  virtual void ShowQuarantine(HWND owner) = 0;
  // A failed save is told in a box over `askedFrom`; not at all for none.
  virtual void SaveSettings(HWND askedFrom) = 0;
  // The session ends; the process may go without WM_DESTROY.
  virtual void EndSession() = 0;
  // The window is being destroyed.
  virtual void End() = 0;

protected:
  ~TMainWindowOwner() = default;
};

// The main window: the settings' boxes, the tray icon and its menu, and the
// shell's reports, which it hands to its owner. The owner starts it in steps
// and is called back for everything beyond the window.
class TMainWindow : public CWindow, public TBoxes
{
public:
  // The window with its controls, at its monitor's dpi, hidden and centred, its tray icon not yet
  // in the notification area, and the shell reports it listens for.
  explicit TMainWindow(TMainWindowOwner &owner);
  ~TMainWindow() override;

  // False when the window itself could not be made: it is already gone.
  bool Created() const { return _hwnd != nullptr; }
  // The steps of the start-up that belong to the window, in their order.
  void SetTitle(const std::string &title);
  void SetErrorReporter(ErrorReporter reporter);
  void ShowSettings();
  void Present();
  void ApplyPolicies() { _policyBoxes.Apply(); }
  // The window closes without the quit question: another instance runs, or
  // the program was told to end.
  void AllowClose() { CloseAllowed = true; }
  void Close();

  // Sets a box from program code. A change of state runs the box's click
  // handler, as a click does; the handlers' suppression flags are for this.
  void SetChecked(TMainWindowControl box, bool checked) override;
  bool Checked(TMainWindowControl box) const override;
  HWND Control(TMainWindowControl id) const override { return ::GetDlgItem(_hwnd, id); }
  // The tray icon's menu; its drive items are made anew each time it opens.
  HMENU TrayMenu() const { return _trayMenu; }

private:
  // The controls, their font and the window's icons at `dpi`.
  bool CreateControls(int dpi);
  void CreateTrayIcon();
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
  void BehaviourBoxClicked();
  void RunMinimizedClicked();
  void OkClicked();
  void ReadmeClicked();
  void QuitClicked();
  void DefaultValuesClicked();
  void ExceptionsClicked();
  void QuarantineClicked();
  void ShowWindowChosen();
  // The tray menu's items for the removable drives present now.
  void MakeDriveItems();
  void DriveItemChosen(int id);
  void TrayIconTimerTick();

  TMainWindowOwner &_owner;
  TSettings &_settings;
  TPolicyBoxes _policyBoxes;
  std::unique_ptr<TDriveReports> _driveReports;
  std::unique_ptr<TStTrayIcon> _trayIcon;
  HMENU _trayMenu = nullptr;
  CScaledControls _controls;
  int _iconFailures = 0;
  bool CloseAllowed = false;
  bool SuppressBehaviourClicks = false;
};
