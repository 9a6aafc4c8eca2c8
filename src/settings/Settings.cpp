#include "Settings.h"
#include <windows.h>
#include <algorithm>
#include "../platform/Profile.h"
#include "../platform/Text.h"
#include "ExceptionEncoding.h"

namespace
{
const char *const Section = "General";
const size_t BehaviourLength = 4 * DriveKindCount;

bool BehaviourFlags::*const Members[4] = {&BehaviourFlags::RemoveMenuItems, &BehaviourFlags::InformUser,
                                          &BehaviourFlags::DeleteAutorunInf, &BehaviourFlags::DeleteAutorunAll};

int DigitValue(char c, unsigned base)
{
  if (c >= '0' && c <= '9')
    return c - '0';
  if (base == 16 && c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (base == 16 && c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// Decimal, or hexadecimal after "0x" or "0X"; false for any other text. Hex
// takes all 32 bits, so 0xFFFFFFFF is -1.
bool ParseInteger(const std::string &text, int &value)
{
  size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+'))
    ++i;
  unsigned base = 10;
  if (text.size() - i > 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X'))
  {
    base = 16;
    i += 2;
  }
  if (i == text.size())
    return false;
  unsigned long long magnitude = 0;
  for (; i < text.size(); ++i)
  {
    const int digit = DigitValue(text[i], base);
    if (digit < 0)
      return false;
    magnitude = magnitude * base + static_cast<unsigned>(digit);
    if (magnitude > 0xFFFFFFFFull)
      return false;
  }
  if (base == 10 && magnitude > (negative ? 0x80000000ull : 0x7FFFFFFFull))
    return false;
  const unsigned bits = static_cast<unsigned>(magnitude);
  value = static_cast<int>(negative ? 0u - bits : bits);
  return true;
}

int ReadInteger(const std::string &file, const char *key, int current)
{
  std::string text;
  int value = 0;
  return ReadProfileText(file, Section, key, text) && ParseInteger(text, value) ? value : current;
}

bool ReadBoolean(const std::string &file, const char *key, bool current)
{
  return ReadInteger(file, key, current ? 1 : 0) != 0;
}

bool BeginsWithDigits(const std::string &text, size_t count)
{
  if (text.size() < count)
    return false;
  for (size_t i = 0; i < count; ++i)
    if (text[i] < '0' || text[i] > '9')
      return false;
  return true;
}

// A value as a log entry quotes it: a huge one must not grow the log by its size.
std::string Quoted(const std::string &value)
{
  const size_t shown = 64;
  return "\"" + value.substr(0, shown) + (value.size() > shown ? "...\"" : "\"");
}

// False, with the list emptied, when a value is too long to read whole: a
// cut list would lose its last entries at the next save.
bool LoadExceptionList(const std::string &file, ExceptionList &list, const ReportFn &report)
{
  std::string namesText, bodiesText;
  if (!ReadProfileText(file, Section, "ARNames", namesText) ||
      !ReadProfileText(file, Section, "ARBodies", bodiesText))
  {
    list.Clear();
    if (report)
      report("Exception list in \"" + file + "\" is too long to be read and was not loaded");
    return false;
  }
  DecodeExceptionList(namesText, bodiesText, file, list, report);
  return true;
}
}

void ResetDefaults(TSettings &record)
{
  for (int k = 0; k < DriveKindCount; ++k)
  {
    const bool on = k != dkCdRom;
    record.Flags[k] = BehaviourFlags{on, on, on, on};
    // Sticks are what shortcut worms travel on.
    record.Flags[k].RepairShortcuts = k == dkRemovable;
  }
  record.RunMinimized = true;
  record.FirstRun = true;
  record.Locked = 0;
  record.Quarantine = true;
}

std::string BehaviourText(const BehaviourFlags (&flags)[DriveKindCount])
{
  std::string text;
  for (int k = 0; k < DriveKindCount; ++k)
    for (bool BehaviourFlags::*member : Members)
      text += flags[k].*member ? '1' : '0';
  return text;
}

bool ParseBehaviourText(const std::string &text, BehaviourFlags (&flags)[DriveKindCount])
{
  if (!BeginsWithDigits(text, BehaviourLength))
    return false;
  for (int k = 0; k < DriveKindCount; ++k)
    for (int m = 0; m < 4; ++m)
      flags[k].*Members[m] = text[4 * k + m] != '0';
  return true;
}

namespace
{
// One digit per drive kind for one switch.
std::string KindSwitchText(const BehaviourFlags (&flags)[DriveKindCount], bool BehaviourFlags::*member)
{
  std::string text;
  for (int k = 0; k < DriveKindCount; ++k)
    text += flags[k].*member ? '1' : '0';
  return text;
}

bool ParseKindSwitchText(const std::string &text, BehaviourFlags (&flags)[DriveKindCount],
                         bool BehaviourFlags::*member)
{
  if (!BeginsWithDigits(text, DriveKindCount))
    return false;
  for (int k = 0; k < DriveKindCount; ++k)
    flags[k].*member = text[k] != '0';
  return true;
}

// A flags value read from the common file, then the user's unless locked.
struct TFlagsValue
{
  const char *Key;
  bool (*Parse)(const std::string &text, BehaviourFlags (&flags)[DriveKindCount]);
  std::string Text;
  bool Whole = false;
};
}

std::string RepairShortcutsText(const BehaviourFlags (&flags)[DriveKindCount])
{
  return KindSwitchText(flags, &BehaviourFlags::RepairShortcuts);
}

bool ParseRepairShortcutsText(const std::string &text, BehaviourFlags (&flags)[DriveKindCount])
{
  return ParseKindSwitchText(text, flags, &BehaviourFlags::RepairShortcuts);
}

std::string VaccinateText(const BehaviourFlags (&flags)[DriveKindCount])
{
  return KindSwitchText(flags, &BehaviourFlags::Vaccinate);
}

bool ParseVaccinateText(const std::string &text, BehaviourFlags (&flags)[DriveKindCount])
{
  return ParseKindSwitchText(text, flags, &BehaviourFlags::Vaccinate);
}

void LoadSettings(TSettings &record, const std::string &commonIniPath, const std::string &iniPath,
                  const ReportFn &report, const CommonOverrideFn &overrideCommon)
{
  // Without an application-data folder both paths name the file beside the
  // program; its lists are then the user's, or accepting the dialog would
  // strip every entry from it.
  if (SameTextIgnoreCase(commonIniPath, iniPath))
    record.CommonExceptions.Clear();
  else
    LoadExceptionList(commonIniPath, record.CommonExceptions, report);
  record.Locked = ReadInteger(commonIniPath, "Locked", record.Locked);
  record.Quarantine = ReadBoolean(commonIniPath, "Quarantine", record.Quarantine);
  TFlagsValue values[] = {{"Behaviour", ParseBehaviourText, {}, false},
                          {"RepairShortcuts", ParseRepairShortcutsText, {}, false},
                          {"Vaccinate", ParseVaccinateText, {}, false}};
  for (TFlagsValue &value : values)
    value.Whole = ReadProfileText(commonIniPath, Section, value.Key, value.Text);
  if (overrideCommon)
    overrideCommon(record, {values[0].Text, values[0].Whole, values[1].Text, values[1].Whole, values[2].Text,
                            values[2].Whole});

  record.FirstRun = ReadBoolean(iniPath, "FirstRun", record.FirstRun);
  if (!record.IsLocked(LockSettings))
  {
    record.RunMinimized = ReadBoolean(iniPath, "RunMinimized", record.RunMinimized);
    for (TFlagsValue &value : values)
      value.Whole = ReadProfileText(iniPath, Section, value.Key, value.Text);
  }

  for (const TFlagsValue &value : values)
    if (!value.Text.empty() && !(value.Whole && value.Parse(value.Text, record.Flags)) && report)
      report(std::string(value.Key) + " value " + Quoted(value.Text) + " is not valid and was ignored");

  record.UserExceptionsUnread = !LoadExceptionList(iniPath, record.UserExceptions, report);
}

std::string SaveResult::Reason() const { return SystemErrorText(Error); }

SaveResult SaveSettings(const TSettings &record, const std::string &iniPath, const FileReplaceSteps &steps)
{
  std::vector<ProfileValue> values{{"FirstRun", "0"}};
  if (!record.IsLocked(LockSettings))
  {
    values.push_back({"RunMinimized", record.RunMinimized ? "1" : "0"});
    values.push_back({"Behaviour", BehaviourText(record.Flags)});
    values.push_back({"RepairShortcuts", RepairShortcutsText(record.Flags)});
    values.push_back({"Vaccinate", VaccinateText(record.Flags)});
  }
  if (!record.UserExceptionsUnread)
  {
    values.push_back({"ARNames", EncodeListText(record.UserExceptions.Names)});
    values.push_back({"ARBodies", EncodeListText(record.UserExceptions.Bodies)});
  }
  SaveResult result;
  result.File = iniPath;
  result.Error = UpdateProfile(iniPath, Section, values, steps);
  return result;
}
