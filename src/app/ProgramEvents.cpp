#include "ProgramEvents.h"
#include "MainWindowLayout.h"
#include "MervaneEvents.h"

namespace
{
const WORD DriveKindCategories[DriveKindCount] = {CAT_CDROM, CAT_REMOVABLE, CAT_FIXED, CAT_REMOTE, CAT_OTHER};

const DWORD DriveEventIds[] = {EVT_AUTORUN_REMOVED,     EVT_AUTORUN_ACCEPTED, EVT_AUTORUN_LEFT,
                               EVT_WORM_REPAIRED,       EVT_AUTORUN_NOT_DELETED, EVT_MENU_NOT_REMOVED,
                               EVT_WORM_NOT_REPAIRED,   EVT_VACCINATED,       EVT_VACCINE_REMOVED,
                               EVT_NOT_VACCINATED,      EVT_VACCINE_NOT_REMOVED};

const struct
{
  DWORD Id;
  WORD Category;
} EntryEvents[] = {{EVT_SETTINGS_NOT_SAVED, CAT_SETTINGS}, {EVT_POLICY_VALUE_INVALID, CAT_SETTINGS},
                   {EVT_SETTING_INVALID, CAT_SETTINGS},    {EVT_USER_CLOSED, CAT_PROGRAM},
                   {EVT_NO_TRAY_ICON, CAT_PROGRAM},        {EVT_WINDOW_MESSAGE_FAILED, CAT_PROGRAM},
                   {EVT_QUARANTINE_RESTORED, CAT_PROGRAM}};

DWORD InspectionEventId(const TInspectionResult &result)
{
  const InspectionOutcome &outcome = result.Outcome;
  const bool autorunActedOn = result.Found && !result.Accepted;
  if (autorunActedOn && !(outcome.AutorunInfDeleted && outcome.AllAutorunDeleted))
    return EVT_AUTORUN_NOT_DELETED;
  if (autorunActedOn && result.Flags.RemoveMenuItems && outcome.MenuItemsApplicable && !outcome.MenuItemsRemoved)
    return EVT_MENU_NOT_REMOVED;
  if (!BuildWormReport(result.Worm).empty())
    return result.Worm.NotRepaired.empty() ? EVT_WORM_REPAIRED : EVT_WORM_NOT_REPAIRED;
  if (result.Accepted)
    return EVT_AUTORUN_ACCEPTED;
  return result.Flags.DeleteAutorunInf || result.Flags.DeleteAutorunAll ? EVT_AUTORUN_REMOVED : EVT_AUTORUN_LEFT;
}

TEvent DriveEvent(DWORD id, const TInspectionResult &result, const std::string &text)
{
  TEvent event;
  event.Id = id;
  event.Category = DriveKindCategories[result.Kind];
  event.Strings = {result.Root, DriveKindNames[result.Kind], text};
  return event;
}
}

TEvent InspectionEvent(const TInspectionResult &result)
{
  return DriveEvent(InspectionEventId(result), result, result.Report);
}

TEvent VaccineEvent(const TInspectionResult &result)
{
  const bool made = result.Vaccine.Deed == vdVaccinate;
  const DWORD id = result.Vaccine.Done ? (made ? EVT_VACCINATED : EVT_VACCINE_REMOVED)
                                       : (made ? EVT_NOT_VACCINATED : EVT_VACCINE_NOT_REMOVED);
  return DriveEvent(id, result, result.Vaccine.Report);
}

TEvent EntryEvent(DWORD id, const std::string &text)
{
  TEvent event;
  event.Id = id;
  event.Category = CAT_PROGRAM;
  for (const auto &entry : EntryEvents)
    if (entry.Id == id)
      event.Category = entry.Category;
  event.Strings = {text};
  return event;
}

std::vector<DWORD> ProgramEventIds()
{
  std::vector<DWORD> ids(std::begin(DriveEventIds), std::end(DriveEventIds));
  for (const auto &entry : EntryEvents)
    ids.push_back(entry.Id);
  return ids;
}
