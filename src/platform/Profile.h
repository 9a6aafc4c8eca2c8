#pragma once
#include <string>

// INI access through the profile functions. A value of any length is read
// whole: the buffer grows until the value fits, where the platform call alone
// would cut it to the buffer's size without saying so.
std::string ReadProfileText(const std::string &file, const char *section, const char *key,
                            const char *defaultValue = "");
// False when the platform could not write the value (folder missing, no access).
bool WriteProfileText(const std::string &file, const char *section, const char *key,
                      const std::string &value);
