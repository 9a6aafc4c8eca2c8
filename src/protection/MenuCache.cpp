#include "MenuCache.h"
#include <windows.h>
#include <winnetwk.h>
#include <vector>
#include "../platform/Registry.h"

namespace
{
const char kMountPoints2[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MountPoints2\\";
const DWORD kVolumeNameSize = 500;

bool IsDriveRoot(const std::string &root)
{
  return root.size() == 3 && ((root[0] >= 'A' && root[0] <= 'Z') || (root[0] >= 'a' && root[0] <= 'z')) &&
         root[1] == ':' && root[2] == '\\';
}

bool VolumeNameOf(const std::string &root, std::string &name)
{
  char buffer[kVolumeNameSize] = "";
  if (!::GetVolumeNameForVolumeMountPointA(root.c_str(), buffer, kVolumeNameSize))
    return false;
  buffer[kVolumeNameSize - 1] = '\0';
  name = buffer;
  return true;
}

// The share behind a mapped drive letter; false for a local or unmapped drive.
bool ConnectionOf(const std::string &root, std::string &uncName)
{
  if (!IsDriveRoot(root))
    return false;
  const std::string local = root.substr(0, 2);
  DWORD size = MAX_PATH;
  std::string buffer(size, '\0');
  DWORD res = ::WNetGetConnectionA(local.c_str(), &buffer[0], &size);
  if (res == ERROR_MORE_DATA)
  {
    buffer.assign(size, '\0');
    res = ::WNetGetConnectionA(local.c_str(), &buffer[0], &size);
  }
  if (res != NO_ERROR)
    return false;
  buffer.resize(buffer.find('\0'));
  if (buffer.size() < 3 || buffer.compare(0, 2, "\\\\") != 0)
    return false;
  uncName = buffer;
  return true;
}

// Deletes `name` below `parent` with everything under it. Children are taken
// from the last index down, so deleting one does not shift the ones still to come.
bool DeleteSubtree(CKey &parent, const std::string &name)
{
  CKey key(parent.DenyHook());
  if (key.Open(parent.Get(), name.c_str(), KEY_ALL_ACCESS) == ERROR_SUCCESS)
  {
    DWORD count = 0, maxLength = 0;
    if (key.QuerySubKeyInfo(count, maxLength) == ERROR_SUCCESS)
    {
      for (DWORD i = count; i-- > 0;)
      {
        std::string child;
        if (key.EnumSubKey(i, maxLength, child) == ERROR_SUCCESS)
          DeleteSubtree(key, child);
      }
    }
    key.Close();
  }
  return parent.DeleteSubKey(name.c_str()) == ERROR_SUCCESS;
}
}

bool IsVolumeRoot(const std::string &root)
{
  if (IsDriveRoot(root))
    return true;
  std::string name;
  return !root.empty() && root.back() == '\\' && VolumeNameOf(root, name);
}

std::string VolumeIdFromName(const std::string &volumeName)
{
  if (volumeName.size() <= 11)
    return std::string();
  std::string id = volumeName.substr(10, 500);
  id.pop_back();
  return id;
}

std::string ShareKeyName(const std::string &uncName)
{
  std::string key = uncName;
  for (char &c : key)
    if (c == '\\')
      c = '#';
  return key;
}

std::string VolumeIdOf(const std::string &root)
{
  std::string name;
  if (VolumeNameOf(root, name))
    return VolumeIdFromName(name);
  std::string share;
  if (ConnectionOf(root, share))
    return ShareKeyName(share);
  return std::string();
}

bool RemoveMenuCache(const std::string &volumeId, RegistryDenyHook deny)
{
  // An empty identifier would name MountPoints2 itself, the cache of every volume.
  if (volumeId.empty())
    return false;
  CKey cache(deny);
  const std::string path = kMountPoints2 + volumeId;
  if (cache.Open(HKEY_CURRENT_USER, path.c_str(), KEY_ALL_ACCESS) != ERROR_SUCCESS)
    return false;
  DWORD count = 0, maxLength = 0;
  if (cache.QuerySubKeyInfo(count, maxLength) != ERROR_SUCCESS)
    return false;
  bool result = true;
  std::vector<std::string> names;
  for (DWORD i = 0; i < count; ++i)
  {
    std::string name;
    if (cache.EnumSubKey(i, maxLength, name) == ERROR_SUCCESS)
      names.push_back(name);
    else
      result = false;
  }
  for (const std::string &name : names)
    if (!DeleteSubtree(cache, name))
      result = false;
  return result;
}
