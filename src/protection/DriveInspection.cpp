#include "DriveInspection.h"
#include "MenuCache.h"
#include "Quarantine.h"
#include "../common/Messages.h"
#include "../exceptions/ExceptionRecords.h"
#include "../platform/ErrorModeScope.h"
#include "../platform/FileFind.h"
#include "../platform/PathText.h"
#include "../platform/Text.h"
#include "../platform/WideFile.h"

namespace
{
const char kSectionJoin[] = "\r\n\r\n";
const char kLineJoin[] = "\r\n";
// The old volume-label attribute; the headers no longer define it.
const DWORD kFileAttributeLabel = 0x08;
}

DriveKind DriveKindOf(UINT driveType)
{
  switch (driveType)
  {
  case DRIVE_REMOVABLE:
    return dkRemovable;
  case DRIVE_FIXED:
    return dkFixed;
  case DRIVE_REMOTE:
    return dkRemote;
  case DRIVE_CDROM:
    return dkCdRom;
  default:
    return dkOther;
  }
}

UINT DriveTypeOf(const std::string &root)
{
  const UINT type = ::GetDriveTypeA(root.c_str());
  if (type != DRIVE_NO_ROOT_DIR)
    return type;
  char volume[MAX_PATH + 1] = "";
  if (!::GetVolumePathNameA(root.c_str(), volume, sizeof(volume)) || root == volume)
    return type;
  return ::GetDriveTypeA(volume);
}

bool DeleteMatchingFiles(const std::string &folder, const std::wstring &pattern, std::string &deleted,
                         const BeforeDeleteFn &beforeDelete)
{
  deleted.clear();
  std::vector<TDriveEntry> entries;
  // Only "no such file" means there is nothing to delete: a medium pulled
  // out or a folder that refuses listing has not been cleaned.
  if (!ListDriveEntries(folder, pattern, entries))
    return false;
  bool result = true;
  for (const TDriveEntry &entry : entries)
  {
    if (entry.Attributes & (FILE_ATTRIBUTE_DIRECTORY | kFileAttributeLabel))
      continue;
    TDriveFile file;
    if (!file.Open(folder, entry.Name))
    {
      result = false;
      continue;
    }
    if (beforeDelete)
      beforeDelete(file);
    if (file.Delete())
    {
      if (!deleted.empty())
        deleted += kLineJoin;
      deleted += file.Shown();
    }
    else
      result = false;
  }
  return result;
}

std::string AutorunPathOf(const std::string &root)
{
  if (!root.empty() && root.back() != '\\')
    return root + "\\Autorun.inf";
  return root + "Autorun.inf";
}

bool AutorunFileExists(const std::string &path)
{
  CErrorModeScope noCriticalErrorBox;
  CWideFind find;
  WIN32_FIND_DATAW data;
  if (!find.FindFirst(LiteralPath(ToWide(path)), data))
    return false;
  do
  {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      return true;
  } while (find.FindNext(data));
  return false;
}

std::string BuildInspectionReport(const std::string &root, const std::string &filePath,
                                  const BehaviourFlags &flags, const InspectionOutcome &outcome)
{
  std::string report = FormatText(LoadMessage(IDS_AUTORUN_FOUND), {root});
  if (flags.RemoveMenuItems && outcome.MenuItemsApplicable)
    report += kSectionJoin + LoadMessage(outcome.MenuItemsRemoved ? IDS_MENU_ITEMS_REMOVED : IDS_CANNOT_DELETE_MENU_ITEMS);
  if (flags.DeleteAutorunInf)
    report += kSectionJoin + FormatText(LoadMessage(outcome.AutorunInfDeleted ? IDS_FILE_DELETED : IDS_CANNOT_DELETE_FILE), {filePath});
  if (flags.DeleteAutorunAll)
  {
    report += kSectionJoin + LoadMessage(outcome.AllAutorunDeleted ? IDS_ALL_AUTORUN_DELETED : IDS_CANNOT_DELETE_ALL);
    if (!outcome.DeletedFiles.empty())
      report += kLineJoin + outcome.DeletedFiles;
  }
  return report;
}

namespace
{
std::string Section(int id, const std::vector<std::string> &paths)
{
  std::string section = LoadMessage(id);
  for (const std::string &path : paths)
    section += kLineJoin + path;
  return section;
}
}

std::string BuildWormReport(const TWormRepair &repair)
{
  if (!repair.Found)
    return std::string();
  std::string report;
  const std::pair<int, const std::vector<std::string> *> sections[] = {
      {IDS_WORM_SHORTCUTS_DELETED, &repair.ShortcutsDeleted},
      {IDS_WORM_FILES_DELETED, &repair.FilesDeleted},
      {IDS_WORM_ENTRIES_SHOWN, &repair.MadeVisible},
      {IDS_WORM_NOT_REPAIRED, &repair.NotRepaired}};
  for (const auto &section : sections)
    if (!section.second->empty())
      report += (report.empty() ? "" : kSectionJoin) + Section(section.first, *section.second);
  return report;
}

