#include "Program.h"
#include "CrossThread.h"
#include "../common/Messages.h"
#include "../exceptions/DescriptionPrompt.h"
#include "../exceptions/ExceptionsDialog.h"
#include "../log/Logger.h"
#include "../log/Report.h"
#include "../platform/PathText.h"
#include "../platform/Text.h"
#include "../protection/DriveDiscovery.h"
#include "../protection/DriveWork.h"
#include "../settings/PolicyValues.h"
#include "MervaneEvents.h"
#include "ProductInfo.h"
#include "ProgramEvents.h"

namespace
{
const char *const MutexName = "MervaneMutexObject";
// The source the installers register in the Application log.
const char *const EventSourceName = "Mervane";
// How long the end waits for events the service has not yet taken.
const unsigned long EventFlushMs = 1000;
}

TProgram::TProgram(const TProgramSeams &seams)
  : _seams(seams),
    _events(seams.WriteEvent ? new TEventLog(seams.WriteEvent) : new TEventLog(EventSourceName)),
    _reportWindowError(ReporterOf(EVT_WINDOW_MESSAGE_FAILED)),
    _reporter([this](const TInspectionResult &result) {
      if (!result.Report.empty())
        Record(result.Report, InspectionEvent(result));
      if (!result.Vaccine.Report.empty())
        Record(result.Vaccine.Report, VaccineEvent(result));
    })
{
}

TProgram::~TProgram()
{
  // The window's end still reports through the log and saves the settings.
  _mainWindow.reset();
}

void TProgram::Log(const std::string &text) const { Log(EVT_QUARANTINE_RESTORED, text); }

void TProgram::Log(DWORD eventId, const std::string &text) const { Record(text, EntryEvent(eventId, text)); }

ReportFn TProgram::ReporterOf(DWORD eventId) const
{
  return [this, eventId](const std::string &text) { Log(eventId, text); };
}

void TProgram::Record(const std::string &text, TEvent event) const
{
  if (!_logger)
    return;
  ReportTo(_logger.get(), text);
  _events->Write(std::move(event));
}

void TProgram::FlushEvents()
{
  _events->Flush(EventFlushMs);
  const TEventFailures failures = _events->TakeFailures();
  if (failures.Count == 0)
    return;
  ReportTo(_logger.get(), std::to_string(failures.Count) + (failures.Count == 1 ? " event" : " events") +
                              " could not be written to the Windows event log: " +
                              SystemErrorText(failures.FirstError));
}

bool TProgram::Start()
{
  // 1. The window with its controls, hidden, centred for when it is first shown.
  _mainWindow.reset(new TMainWindow(*this));
  if (!_mainWindow->Created())
    return false;

  // 2.-4. Settings and log paths; the settings folder is made on the way.
  _paths = ResolveAppPaths(ProgramFilePath());

  // 5. One instance per logon session.
  _mutex.Attach(::CreateMutexA(nullptr, TRUE, MutexName));
  if (!_mutex.IsValid() || ::GetLastError() == ERROR_ALREADY_EXISTS)
  {
    _mainWindow->AllowClose();
    return false;
  }
  _firstInstance = true;

  // 6. Title, also the tray icon's hint.
  _mainWindow->SetTitle(WindowTitle());

  // 7. Log; failures of the windows' messages go there from now on.
  _logger.reset(new TFileLogger(_paths.LogPath));
  _logger->Threshold = MERVANE_LOG_LEVEL;
  _mainWindow->SetErrorReporter(_reportWindowError);

  // 8.-10. Settings, what the lock bits leave enabled, the boxes. Whether
  // events are written is a policy value; the entries before it wait for it.
  ResetDefaults(_settings);
  const ReportFn reportPolicy = ReporterOf(EVT_POLICY_VALUE_INVALID);
  const TPolicyValues policy = ReadPolicyValues(reportPolicy, _seams.RegistryDeny);
  _events->Begin(policy.EventLog);
  LoadSettings(_settings, _paths.CommonIniPath, _paths.IniPath, ReporterOf(EVT_SETTING_INVALID),
               [&](TSettings &record, const TCommonFlagsTexts &common)
               { ApplyPolicyValues(policy, record, common, reportPolicy); });
  _skipSave = false;
  _mainWindow->ShowSettings();

  // 11.-12. The tray icon's timer, and the window unless it starts minimized.
  _mainWindow->Present();

  // 13.-14. AutoPlay policy and start at logon.
  _mainWindow->ApplyPolicies();

  // 15. Every drive present now, on the workers: nothing above waits for a drive.
  const HWND window = _mainWindow->Handle();
  _driveWork.reset(new TDriveWork([window] { ::PostMessageA(window, WM_MERVANE_INSPECTED, 0, 0); }));
  for (const std::string &root : PresentDriveRoots())
    SubmitRoot(root, true);

  _prompt.reset(new TDescriptionPrompt());
  _prompt->SetErrorReporter(_reportWindowError);
  _exceptionsDialog.reset(new TExceptionsDialog(*_prompt, ReporterOf(EVT_SETTINGS_NOT_SAVED)));
  _exceptionsDialog->SetErrorReporter(_reportWindowError);
  _quarantineWindow.reset(new TQuarantineWindow(*this, *_prompt));
  _quarantineWindow->SetErrorReporter(_reportWindowError);
  return true;
}

