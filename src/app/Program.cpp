#include "Program.h"
#include "CrossThread.h"
#include "../common/Messages.h"
#include "../exceptions/DescriptionPrompt.h"
#include "../exceptions/ExceptionsDialog.h"
#include "../log/Logger.h"
#include "../log/Report.h"
#include "../platform/PathText.h"
#include "../protection/DriveDiscovery.h"
#include "../protection/DriveWork.h"
#include "../settings/PolicyValues.h"
#include "ProductInfo.h"

namespace
{
const char *const MutexName = "MervaneMutexObject";
}

TProgram::TProgram(const TProgramSeams &seams)
  : _seams(seams), _report([this](const std::string &text) { Log(text); }), _reporter(_report)
{
}

TProgram::~TProgram()
{
  // The window's end still reports through the log and saves the settings.
  _mainWindow.reset();
}

void TProgram::Log(const std::string &text) const { ReportTo(_logger.get(), text); }

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
  _mainWindow->SetErrorReporter(_report);

  // 8.-10. Settings, what the lock bits leave enabled, the boxes.
  ResetDefaults(_settings);
  const TPolicyValues policy = ReadPolicyValues(_report, _seams.RegistryDeny);
  LoadSettings(_settings, _paths.CommonIniPath, _paths.IniPath, _report,
               [&](TSettings &record, const TCommonFlagsTexts &common)
               { ApplyPolicyValues(policy, record, common, _report); });
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
  _prompt->SetErrorReporter(_report);
  _exceptionsDialog.reset(new TExceptionsDialog(*_prompt, _report));
  _exceptionsDialog->SetErrorReporter(_report);
  _quarantineWindow.reset(new TQuarantineWindow(*this, *_prompt));
  _quarantineWindow->SetErrorReporter(_report);
  return true;
}

void TProgram::Run()
{
  const HWND window = _mainWindow ? _mainWindow->Handle() : nullptr;
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
  {
    // Tab, Space, Enter and the arrow keys as in a dialog.
    if (window && ::IsDialogMessageA(window, &msg))
      continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

void TProgram::SubmitRoot(const std::string &root, bool onlyIfReadable)
{
  if (!_driveWork)
    return;
  TDriveJob job;
  job.Root = root;
  job.Settings = _settings;
  if (_settings.Quarantine)
    job.QuarantineFolder = _paths.QuarantineFolder;
  job.OnlyIfReadable = onlyIfReadable;
  job.RegistryDeny = _seams.RegistryDeny;
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
  Log(FormatText(LoadMessage(IDS_SETTINGS_NOT_SAVED), {saved.File, saved.Reason()}));
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
  if (_skipSave || _savedAtSessionEnd)
    return;
  SaveSettings(nullptr);
  _savedAtSessionEnd = true;
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
  _mutex.Close();
  _logger.reset();
}
