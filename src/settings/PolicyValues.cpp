#include "PolicyValues.h"
#include "ExceptionEncoding.h"

const char *const PolicyKeyPath = "SOFTWARE\\Policies\\Ostrel Software\\Mervane";

namespace
{
// The administrative template's check boxes write one value per lock bit, as
// a template cannot add bits up into one value; a Locked value, the common
// file's form, adds its own bits to theirs.
const struct
{
  const char *Name;
  LockBits Bit;
} LockBoxes[] = {
    {"LockSettings", LockSettings}, {"LockQuit", LockQuit}, {"LockExceptions", LockExceptions}, {"NoTrayIcon", NoTrayIcon},
    {"LockQuarantine", LockQuarantine}};

struct TPolicyKey
{
  CKey Key;
  std::string Name;
  TPolicyKey(RegistryDenyHook deny, HKEY root, const char *rootName, REGSAM view) : Key(deny)
  {
    Name = std::string(rootName) + "\\" + PolicyKeyPath;
    Key.Open(root, PolicyKeyPath, KEY_READ | view);
  }
  bool Has(const char *value) const { return Key.IsOpen() && Key.HasValue(value); }
};

// The value itself is not quoted: the administrator sees it where it was set.
void Ignored(const TPolicyKey &key, const char *value, const std::string &why, const ReportFn &report)
{
  if (report)
    report("Policy value " + std::string(value) + " in " + key.Name + " " + why + " and was ignored");
}

bool ReadDword(const TPolicyKey &key, const char *value, int &target, const ReportFn &report)
{
  if (!key.Has(value))
    return false;
  DWORD data = 0;
  if (key.Key.QueryValue(value, data) != ERROR_SUCCESS)
  {
    Ignored(key, value, "is not a REG_DWORD", report);
    return false;
  }
  target = static_cast<int>(data);
  return true;
}

bool ReadString(const TPolicyKey &key, const char *value, std::string &target, const ReportFn &report)
{
  if (!key.Has(value))
    return false;
  if (key.Key.QueryValue(value, target) != ERROR_SUCCESS)
  {
    Ignored(key, value, "is not a REG_SZ", report);
    return false;
  }
  return true;
}

using TFlagsParser = bool (*)(const std::string &text, BehaviourFlags (&flags)[DriveKindCount]);

bool ReadFlagsText(const TPolicyKey &key, const char *value, TFlagsParser parse, std::string &target,
                   const ReportFn &report)
{
  std::string text;
  if (!ReadString(key, value, text, report))
    return false;
  BehaviourFlags probe[DriveKindCount];
  if (!parse(text, probe))
  {
    Ignored(key, value, "is not valid", report);
    return false;
  }
  target = text;
  return true;
}

// The machine's value, else the user key's.
bool ReadFlagsText(const TPolicyKey &machine, const TPolicyKey &user, const char *value, TFlagsParser parse,
                   std::string &target, const ReportFn &report)
{
  return ReadFlagsText(machine, value, parse, target, report) || ReadFlagsText(user, value, parse, target, report);
}

// The two lists come as a pair from one key, or not at all: names from one
// key and bodies from another would pair unrelated entries.
bool ReadLists(const TPolicyKey &key, TPolicyValues &values, const ReportFn &report)
{
  if (!key.Has("ARNames") && !key.Has("ARBodies"))
    return false;
  std::string names, bodies;
  const bool namesRead = !key.Has("ARNames") || ReadString(key, "ARNames", names, report);
  const bool bodiesRead = !key.Has("ARBodies") || ReadString(key, "ARBodies", bodies, report);
  if (!namesRead || !bodiesRead)
    return false;
  values.ARNames = names;
  values.ARBodies = bodies;
  values.ListSource = key.Name;
  return true;
}
}

TPolicyValues ReadPolicyValues(const ReportFn &report, RegistryDenyHook deny)
{
  // Group Policy writes the machine's values in the 64-bit view, where a
  // 32-bit program would be redirected away from them.
  const TPolicyKey machine(deny, HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", KEY_WOW64_64KEY);
  const TPolicyKey user(deny, HKEY_CURRENT_USER, "HKEY_CURRENT_USER", 0);
  TPolicyValues values;
  values.HasLocked = ReadDword(machine, "Locked", values.Locked, report);
  for (const auto &box : LockBoxes)
  {
    int checked = 0;
    if (!ReadDword(machine, box.Name, checked, report))
      continue;
    values.HasLocked = true;
    if (checked)
      values.Locked |= static_cast<int>(box.Bit);
  }
  int quarantine = 1;
  values.HasQuarantine = ReadDword(machine, "Quarantine", quarantine, report);
  values.Quarantine = quarantine != 0;
  values.HasBehaviour = ReadFlagsText(machine, user, "Behaviour", ParseBehaviourText, values.Behaviour, report);
  values.HasRepairShortcuts =
      ReadFlagsText(machine, user, "RepairShortcuts", ParseRepairShortcutsText, values.RepairShortcuts, report);
  values.HasVaccinate = ReadFlagsText(machine, user, "Vaccinate", ParseVaccinateText, values.Vaccinate, report);
  values.HasExceptions = ReadLists(machine, values, report) || ReadLists(user, values, report);
  int eventLog = 1;
  ReadDword(machine, "EventLog", eventLog, report);
  values.EventLog = eventLog != 0;
  return values;
}

void ApplyPolicyValues(const TPolicyValues &policy, TSettings &record, const TCommonFlagsTexts &common,
                       const ReportFn &report)
{
  if (policy.HasLocked)
    record.Locked = policy.Locked;
  if (policy.HasQuarantine)
    record.Quarantine = policy.Quarantine;
  const struct
  {
    bool Has;
    const std::string &Value;
    std::string &Text;
    bool &Whole;
  } texts[] = {{policy.HasBehaviour, policy.Behaviour, common.Behaviour, common.BehaviourWhole},
               {policy.HasRepairShortcuts, policy.RepairShortcuts, common.RepairShortcuts, common.RepairShortcutsWhole},
               {policy.HasVaccinate, policy.Vaccinate, common.Vaccinate, common.VaccinateWhole}};
  for (const auto &text : texts)
    if (text.Has)
    {
      text.Text = text.Value;
      text.Whole = true;
    }
  if (policy.HasExceptions)
    DecodeExceptionList(policy.ARNames, policy.ARBodies, policy.ListSource, record.CommonExceptions, report);
}