void TProgram::Run()
{
  const HWND window = _mainWindow ? _mainWindow->Handle() : nullptr;
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
  {
    // Tab, Space, Enter and the arrow keys as in a dialog.
    if (!window || !::IsDialogMessageA(window, &msg))
    {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    // A modal loop run inside that message (a box, a dialog, the tray menu)
    // may have taken the drive work's note from the queue and dropped it as
    // it ended; the results wait in the outbox, so look there each time.
    DeliverInspections();
  }
}

void TProgram::SubmitRoot(const std::string &root, bool onlyIfReadable, TVaccineDeed vaccine, bool shared)
{
  if (!_driveWork)
    return;
  TDriveJob job;
  job.Root = root;
  job.Settings = _settings;
  // Others use what is shared: writing a vaccine there is not this user's call.
  if (shared)
    for (BehaviourFlags &flags : job.Settings.Flags)
      flags.Vaccinate = false;
  if (_settings.Quarantine)
    job.QuarantineFolder = _paths.QuarantineFolder;
  job.OnlyIfReadable = onlyIfReadable;
  job.RegistryDeny = _seams.RegistryDeny;
  job.Vaccine = vaccine;
  _driveWork->Submit(std::move(job));
}

void TProgram::DeliverInspections()
{
  if (_driveWork)
    _reporter.Deliver([this](TInspectionResult &result) { return _driveWork->TakeResult(result); });
}

size_t TProgram::DriveChecksPending() const { return _driveWork ? _driveWork->Pending() : 0; }

void TProgram::EditExceptions(HWND owner)
{
  if (_exceptionsDialog)
    _exceptionsDialog->Execute(owner, _settings, _paths.IniPath, DirectoryPartOf(ProgramFilePath()),
                               WindowTitle());
}

void TProgram::ShowQuarantine(HWND owner)
{
  if (_quarantineWindow)
    _quarantineWindow->Execute(owner, _paths.QuarantineFolder);
}

void TProgram::SaveSettings(HWND askedFrom)
{
  const SaveResult saved = ::SaveSettings(_settings, _paths.IniPath);
  if (saved.Saved())
    return;
  Log(EVT_SETTINGS_NOT_SAVED, FormatText(LoadMessage(IDS_SETTINGS_NOT_SAVED), {saved.File, saved.Reason()}));
  if (!askedFrom)
    return;
  const std::string text = FormatText(LoadMessage(IDS_CHANGE_NOT_SAVED), {saved.Reason()});
  const std::string title = WindowTitle();
  ::MessageBoxA(askedFrom, text.c_str(), title.c_str(), MB_OK | MB_ICONWARNING);
}

void TProgram::EndSession()
{
  // Windows may end the process after this without WM_DESTROY: no copy or
  // Origin.txt line may be left half written, and what was done is logged.
  StopDriveWork();
  if (!_skipSave && !_savedAtSessionEnd)
  {
    SaveSettings(nullptr);
    _savedAtSessionEnd = true;
  }
  FlushEvents();
}

void TProgram::StopDriveWork()
{
  // A drive that does not answer never holds up the end; only a copy being
  // written into the quarantine is waited for.
  _reporter.Stop();
  if (!_driveWork)
    return;
  _driveWork->Abandon();
  // Finished checks whose note the window did not get to: logged, no box.
  DeliverInspections();
}

void TProgram::End()
{
  StopDriveWork();
  if (!_skipSave && !_savedAtSessionEnd)
    SaveSettings(nullptr);
  FlushEvents();
  _mutex.Close();
  _logger.reset();
}
