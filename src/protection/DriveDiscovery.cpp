#include "DriveDiscovery.h"
#include <windows.h>
#include "../platform/ErrorModeScope.h"

std::string DriveRoot(int index)
{
  std::string root("A:\\");
  root[0] = static_cast<char>('A' + index);
  return root;
}

static bool VolumeIsReadable(const std::string &root)
{
  char volumeName[500];
  CErrorModeScope noCriticalErrorBox;
  return ::GetVolumeInformationA(root.c_str(), volumeName, sizeof(volumeName), nullptr, nullptr, nullptr,
                                 nullptr, 0) != FALSE;
}

void ScanDrives(const InspectFn &inspect)
{
  const DWORD mask = ::GetLogicalDrives();
  // 32 bits although only 26 letters exist: a bit past Z: is tried like any
  // other and simply fails the volume query.
  for (int i = 0; i < 32; ++i)
  {
    if (!(mask & (1u << i)))
      continue;
    const std::string root = DriveRoot(i);
    if (VolumeIsReadable(root))
      inspect(root);
  }
}
