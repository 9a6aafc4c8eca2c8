#pragma once
#include <string>
#include <vector>
#include "Quarantine.h"
#include "ShortcutFile.h"

// Shortcut worms: they hide the user's files and folders in a drive root
// (hidden and system together) and put shortcuts in their place that start
// the worm from the drive, then open the real folder.

// An entry a worm shortcut names: its path below the root as on disk, and
// its full path as the box shows it.
struct TNamedFile
{
  std::wstring Relative;
  std::string Path;
  bool Code = false;   // the worm's program or script: it goes
  bool Folder = false; // a hidden folder the shortcut opens: it is shown again
};

// True when `link`, a shortcut lying in `root` (a drive root or shared folder
// with a trailing backslash), is the worm's; `named` then receives what in
// `root` it names: its programs and scripts, the hidden files and the hidden
// folders it opens, each resolved to the entry on disk whose name is exactly
// the one named. The rule is written out in ShortcutWorm.cpp.
bool FindWormTargets(const TShortcut &link, const std::string &root, std::vector<TNamedFile> &named);

// What a repair of one root did; every list holds full paths.
struct TWormRepair
{
  bool Found = false; // a worm shortcut was there
  std::vector<std::string> ShortcutsDeleted;
  std::vector<std::string> FilesDeleted; // the programs and scripts the shortcuts started
  std::vector<std::string> MadeVisible;
  std::vector<std::string> NotRepaired; // left as it was: "path (why)"
};

// Looks at every shortcut in `root`. When one is the worm's: keeps a copy of
// each worm shortcut and each program or script they start in `quarantine`
// and deletes it, or leaves it when no copy could be kept; makes visible
// every other file and folder they name (the user's, hidden by the worm); then clears hidden and system from every entry of `root` that
// has both, but the system's own. Nothing is touched through a link, a device
// name or a name that leaves the root (see TDriveFile). Each change gets a
// line in Origin.txt; each thing left gets its reason in NotRepaired.
// Nothing is changed when no worm shortcut is there.
TWormRepair RepairShortcutWorm(const std::string &root, TQuarantine &quarantine);
