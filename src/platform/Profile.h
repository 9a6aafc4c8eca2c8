#pragma once
#include <string>
#include <vector>

// INI access through the profile functions.

// The longest value that is read: far beyond any settings value the program
// writes, and small enough that the doubling buffer stays bounded.
constexpr size_t MaxProfileValueLength = (static_cast<size_t>(1) << 26) - 2;

// Reads a value whole: the buffer grows until the value fits, where the
// platform call alone would cut it to the buffer's size without saying so. A
// missing key gives `defaultValue`. False when the value is longer than
// MaxProfileValueLength; `value` then receives its first
// MaxProfileValueLength characters, which are not the value.
bool ReadProfileText(const std::string &file, const char *section, const char *key, std::string &value,
                     const char *defaultValue = "");
// The names of the file's sections (`section` null), or the lines of a
// section as the profile functions read them ("key=value", comments left
// out), in file order; none for a missing file. False when they are longer
// than twice MaxProfileValueLength altogether.
bool ReadProfileLines(const std::string &file, const char *section, std::vector<std::string> &lines);
// Writes a value so that ReadProfileText gives it back byte for byte. False
// when the platform could not write it (folder missing, no access).
bool WriteProfileText(const std::string &file, const char *section, const char *key,
                      const std::string &value);
