#pragma once
#include <memory>
#include <string>
#include "../log/EventLog.h"
#include "../platform/Handle.h"
#include "../settings/Settings.h"
#include "AppPaths.h"
#include "InspectionReport.h"
#include "MainWindow.h"
#include "QuarantineWindow.h"
#include "ProgramSeams.h"

class TDriveWork;
class TFileLogger;
class TExceptionsDialog;
class TDescriptionPrompt;

// The owner of the program's parts: paths, single-instance mutex, log,
// settings record, drive workers, windows. It starts and ends the program;
// the main window handles the window and calls back here for the rest.
class TProgram final : public TMainWindowOwner, public TQuarantineWindowOwner, CNonCopyable
{
public:
  explicit TProgram(const TProgramSeams &seams = TProgramSeams());
  ~TProgram();

  // The start-up, in its order. False when there is nothing to run: the
  // main window could not be made, or another instance runs (or the mutex
  // could not be made); the program is then to end without a trace.
  bool Start();
  // The message loop, until the main window is gone.
  void Run();

  // Null before Start() or when the window could not be made.
  TMainWindow *MainWindow() const { return _mainWindow.get(); }
  bool IsFirstInstance() const { return _firstInstance; }
  const AppPaths &Paths() const { return _paths; }
  const TProgramSeams &Seams() const override { return _seams; }
  // The process's one settings record, from Start() to the end.
  TSettings &Settings() override { return _settings; }
  // A log entry and its event; both dropped before the log is open and
  // after it is closed.
  void Log(DWORD eventId, const std::string &text) const override;
  // A restore from the quarantine window.
  void Log(const std::string &text) const override;

  void InspectRoot(const std::string &root, bool shared = false) override { SubmitRoot(root, false, vdNone, shared); }
  void VaccineByHand(const std::string &root, TVaccineDeed deed) override { SubmitRoot(root, false, deed); }
  void DeliverInspections() override;
  // Drive checks submitted whose results have not yet come back.
  size_t DriveChecksPending() const;

  void EditExceptions(HWND owner) override;
  void ShowQuarantine(HWND owner) override;
  // A failed save is logged, and told in a box over `askedFrom` when the
  // user asked for it there; the settings stay in memory for the next save.
  void SaveSettings(HWND askedFrom) override;
  // The session ends: the process may go without the window ever being
  // destroyed, so the drive work stops as at the end (the write gate closed,
  // finished checks logged) and the settings are saved now, once.
  void EndSession() override;
  // The main window is being destroyed: no box any more, drives left to
  // their workers, the settings saved, the mutex and the log closed.
  void End() override;

private:
  void StopDriveWork();
  // Hands a root to the drive workers with a copy of the settings, keeping
  // copies unless the common file said no. The result comes back to the
  // main window as WM_MERVANE_INSPECTED, which calls DeliverInspections().
  // The start-up scan's roots are checked only when they answer. With a
  // `vaccine` deed, that is done instead of a check. A root reported as
  // `shared` is checked without being vaccinated.
  void SubmitRoot(const std::string &root, bool onlyIfReadable, TVaccineDeed vaccine = vdNone, bool shared = false);
  // Log entries of one kind, as the parts below the program write them.
  ReportFn ReporterOf(DWORD eventId) const;
  void Record(const std::string &text, TEvent event) const;
  // Waits a little for the events still queued, and logs those that could
  // not be written, once.
  void FlushEvents();

  const TProgramSeams _seams;
  AppPaths _paths;
  CHandle _mutex;
  std::unique_ptr<TFileLogger> _logger;
  std::unique_ptr<TEventLog> _events;
  ReportFn _reportWindowError;
  TSettings _settings;
  std::unique_ptr<TDriveWork> _driveWork;
  TInspectionReporter _reporter;
  bool _firstInstance = false;
  // Nothing was loaded, so nothing may be saved over the user's file.
  bool _skipSave = true;
  bool _savedAtSessionEnd = false;
  std::unique_ptr<TDescriptionPrompt> _prompt;
  std::unique_ptr<TExceptionsDialog> _exceptionsDialog;
  std::unique_ptr<TQuarantineWindow> _quarantineWindow;
  // Last: destroyed first, while everything its end uses still lives.
  std::unique_ptr<TMainWindow> _mainWindow;
};
