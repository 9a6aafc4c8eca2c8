#include "ShortcutWorm.h"
#include <windows.h>
#include <algorithm>
#include <cctype>
#include "DriveInspection.h"
#include "../platform/ErrorModeScope.h"
#include "../platform/FileFind.h"
#include "../platform/PathText.h"
#include "../platform/Text.h"

// The rule. A shortcut is the worm's when both hold:
//   1. it runs code: the file name of its target is a command interpreter or
//      script host (kHosts), wherever that lies; or its target is a script or
//      program file (kRunnable) in this root that is hidden or system;
//   2. it names a hidden or system file in this root: its target, or a path in
//      its arguments.
// Paths in this root are absolute ones below it, ones relative to it (or to
// the shortcut's working folder when that lies in it), and ones beginning
// with %cd%, %~d0 or %~dp0, which a worm's command line uses for "the drive I
// was started from". Any other path, one with "..", wildcards or another
// environment variable in it included, is not in this root. A shortcut that
// cannot be read whole is not the worm's. So a shortcut to a document, to a
// program elsewhere, or to a visible program on the drive is the user's.

namespace
{
const char *const kHosts[] = {"cmd",      "wscript", "cscript",  "mshta", "powershell",
                              "rundll32", "msiexec", "regsvr32", "pwsh",  "conhost"};
const char *const kRunnable[] = {".vbs", ".vbe", ".js", ".jse", ".wsf", ".bat", ".cmd",
                                 ".exe", ".scr", ".pif", ".com"};
const char *const kDriveOf[] = {"%cd%", "%~dp0", "%~d0"};
// Entries of a root that the system hides itself.
const char *const kSystemNames[] = {"System Volume Information", "$RECYCLE.BIN", "RECYCLER", "RECYCLED",
                                    "desktop.ini"};
const size_t kTokenLimit = 256;
const size_t kShortcutLimit = 1000;
const DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

std::string Lower(std::string text)
{
  for (char &c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool StartsWithIgnoreCase(const std::string &text, const std::string &start)
{
  return text.size() >= start.size() && SameTextIgnoreCase(text.substr(0, start.size()), start);
}

std::string ExtensionOf(const std::string &name)
{
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : Lower(name.substr(dot));
}

bool IsHost(const std::string &target)
{
  const std::string name = Lower(ExtractFileName(target));
  for (const char *host : kHosts)
    if (name == host || name == std::string(host) + ".exe")
      return true;
  return false;
}

bool IsRunnable(const std::string &path)
{
  const std::string extension = ExtensionOf(ExtractFileName(path));
  for (const char *runnable : kRunnable)
    if (extension == runnable)
      return true;
  return false;
}

// `text` as a full path below `root`, or empty when it is not one (see the rule).
std::string InRoot(std::string text, const std::string &root, const std::string &base)
{
  while (!text.empty() && (text.front() == ' ' || text.front() == '"' || text.front() == '\t'))
    text.erase(0, 1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '"' || text.back() == '\t'))
    text.pop_back();
  for (const char *drive : kDriveOf)
    if (StartsWithIgnoreCase(text, drive))
    {
      text.erase(0, std::string(drive).size());
      while (!text.empty() && text.front() == '\\')
        text.erase(0, 1);
      text = root + text;
      break;
    }
  while (text.compare(0, 2, ".\\") == 0)
    text.erase(0, 2);
  if (text.empty() || text.size() >= MAX_PATH || text.find_first_of("%*?/<>|\"") != std::string::npos ||
      text.find("..") != std::string::npos)
    return std::string();
  std::string full;
  if (text.size() >= 2 && text[1] == ':')
    full = text.size() >= 3 && text[2] == '\\' ? text : text.substr(0, 2) + "\\" + text.substr(2);
  else if (text[0] == '\\')
    full = root.size() == 3 && root[1] == ':' && text.compare(0, 2, "\\\\") != 0 ? root + text.substr(1) : text;
  else if (!base.empty())
    full = base + text;
  if (full.size() <= root.size() || !StartsWithIgnoreCase(full, root))
    return std::string();
  return full;
}

bool IsHiddenFile(const std::string &path)
{
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         (attributes & kHiddenSystem);
}

// The words of a command line, both as quoted parts and as plain words, so
// that "start x.vbs & explorer Photos" inside quotes gives x.vbs as well.
std::vector<std::string> Words(const std::string &line)
{
  std::vector<std::string> words;
  const std::string separators = " \t&|;,()<>=^";
  std::string word;
  auto flush = [&] {
    if (!word.empty() && words.size() < kTokenLimit)
      words.push_back(word);
    word.clear();
  };
  bool quoted = false;
  for (char c : line)
  {
    if (c == '"')
    {
      flush();
      quoted = !quoted;
    }
    else if (!quoted && separators.find(c) != std::string::npos)
      flush();
    else
      word += c;
  }
  flush();
  for (char c : line)
  {
    if (c == '"' || separators.find(c) != std::string::npos)
      flush();
    else
      word += c;
  }
  flush();
  return words;
}

std::string TargetOf(const TShortcut &link)
{
  if (!link.LocalBasePathUnicode.empty())
    return link.LocalBasePathUnicode + link.CommonPathSuffixUnicode;
  if (!link.LocalBasePath.empty())
    return link.LocalBasePath + link.CommonPathSuffix;
  if (!link.EnvironmentTargetUnicode.empty())
    return link.EnvironmentTargetUnicode;
  if (!link.EnvironmentTarget.empty())
    return link.EnvironmentTarget;
  return link.RelativePath;
}

bool IsSystemName(const std::string &name)
{
  if (name == "." || name == ".." || name.empty() || name[0] == '$')
    return true;
  for (const char *system : kSystemNames)
    if (SameTextIgnoreCase(name, system))
      return true;
  return false;
}

bool Contains(const std::vector<std::string> &paths, const std::string &path)
{
  for (const std::string &p : paths)
    if (SameTextIgnoreCase(p, path))
      return true;
  return false;
}
} // namespace

bool IsWormShortcut(const TShortcut &link, const std::string &root, std::vector<std::string> &payloads)
{
  payloads.clear();
  if (root.empty() || root.back() != '\\')
    return false;
  // Relative paths start where the shortcut starts its target.
  std::string base = root;
  if (!link.WorkingDir.empty())
  {
    std::string folder = link.WorkingDir;
    if (folder.back() != '\\')
      folder += '\\';
    base = SameTextIgnoreCase(folder, root) ? root : InRoot(folder, root, root);
  }
  const std::string target = TargetOf(link);
  const std::string targetInRoot = InRoot(target, root, root);
  const bool host = IsHost(target);
  const bool hiddenRunnable = !targetInRoot.empty() && IsRunnable(targetInRoot) && IsHiddenFile(targetInRoot);
  if (!host && !hiddenRunnable)
    return false;

  if (hiddenRunnable)
    payloads.push_back(targetInRoot);
  for (const std::string &word : Words(link.Arguments))
  {
    if (word[0] == '/' || word[0] == '-')
      continue;
    const std::string path = InRoot(word, root, base);
    if (!path.empty() && IsHiddenFile(path) && !Contains(payloads, path))
      payloads.push_back(path);
  }
  if (payloads.empty())
    return false;
  return true;
}

TWormRepair RepairShortcutWorm(const std::string &root, TQuarantine &quarantine)
{
  TWormRepair repair;
  if (root.empty() || root.back() != '\\')
    return repair;
  CErrorModeScope noCriticalErrorBox;
  std::vector<std::pair<std::string, WIN32_FIND_DATAA>> worms;
  std::vector<std::string> payloads;
  {
    CFindFile find;
    WIN32_FIND_DATAA data;
    size_t looked = 0;
    for (bool found = find.FindFirst((root + "*.lnk").c_str(), data); found && looked < kShortcutLimit;
         found = find.FindNext(data))
    {
      // "*.lnk" matches longer extensions too, through the short names.
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || ExtensionOf(data.cFileName) != ".lnk")
        continue;
      ++looked;
      const std::string path = root + data.cFileName;
      TShortcut link;
      std::vector<std::string> named;
      if (!ReadShortcutFile(path, link) || !IsWormShortcut(link, root, named))
        continue;
      worms.push_back({path, data});
      for (const std::string &file : named)
        if (!Contains(payloads, file))
          payloads.push_back(file);
    }
  }
  if (worms.empty())
    return repair;
  repair.Found = true;

