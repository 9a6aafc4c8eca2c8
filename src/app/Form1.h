#pragma once
#include <memory>
#include <string>
#include "../platform/Controls.h"
#include "../platform/Window.h"
#include "../settings/Settings.h"
#include "Form1Layout.h"

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
class TForm1 : public CWindow
{
public:
  // The window with its controls, at its monitor's dpi, hidden and centred, its tray icon not yet
  // in the notification area, and the shell reports it listens for.
  explicit TForm1(TProgram &program);
  ~TForm1() override;

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
  void SetChecked(TForm1Control box, bool checked);
  bool Checked(TForm1Control box) const;
  HWND Control(TForm1Control id) const { return ::GetDlgItem(_hwnd, id); }

private:
  // The controls, their font and the window's icons at `dpi`.
  bool CreateControls(int dpi);
  void EnableControls();
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void WMCommand(int id, int code);

  void FormCloseQuery(bool &canClose);
  void FormDestroy();
  bool ConfirmQuit();
  LRESULT WMQueryEndSession();
  void WMEndSession(bool ending);
  void WMUserQuit();
  // Laid out again at the new dpi, in the place suggested.
  void WMDpiChanged(int dpi, LPARAM suggested);

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
  void InspectReportedItem(const TStShellItem *ShellItem);

  TProgram &_program;
  TSettings &_settings;
  std::unique_ptr<TStShellNotification> StShellNotification1;
  std::unique_ptr<TStTrayIcon> StTrayIcon1;
  HMENU PopupMenu1 = nullptr;
  CScaledControls _controls;
  int _iconFailures = 0;
  bool CloseAllowed = false;
  bool SuppressBehaviourClicks = false;
  bool SuppressAutoPlayClicks = false;
  bool SuppressStartupClicks = false;
  bool ClearingUserEntry = false;
};
