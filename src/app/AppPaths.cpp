#include "AppPaths.h"
#include <windows.h>
#include <shlobj.h>
#include "../common/ProgramIds.h"
#include "../platform/PathText.h"

const char *const SettingsSubFolder = "\\" MERVANE_COMPANY "\\Mervane\\";

AppPaths DeriveAppPaths(const std::string &programFile, const std::string &appDataFolder)
{
  AppPaths paths;
  paths.CommonIniPath = ChangeFileExt(programFile, ".ini");
  paths.IniPath = paths.CommonIniPath;
  if (!appDataFolder.empty())
    paths.IniPath = appDataFolder + SettingsSubFolder + ExtractFileName(paths.IniPath);
  paths.LogPath = ChangeFileExt(paths.IniPath, ".log");
  paths.QuarantineFolder = DirectoryPartOf(paths.IniPath) + "Quarantine\\";
  return paths;
}

// CreateDirectoryA makes one level; the parents are made first.
static void ForceDirectories(const std::string &folder)
{
  std::string path = folder;
  while (!path.empty() && (path.back() == '\\' || path.back() == '/'))
    path.pop_back();
  if (path.empty() || path.back() == ':')
    return;
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return;
  const size_t sep = path.find_last_of("\\/");
  if (sep != std::string::npos)
    ForceDirectories(path.substr(0, sep));
  ::CreateDirectoryA(path.c_str(), nullptr);
}

AppPaths ResolveAppPaths(const std::string &programFile)
{
  char buffer[MAX_PATH] = {};
  std::string appData;
  if (SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, buffer)))
  {
    appData = buffer;
    ForceDirectories(appData + SettingsSubFolder);
  }
  return DeriveAppPaths(programFile, appData);
}