// The Autorun.inf part of an inspection: its report, empty when there is none.
static std::string InspectAutorun(const std::string &root, const TSettings &settings, const BehaviourFlags &flags,
                                  TQuarantine &quarantine, RegistryDenyHook deny, TInspectionResult &result)
{
  const std::string filePath = AutorunPathOf(root);
  try
  {
    result.Found = AutorunFileExists(filePath);
  }
  catch (...)
  {
  }
  if (!result.Found)
    return std::string();

  // Read only when it is a plain file of this drive: a link could lead the
  // read to a device that never answers.
  TDriveFile autorun;
  const std::string folder = DirectoryPartOf(filePath);
  bool opened = autorun.Open(folder, L"Autorun.inf");
  autorun.Close();
  if (opened &&
      FindException(filePath, &result.AcceptedName, settings.UserExceptions, settings.CommonExceptions))
  {
    result.Accepted = true;
    return FormatText(LoadMessage(IDS_LISTED_IN_EXCEPTIONS), {filePath, result.AcceptedName});
  }

  InspectionOutcome &outcome = result.Outcome;
  outcome.MenuItemsApplicable = IsVolumeRoot(root);

  if (flags.RemoveMenuItems && outcome.MenuItemsApplicable)
    outcome.MenuItemsRemoved = RemoveMenuCache(VolumeIdOf(root), deny);
  if (flags.DeleteAutorunInf)
  {
    try
    {
      // A copy that cannot be made never stands in the way of the removal.
      opened = autorun.Open(folder, L"Autorun.inf");
      if (opened)
        quarantine.Keep(autorun);
      outcome.AutorunInfDeleted = opened && autorun.Delete();
    }
    catch (...)
    {
      outcome.AutorunInfDeleted = false;
    }
  }
  if (flags.DeleteAutorunAll)
  {
    try
    {
      outcome.AllAutorunDeleted = DeleteMatchingFiles(folder, L"Autorun.*", outcome.DeletedFiles,
                                                      [&quarantine](TDriveFile &file) { quarantine.Keep(file); });
    }
    catch (...)
    {
      outcome.AllAutorunDeleted = false;
    }
  }
  result.InformUser = flags.InformUser;
  return BuildInspectionReport(root, filePath, flags, outcome);
}

// The shortcut-worm part of an inspection; its sections join the report.
static void RepairWorm(const std::string &root, TQuarantine &quarantine, TInspectionResult &result)
{
  try
  {
    result.Worm = RepairShortcutWorm(DirectoryPartOf(AutorunPathOf(root)), quarantine);
  }
  catch (...)
  {
    // Out of memory at worst: the repair goes unreported rather than the
    // Autorun.inf part with it.
  }
  const std::string worm = BuildWormReport(result.Worm);
  if (worm.empty())
    return;
  result.Report = (result.Report.empty() ? FormatText(LoadMessage(IDS_WORM_FOUND), {root}) : result.Report) +
                  kSectionJoin + worm;
  result.InformUser = result.Flags.InformUser;
}

TInspectionResult InspectDrive(const std::string &root, const TSettings &settings, const std::string &quarantineFolder,
                               CWriteGate *ownWrites, RegistryDenyHook deny, TQuarantineLedger *ledger)
{
  TInspectionResult result;
  // An empty path would make the search, and the deletions, relative to the
  // current directory.
  if (root.empty())
    return result;
  result.Root = root;
  result.Kind = DriveKindOf(DriveTypeOf(root));
  result.Flags = settings.Flags[result.Kind];
  const BehaviourFlags &flags = result.Flags;
  TQuarantine quarantine(quarantineFolder, root, ownWrites, ledger);
  result.Report = InspectAutorun(root, settings, flags, quarantine, deny, result);

  if (flags.RepairShortcuts)
    RepairWorm(root, quarantine, result);
  // Vaccinate looks for an Autorun.inf file left in the root itself.
  if (flags.Vaccinate && !result.Accepted)
    result.Vaccine = Vaccinate(root, result.Kind, quarantine, false);
  return result;
}

TInspectionResult VaccineByHand(const std::string &root, TVaccineDeed deed, const std::string &quarantineFolder,
                                CWriteGate *ownWrites, TQuarantineLedger *ledger)
{
  TInspectionResult result;
  if (root.empty())
    return result;
  result.Root = root;
  result.Kind = DriveKindOf(DriveTypeOf(root));
  TQuarantine quarantine(quarantineFolder, root, ownWrites, ledger);
  result.Vaccine = deed == vdRemove ? RemoveVaccine(root, quarantine) : Vaccinate(root, result.Kind, quarantine, true);
  result.Vaccine.ByHand = true;
  return result;
}
