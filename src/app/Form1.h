#pragma once
#include <memory>
#include <string>
#include "../platform/Handle.h"
#include "../platform/Window.h"
#include "../settings/Settings.h"
#include "AppPaths.h"

class TFileLogger;
class TStCustomShellNotification;
class TStShellNotification;
class TStShellItem;

// The main window. Its construction is the program's whole start-up.
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
  void Close();

private:
  void Construct();
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  void FormCloseQuery(bool &canClose);
  void FormDestroy();
  bool ConfirmQuit();
  LRESULT WMQueryEndSession();
  void WMEndSession(bool ending);
  void WMUserQuit();

  // Drives, media and shares that the shell reports; each handler inspects a
  // copy of the item's Path.
  void StShellNotification1DriveAdd(TStCustomShellNotification *Sender, TStShellItem *ShellItem);
  void StShellNotification1MediaInsert(TStCustomShellNotification *Sender, TStShellItem *ShellItem);
  void StShellNotification1NetShare(TStCustomShellNotification *Sender, TStShellItem *ShellItem);
  void StShellNotification1ShellDriveAdd(TStCustomShellNotification *Sender, TStShellItem *ShellItem);
  void CreateShellNotification();

  AppPaths _paths;
  CHandle _mutex;
  std::unique_ptr<TFileLogger> _logger;
  std::unique_ptr<TStShellNotification> StShellNotification1;
  bool _firstInstance = false;
  bool CloseAllowed = false;
  bool SkipSaveOnExit = false;
  bool _savedAtSessionEnd = false;
};

extern TForm1 *Form1;
// The process-wide settings record, from program start to program end.
extern TSettings Settings;
