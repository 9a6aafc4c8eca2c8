#include "StartupEntries.h"

namespace
{
const char *const RunPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
}

const char *const StartupValueName = "Mervane";

std::string StartupCommand(const std::string &programPath) { return "\"" + programPath + "\""; }

bool ReadStartupEntry(TPolicyScope scope, bool &exists, RegistryDenyHook deny)
{
  CKey key(deny);
  if (!OpenPolicyKey(key, scope, RunPath, false))
    return false;
  exists = key.HasValue(StartupValueName);
  return true;
}

TStartupWrite WriteStartupEntry(TPolicyScope scope, bool present, const std::string &programPath,
                                RegistryDenyHook deny)
{
  CKey key(deny);
  if (!OpenPolicyKey(key, scope, RunPath, true))
    return swKeyNotOpened;
  if (!present)
  {
    key.DeleteValue(StartupValueName);
    return swDone;
  }
  return key.SetValue(StartupValueName, StartupCommand(programPath)) == ERROR_SUCCESS ? swDone : swFailed;
}
