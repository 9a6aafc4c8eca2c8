#pragma once
#include <memory>
#include <string>
#include "../platform/Handle.h"
#include "../platform/Window.h"
#include "../settings/Settings.h"
#include "AppPaths.h"
#include "Form1Layout.h"
#include "InspectionReport.h"

class TDriveWork;
class TFileLogger;
class TStCustomShellNotification;
class TStShellNotification;
class TStShellItem;
class TStTrayIcon;

// The main window. Its construction is the program's whole start-up; the
// drives are checked on workers, whose results come back to it.
class TForm1 : public CWindow
{
public:
  // Runs the start-up steps; see Construct().
  TForm1();
  ~TForm1() override;

  // False for a second instance (or when the mutex could not be made): the
  // construction stopped early and the program is to end without a trace.
  bool IsFirstInstance() const { return _firstInstance; }
  // False when the window itself could not be made: nothing was started.
  bool Created() const { return _hwnd != nullptr; }
  const AppPaths &Paths() const { return _paths; }
  // Drive checks submitted whose results have not yet come back.
  size_t DriveChecksPending() const;
  void Close();

  // Sets a box from program code. A change of state runs the box's click
  // handler, as a click does; the handlers' suppression flags are for this.
  void SetChecked(TForm1Control box, bool checked);
  bool Checked(TForm1Control box) const;
  HWND Control(TForm1Control id) const { return ::GetDlgItem(_hwnd, id); }

private:
  void Construct();
  bool CreateControls();
  void EnableControls();
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void WMCommand(int id, int code);

  void FormCloseQuery(bool &canClose);
  void FormDestroy();
  bool ConfirmQuit();
  LRESULT WMQueryEndSession();
  void WMEndSession(bool ending);
  void WMUserQuit();

  // Controls and menu items.
  void ListBox1Click();
  void CheckBox1Click();
  void CheckBox3Click();
  void CheckBox8Click();
  void CheckBox12Click();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Showwindow1Click();
  void Quit1Click();
  void Timer1Timer();

  // AutoPlay policy (CheckBox3 to CheckBox7) and start at logon (CheckBox1,
  // CheckBox2), each shown from the registry and written back from the boxes.
  void ShowAutoPlayMask(BYTE mask);
  void ReadAutoPlayPolicy();
  void WriteAutoPlayPolicy();
  void ReadStartupEntries();
  void WriteStartupEntries();
  void ClearDisabledUserEntry();

  // Drives, media and shares that the shell reports; each handler inspects a
  // copy of the item's Path.
  void StShellNotification1DriveAdd(TStCustomShellNotification *Sender, TStShellItem *ShellItem);
  void StShellNotification1MediaInsert(TStCustomShellNotification *Sender, TStShellItem *ShellItem);
  void StShellNotification1NetShare(TStCustomShellNotification *Sender, TStShellItem *ShellItem);
  void StShellNotification1ShellDriveAdd(TStCustomShellNotification *Sender, TStShellItem *ShellItem);
  void CreateShellNotification();
  void CreateTrayIcon();
  // Hands a root to the drive workers with a copy of Settings, keeping copies
  // unless the common file said no; the result comes back as a message.
  void InspectRoot(const std::string &root, bool onlyIfReadable = false);
  void InspectReportedItem(const TStShellItem *ShellItem);
  void StartDriveWork();
  void WMInspected();

  AppPaths _paths;
  CHandle _mutex;
  std::unique_ptr<TFileLogger> _logger;
  std::unique_ptr<TDriveWork> _driveWork;
  TInspectionReporter _reporter;
  std::unique_ptr<TStShellNotification> StShellNotification1;
  std::unique_ptr<TStTrayIcon> StTrayIcon1;
  HMENU PopupMenu1 = nullptr;
  HFONT _font = nullptr;
  int _iconFailures = 0;
  bool _firstInstance = false;
  bool CloseAllowed = false;
  bool SkipSaveOnExit = false;
  bool _savedAtSessionEnd = false;
  bool SuppressBehaviourClicks = false;
  bool SuppressAutoPlayClicks = false;
  bool SuppressStartupClicks = false;
  bool ClearingUserEntry = false;
};

extern TForm1 *Form1;
// The process-wide settings record, from program start to program end.
extern TSettings Settings;
