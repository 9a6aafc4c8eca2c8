#pragma once
#include <functional>
#include <string>

using InspectFn = std::function<void(const std::string &root)>;

// Inspects every drive of GetLogicalDrives, A: to Z: in order, whose volume can
// be queried; each inspection (its warning box included) ends before the next
// letter is tried.
void ScanDrives(const InspectFn &inspect);

// The root of drive `index` (0 for A:): "A:\".
std::string DriveRoot(int index);
