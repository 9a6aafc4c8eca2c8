#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include "../platform/Registry.h"
#include "../platform/WriteGate.h"
#include "../settings/Settings.h"
#include "DriveFiles.h"
#include "ShortcutWorm.h"
#include "Vaccine.h"

DriveKind DriveKindOf(UINT driveType);
// The platform's drive type of the drive that holds `root`. A folder that is
// not a volume root (a shared folder such as C:\Share) has the type of the
// volume it lies on, not "no root directory".
UINT DriveTypeOf(const std::string &root);
// Deletes every file in `folder` (with its trailing backslash) whose name
// matches `pattern`, directories and volume labels skipped, each through a
// TDriveFile, so a link, a device or a name that leaves the folder is never
// deleted; `deleted` receives the full paths of the files that went, as the
// box shows them, joined by CR LF. True when every match was deleted; every
// match is tried either way. A folder that cannot be listed (only "no such
// file" means no match) is a failure too. `beforeDelete`, when given, is
// called with each opened match just before it is deleted.
using BeforeDeleteFn = std::function<void(TDriveFile &file)>;
bool DeleteMatchingFiles(const std::string &folder, const std::wstring &pattern, std::string &deleted,
                         const BeforeDeleteFn &beforeDelete = {});

// The path of the Autorun.inf to look for below `root`; a root without a
// trailing backslash is a folder and gets one inserted.
std::string AutorunPathOf(const std::string &root);
// True when `path` names a file, not a directory; hidden, system and
// read-only files count. No critical-error box for a drive without media.
bool AutorunFileExists(const std::string &path);

// What one inspection did, for building its report.
struct InspectionOutcome
{
  bool MenuItemsRemoved = true;
  bool MenuItemsApplicable = true; // false for a folder that is not a volume root
  bool AutorunInfDeleted = true;
  bool AllAutorunDeleted = true;
  std::string DeletedFiles;
};

// The report of one inspection: the warning, then one section per selected
// action, sections joined by a blank line.
std::string BuildInspectionReport(const std::string &root, const std::string &filePath,
                                  const BehaviourFlags &flags, const InspectionOutcome &outcome);

// The sections of a shortcut-worm repair, joined like the others; empty when
// no worm shortcut was found.
std::string BuildWormReport(const TWormRepair &repair);

// What one inspection found and did. Nothing of it has been logged or shown:
// the caller writes `Report` to the log, and shows it too when `InformUser`.
struct TInspectionResult
{
  std::string Root;      // the drive root or shared folder inspected
  DriveKind Kind = dkOther;
  BehaviourFlags Flags;  // the actions its kind's flags chose
  bool Found = false;    // an Autorun.inf was there
  bool Accepted = false; // ... and it is on a list of accepted files
  std::string AcceptedName;
  InspectionOutcome Outcome; // the actions taken, for a file not accepted
  TWormRepair Worm;          // the shortcut-worm repair, when the drive kind asks for it
  TVaccination Vaccine;      // made after the inspection, or asked for by hand; its own log entry
  std::string Report;        // the log entry; empty when nothing was found
  bool InformUser = false;
};

// Inspects one drive root (or shared folder) with the given settings' flags
// and exception lists: an accepted Autorun.inf is only reported; any other one
// gets the actions its drive kind's flags select. Shortcut-worm damage is
// repaired when they ask for that; its sections join the same report. With a
// `quarantineFolder`, every file is copied there before it is deleted (see
// TQuarantine); those copies pass `ownWrites` when one is given and are
// counted in `ledger`, the count shared with the checks beside this one.
// `deny` is the registry seam of the menu-cache cleanup. Last, a drive whose
// kind asks for it is vaccinated when no Autorun.inf file is left.
TInspectionResult InspectDrive(const std::string &root, const TSettings &settings,
                               const std::string &quarantineFolder = {}, CWriteGate *ownWrites = nullptr,
                               RegistryDenyHook deny = nullptr, TQuarantineLedger *ledger = nullptr);

// A vaccination or removal the user asked for, with no inspection: only
// Root, Kind and Vaccine of the result are filled.
TInspectionResult VaccineByHand(const std::string &root, TVaccineDeed deed, const std::string &quarantineFolder = {},
                                CWriteGate *ownWrites = nullptr, TQuarantineLedger *ledger = nullptr);
