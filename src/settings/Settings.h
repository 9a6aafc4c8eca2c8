#pragma once
#include <functional>
#include <string>
#include "../platform/ProfileUpdate.h"
#include "ExceptionList.h"

enum DriveKind
{
  dkCdRom = 0,
  dkRemovable = 1,
  dkFixed = 2,
  dkRemote = 3,
  dkOther = 4,
  DriveKindCount = 5
};

struct BehaviourFlags
{
  bool RemoveMenuItems = false;
  bool InformUser = false;
  bool DeleteAutorunInf = false;
  bool DeleteAutorunAll = false;
  // Kept apart from the four above: the RepairShortcuts and Vaccinate
  // values, not Behaviour.
  bool RepairShortcuts = false;
  bool Vaccinate = false;
};

enum LockBits : unsigned
{
  LockSettings = 1,
  LockQuit = 2,
  LockExceptions = 4,
  NoTrayIcon = 8,
  // The quarantine window lists, and restores or deletes nothing.
  LockQuarantine = 16
};

struct TSettings
{
  BehaviourFlags Flags[DriveKindCount];
  bool RunMinimized = false;
  bool FirstRun = true;
  int Locked = 0;
  ExceptionList UserExceptions;
  ExceptionList CommonExceptions;
  // The user file's lists could not be read whole: UserExceptions is empty
  // for this run, and a save leaves both keys in the file as they are.
  bool UserExceptionsUnread = false;
  // Copies of deleted files are kept; only the common file can turn it off.
  bool Quarantine = true;

  bool IsLocked(LockBits bit) const { return (static_cast<unsigned>(Locked) & bit) != 0; }
};

using ReportFn = std::function<void(const std::string &)>;

void ResetDefaults(TSettings &record);

// The common file's flags texts, as read, and whether each was read whole.
struct TCommonFlagsTexts
{
  std::string &Behaviour;
  bool &BehaviourWhole;
  std::string &RepairShortcuts;
  bool &RepairShortcutsWhole;
  std::string &Vaccinate;
  bool &VaccinateWhole;
};
// Changes what was read from the common file before the user's file is
// read: the administrator's presets from Group Policy (see PolicyValues.h).
using CommonOverrideFn = std::function<void(TSettings &record, const TCommonFlagsTexts &common)>;

// Fills `record` from both files. When both paths name the same file, its
// exception lists are taken as the user's only. Problems worth a log entry
// (a Behaviour value that cannot be converted, unpaired list entries, a list
// too long to read whole) go to `report`. Enabled states of controls are the
// caller's business. `overrideCommon`, when given, takes the common file's
// values once they are read.
void LoadSettings(TSettings &record, const std::string &commonIniPath, const std::string &iniPath,
                  const ReportFn &report, const CommonOverrideFn &overrideCommon = CommonOverrideFn());

// What a save did: Error is 0 when `File` holds the settings; otherwise the
// system's error code, and `File` is exactly as it was before the save.
struct SaveResult
{
  std::string File;
  unsigned long Error = 0;
  bool Saved() const { return Error == 0; }
  // The system's text for Error.
  std::string Reason() const;
};

// Writes FirstRun=0; RunMinimized, Behaviour, RepairShortcuts and Vaccinate unless the settings are
// locked; the user's lists unless they could not be read. The file is
// replaced in one step (see UpdateProfile), so a full disk or a sudden end
// never leaves it cut short. `steps` are the system's but in tests.
SaveResult SaveSettings(const TSettings &record, const std::string &iniPath,
                        const FileReplaceSteps &steps = SystemReplaceSteps);

// The 5-digit RepairShortcuts and Vaccinate texts, and their reading as ParseBehaviourText's.
std::string RepairShortcutsText(const BehaviourFlags (&flags)[DriveKindCount]);
bool ParseRepairShortcutsText(const std::string &text, BehaviourFlags (&flags)[DriveKindCount]);
std::string VaccinateText(const BehaviourFlags (&flags)[DriveKindCount]);
bool ParseVaccinateText(const std::string &text, BehaviourFlags (&flags)[DriveKindCount]);
// The 20-character Behaviour text of the five kinds' flags.
std::string BehaviourText(const BehaviourFlags (&flags)[DriveKindCount]);
// Converts a Behaviour text into `flags`. False, with `flags` untouched, when
// the text is shorter than 20 characters or one of its first 20 is not a
// decimal digit.
bool ParseBehaviourText(const std::string &text, BehaviourFlags (&flags)[DriveKindCount]);
