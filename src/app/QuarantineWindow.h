#pragma once
#include <string>
#include <vector>
#include "../platform/ModalWindow.h"
#include "../protection/QuarantineStore.h"
#include "../settings/Settings.h"

class TDescriptionPrompt;

// What the quarantine window asks of its owner: the settings record that an
// accepted Autorun.inf joins, their saving and the log.
class TQuarantineWindowOwner
{
public:
  virtual TSettings &Settings() = 0;
  virtual void Log(const std::string &text) const = 0;
  // A failed save is told in a box over `askedFrom`.
  virtual void SaveSettings(HWND askedFrom) = 0;

protected:
  ~TQuarantineWindowOwner() = default;
};

// The quarantine window; created hidden at start. It lists what the
// quarantine holds and undoes a cleaning's work entry by entry.
class TQuarantineWindow : public CModalWindow
{
public:
  TQuarantineWindow(TQuarantineWindowOwner &owner, TDescriptionPrompt &prompt);
  // Shows the entries of `folder` (with a backslash) modally over `owner`
  // until Close; the actions are off while the settings lock them.
  void Execute(HWND owner, const std::string &folder);

private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void WMCommand(int id, int code) override;
  void Fill();
  void SetTabStops();
  std::vector<int> SelectedIndexes() const;
  const TQuarantineEntry *Current() const;
  void EnableButtons();
  int Ask(const std::string &text, UINT flags);
  bool ChooseFolder(const TQuarantineEntry &entry, std::string &folder);
  void RestoreFile(const TQuarantineEntry &entry);
  void HideEntryAgain(const TQuarantineEntry &entry);

  void RestoreClicked();
  void DeleteClicked();
  void OpenFolderClicked();

  TQuarantineWindowOwner &_owner;
  TDescriptionPrompt &_prompt;
  std::string _folder;
  std::vector<TQuarantineEntry> _entries;
  bool _actionsLocked = false;
};

// An entry's line in the list: when, drive, size, what was done, original
// path, between tabs. `driveKind` names the kind of the entry's drive.
std::string QuarantineListLine(const TQuarantineEntry &entry, const std::string &driveKind);
// The kind of drive `path` is on, by the main window's names, or that it is
// not present.
std::string DriveKindText(const std::string &path);
