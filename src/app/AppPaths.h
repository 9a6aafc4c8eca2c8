#pragma once
#include <string>

// `path` with its extension (from the last dot after the last separator)
// replaced by `extension`, which includes the dot; appended when there is none.
std::string ChangeFileExt(const std::string &path, const std::string &extension);
// The part after the last backslash, slash or colon.
std::string ExtractFileName(const std::string &path);
// Everything up to and including the last backslash or colon; empty when none.
std::string ExtractFilePath(const std::string &path);

extern const char *const SettingsSubFolder; // "\Ostrel Software\Mervane\"

struct AppPaths
{
  std::string CommonIniPath;
  std::string IniPath;
  std::string LogPath;
};

// The three paths for a program file, given the application-data folder (empty
// when it could not be had). Creates nothing.
AppPaths DeriveAppPaths(const std::string &programFile, const std::string &appDataFolder);
// Asks for the application-data folder (created if missing), creates the
// settings folder below it, and derives the paths.
AppPaths ResolveAppPaths(const std::string &programFile);
