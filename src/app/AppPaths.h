#pragma once
#include <string>

extern const char *const SettingsSubFolder; // "\Ostrel Software\Mervane\"

struct AppPaths
{
  std::string CommonIniPath;
  std::string IniPath;
  std::string LogPath;
  std::string QuarantineFolder; // beside the user settings file, with a backslash
};

// The paths for a program file, given the application-data folder (empty
// when it could not be had). Creates nothing.
AppPaths DeriveAppPaths(const std::string &programFile, const std::string &appDataFolder);
// Asks for the application-data folder (created if missing), creates the
// settings folder below it, and derives the paths.
AppPaths ResolveAppPaths(const std::string &programFile);