  for (const auto &worm : worms)
  {
    quarantine.Keep(worm.first, &worm.second);
    (DeleteFileForced(worm.first) ? repair.ShortcutsDeleted : repair.NotRepaired).push_back(worm.first);
  }
  for (const std::string &payload : payloads)
  {
    quarantine.Keep(payload);
    (DeleteFileForced(payload) ? repair.FilesDeleted : repair.NotRepaired).push_back(payload);
  }

  CFindFile find;
  WIN32_FIND_DATAA data;
  for (bool found = find.FindFirst((root + "*").c_str(), data); found; found = find.FindNext(data))
  {
    const DWORD before = data.dwFileAttributes;
    const std::string path = root + data.cFileName;
    if ((before & kHiddenSystem) != kHiddenSystem || IsSystemName(data.cFileName) || Contains(payloads, path))
      continue;
    bool worm = false;
    for (const auto &w : worms)
      worm = worm || SameTextIgnoreCase(w.first, path);
    if (worm)
      continue;
    const DWORD settable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED |
                           FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE;
    const DWORD wanted = before & settable;
    const DWORD after = ::SetFileAttributesA(path.c_str(), wanted ? wanted : FILE_ATTRIBUTE_NORMAL)
                            ? ::GetFileAttributesA(path.c_str())
                            : INVALID_FILE_ATTRIBUTES;
    if (after == INVALID_FILE_ATTRIBUTES || (after & kHiddenSystem))
    {
      repair.NotRepaired.push_back(path);
      continue;
    }
    repair.MadeVisible.push_back(path);
    quarantine.NoteAttributes(path, before, after);
  }
  // The order of a listing is the file system's; the report's is the name's.
  for (auto *list : {&repair.ShortcutsDeleted, &repair.FilesDeleted, &repair.MadeVisible, &repair.NotRepaired})
    std::sort(list->begin(), list->end(),
              [](const std::string &a, const std::string &b) { return ::lstrcmpiA(a.c_str(), b.c_str()) < 0; });
  return repair;
}
