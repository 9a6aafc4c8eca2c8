#pragma once
#include <string>
#include "../platform/Registry.h"
#include "Settings.h"

// The administrator's presets from Group Policy, under
//   HKEY_LOCAL_MACHINE\SOFTWARE\Policies\Ostrel Software\Mervane (64-bit view)
//   HKEY_CURRENT_USER\SOFTWARE\Policies\Ostrel Software\Mervane
// Each value present takes the place of the same key in the common settings
// file. Locked and Quarantine are the machine's only: like the common file's
// they hold for everyone who logs on, so a per-user value would make the
// protection of a shared computer depend on who uses it. Behaviour and the
// accepted files (and the shortcut-worm repair and vaccine switches) are per user in the
// user's own file already, so the user key may carry them; the machine's
// value wins over the user key's.
struct TPolicyValues
{
  // Locked, with the bits of the lock check-box values set to 1.
  bool HasLocked = false;
  int Locked = 0;
  bool HasQuarantine = false;
  bool Quarantine = true;
  // A text that ParseBehaviourText takes; invalid ones are never kept here.
  bool HasBehaviour = false;
  std::string Behaviour;
  // The same for RepairShortcuts and Vaccinate with their parsers.
  bool HasRepairShortcuts = false;
  std::string RepairShortcuts;
  bool HasVaccinate = false;
  std::string Vaccinate;
  // ARNames and ARBodies, as encoded texts, from one key (named in ListSource).
  bool HasExceptions = false;
  std::string ARNames;
  std::string ARBodies;
  std::string ListSource;
  // Log entries go to the Windows event log too. The machine's value only:
  // a user's would hide a computer's findings from those who collect them.
  bool EventLog = true;
};

extern const char *const PolicyKeyPath;

// Reads both keys; a value of the wrong type or an invalid flags text is left
// out with one entry to `report`. Keys that do not open count as empty.
TPolicyValues ReadPolicyValues(const ReportFn &report, RegistryDenyHook deny = nullptr);

// Puts the values present in `policy` in place of the common file's, once
// that file is read: LoadSettings' override of the common file.
void ApplyPolicyValues(const TPolicyValues &policy, TSettings &record, const TCommonFlagsTexts &common,
                       const ReportFn &report);
