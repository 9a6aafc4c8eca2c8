#include "DriveDiscovery.h"
#include <windows.h>
#include "../platform/ErrorModeScope.h"

std::string DriveRoot(int index)
{
  std::string root("A:\\");
  root[0] = static_cast<char>('A' + index);
  return root;
}

bool VolumeIsReadable(const std::string &root)
{
  char volumeName[500];
  CErrorModeScope noCriticalErrorBox;
  return ::GetVolumeInformationA(root.c_str(), volumeName, sizeof(volumeName), nullptr, nullptr, nullptr,
                                 nullptr, 0) != FALSE;
}

std::vector<std::string> PresentDriveRoots()
{
  std::vector<std::string> roots;
  const DWORD mask = ::GetLogicalDrives();
  // 32 bits although only 26 letters exist: a bit past Z: is tried like any
  // other and simply fails the volume query.
  for (int i = 0; i < 32; ++i)
    if (mask & (1u << i))
      roots.push_back(DriveRoot(i));
  return roots;
}

std::vector<std::string> RemovableDriveRoots()
{
  std::vector<std::string> roots;
  for (const std::string &root : PresentDriveRoots())
    if (root[0] <= 'Z' && ::GetDriveTypeA(root.c_str()) == DRIVE_REMOVABLE)
      roots.push_back(root);
  return roots;
}

std::string DriveKeyOf(const std::string &root)
{
  std::string key = root;
  if (root.size() >= 2 && root[1] == ':')
    key = root.substr(0, 2);
  else if (root.compare(0, 2, "\\\\") == 0)
  {
    // \\server\share\...: the share is what stalls as one.
    const size_t server = root.find('\\', 2);
    key = root.substr(0, server == std::string::npos ? server : root.find('\\', server + 1));
  }
  if (!key.empty())
    ::CharUpperBuffA(&key[0], static_cast<DWORD>(key.size()));
  return key;
}
