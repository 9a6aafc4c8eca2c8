#pragma once
#include <string>
#include "../platform/Registry.h"

// True for a root that can have a context-menu cache of its own: a drive root
// (X:\) or a folder with a volume mounted on it. A shared folder is not one.
bool IsVolumeRoot(const std::string &root);
// The volume identifier within a volume name of the form \\?\Volume{GUID}\:
// the text without its first 10 characters and its last; empty for a name of
// 11 characters or fewer.
std::string VolumeIdFromName(const std::string &volumeName);
// The key name the shell gives a network share under MountPoints2: the UNC
// name with every backslash replaced by '#' (\\server\share -> ##server#share).
std::string ShareKeyName(const std::string &uncName);
// The identifier of the volume's key under MountPoints2: the GUID in braces for
// a volume, ##server#share for a mapped network drive, empty when none can be had.
std::string VolumeIdOf(const std::string &root);
// Deletes every subkey (with its subtree) of the volume's cache key in the
// current user's hive; the key itself and its values stay. False for an empty
// identifier (no registry call is made), a key that cannot be opened with full
// access, or any subkey that could not be deleted; the others are still tried.
bool RemoveMenuCache(const std::string &volumeId, RegistryDenyHook deny = nullptr);
