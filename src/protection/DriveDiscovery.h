#pragma once
#include <string>
#include <vector>

// The roots of the drives GetLogicalDrives names, A: to Z: in order. Asks no
// drive anything, so it never waits for one.
std::vector<std::string> PresentDriveRoots();
// Those of them whose drive type is removable, A: to Z:; asks no medium either.
std::vector<std::string> RemovableDriveRoots();
// True when the volume at `root` answers a volume query: only such drives
// are inspected at start-up. Waits as long as the drive does.
bool VolumeIsReadable(const std::string &root);

// The root of drive `index` (0 for A:): "A:\".
std::string DriveRoot(int index);
// What one drive's checks share, so that they run one after another: "E:"
// for E:\ and every folder on it, "\\server\share" for a network path.
std::string DriveKeyOf(const std::string &root);
