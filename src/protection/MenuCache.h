#pragma once
#include <string>

// The identifier of the volume's key under MountPoints2: the GUID in braces for
// a volume, ##server#share for a mapped network drive, empty when none can be had.
std::string VolumeIdOf(const std::string &root);
// Deletes every subkey of the volume's cache key. False for an empty identifier,
// a key that cannot be opened, or any subkey that could not be deleted.
bool RemoveMenuCache(const std::string &volumeId);
