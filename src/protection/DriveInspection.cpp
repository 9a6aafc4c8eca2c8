#include "DriveInspection.h"
#include "MenuCache.h"
#include "Quarantine.h"
#include "../common/Messages.h"
#include "../exceptions/ExceptionRecords.h"
#include "../platform/ErrorModeScope.h"
#include "../platform/FileFind.h"
#include "../platform/PathText.h"

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

static bool NameIsGone(const std::string &path)
{
  if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
    return false;
  const DWORD error = ::GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool DeleteFileForced(const std::string &path)
{
  if (::DeleteFileA(path.c_str()))
    return NameIsGone(path);
  if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
    return false;
  if (!::SetFileAttributesA(path.c_str(), 0))
    return false;
  return ::DeleteFileA(path.c_str()) && NameIsGone(path);
}

bool DeleteMatchingFiles(const std::string &pattern, std::string &deleted,
                         const BeforeDeleteFn &beforeDelete)
{
  deleted.clear();
  bool result = true;
  const std::string directory = DirectoryPartOf(pattern);
  CFindFile find;
  WIN32_FIND_DATAA data;
  // Only "no such file" means there is nothing to delete: a medium pulled
  // out or a folder that refuses listing has not been cleaned.
  if (!find.FindFirst(pattern.c_str(), data))
    return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  do
  {
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | kFileAttributeLabel))
      continue;
    const std::string path = directory + data.cFileName;
    if (beforeDelete)
      beforeDelete(path, data);
    if (DeleteFileForced(path))
    {
      if (!deleted.empty())
        deleted += kLineJoin;
      deleted += path;
    }
    else
      result = false;
  } while (find.FindNext(data));
  return result && ::GetLastError() == ERROR_NO_MORE_FILES;
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
  CFindFile find;
  WIN32_FIND_DATAA data;
  if (!find.FindFirst(path.c_str(), data))
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

  if (FindException(filePath, &result.AcceptedName, settings.UserExceptions, settings.CommonExceptions))
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
      quarantine.Keep(filePath);
      outcome.AutorunInfDeleted = DeleteFileForced(filePath);
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
      outcome.AllAutorunDeleted =
          DeleteMatchingFiles(DirectoryPartOf(filePath) + "Autorun.*", outcome.DeletedFiles,
                              [&quarantine](const std::string &path, const WIN32_FIND_DATAA &found)
                              { quarantine.Keep(path, &found); });
    }
    catch (...)
    {
      outcome.AllAutorunDeleted = false;
    }
  }
  result.InformUser = flags.InformUser;
  return BuildInspectionReport(root, filePath, flags, outcome);
}

TInspectionResult InspectDrive(const std::string &root, const TSettings &settings, const std::string &quarantineFolder,
                               CWriteGate *ownWrites, RegistryDenyHook deny)
{
  TInspectionResult result;
  // An empty path would make the search, and the deletions, relative to the
  // current directory.
  if (root.empty())
    return result;
  const BehaviourFlags flags = settings.Flags[DriveKindOf(DriveTypeOf(root))];
  TQuarantine quarantine(quarantineFolder, root, ownWrites);
  result.Report = InspectAutorun(root, settings, flags, quarantine, deny, result);

  if (!flags.RepairShortcuts)
    return result;
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
    return result;
  result.Report = (result.Report.empty() ? FormatText(LoadMessage(IDS_WORM_FOUND), {root}) : result.Report) +
                  kSectionJoin + worm;
  result.InformUser = flags.InformUser;
  return result;
}
