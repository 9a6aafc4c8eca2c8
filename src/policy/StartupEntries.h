#pragma once
#include <string>
#include "PolicyKey.h"

// The value under a scope's Run key that starts the program at logon.
extern const char *const StartupValueName;
// The entry's data: the program file's full path in double quotes.
std::string StartupCommand(const std::string &programPath);

// Whether the entry exists, of any type. False, `exists` untouched, when the
// Run key does not open for reading.
bool ReadStartupEntry(TPolicyScope scope, bool &exists, RegistryDenyHook deny = nullptr);

enum TStartupWrite
{
  swKeyNotOpened,
  swDone,
  swFailed
};
// With the Run key created when missing: writes the entry for `programPath`
// when `present`, deletes it otherwise. A failed delete counts as done.
TStartupWrite WriteStartupEntry(TPolicyScope scope, bool present, const std::string &programPath,
                                RegistryDenyHook deny = nullptr);
