#pragma once
#include <string>
#include <vector>
#include "Quarantine.h"
#include "ShortcutFile.h"

// Shortcut worms: they hide the user's files and folders in a drive root
// (hidden and system together) and put shortcuts in their place that start
// the worm from the drive, then open the real folder.

// True when `link`, a shortcut lying in `root` (a drive root or shared folder
// with a trailing backslash), is the worm's; `payloads` then receives the
// hidden or system files in `root` that it names. The rule is written out in
// ShortcutWorm.cpp.
bool IsWormShortcut(const TShortcut &link, const std::string &root, std::vector<std::string> &payloads);

// What a repair of one root did; every list holds full paths.
struct TWormRepair
{
  bool Found = false; // a worm shortcut was there
  std::vector<std::string> ShortcutsDeleted;
  std::vector<std::string> FilesDeleted; // the files the shortcuts started
  std::vector<std::string> MadeVisible;
  std::vector<std::string> NotRepaired; // could not be deleted or made visible
};

// Looks at every shortcut in `root`. When one is the worm's: keeps a copy of
// each worm shortcut and each file they name in `quarantine` and deletes
// them, then clears hidden and system from every entry of `root` that has
// both, but the system's own; each such change gets a line in Origin.txt.
// Nothing is changed when no worm shortcut is there.
TWormRepair RepairShortcutWorm(const std::string &root, TQuarantine &quarantine);
