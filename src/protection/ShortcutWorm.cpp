#include "ShortcutWorm.h"
#include <windows.h>
#include <algorithm>
#include <cctype>
#include "../platform/ErrorModeScope.h"
#include "../platform/FileFind.h"
#include "../platform/PathText.h"
#include "../platform/Text.h"
#include "../platform/WideFile.h"

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
const char *const kRunnable[] = {".vbs", ".vbe", ".js",  ".jse", ".wsf", ".bat", ".cmd", ".exe", ".scr",
                                 ".pif", ".com", ".dll", ".cpl", ".ps1", ".hta", ".jar", ".msi"};
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
      text.find("..") != std::string::npos || text.find(':', 2) != std::string::npos)
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

// `path`, a full path below `root`, as the entry it names on disk: each
// part must be the very name of an entry (a short name, or a name the ANSI
// code page only approximates, names nothing here), and no part a device.
bool ResolveInRoot(const std::string &path, const std::string &root, std::wstring &relative, DWORD &attributes)
{
  const std::wstring wideRoot = ToWide(root);
  relative.clear();
  size_t start = root.size();
  for (;;)
  {
    const size_t end = path.find('\\', start);
    const std::wstring part = ToWide(path.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (part.empty() || IsDeviceName(part))
      return false;
    WIN32_FIND_DATAW data;
    CWideFind find;
    if (!find.FindFirst(LiteralPath(wideRoot + relative + part), data) ||
        ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, data.cFileName, -1, part.c_str(), -1) != CSTR_EQUAL)
      return false;
    relative += data.cFileName;
    attributes = data.dwFileAttributes;
    if (end == std::string::npos)
      return true;
    relative += L'\\';
    start = end + 1;
  }
}

bool IsHiddenFile(DWORD attributes)
{
  return !(attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & kHiddenSystem);
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

bool Contains(const std::vector<TNamedFile> &files, const std::wstring &relative)
{
  for (const TNamedFile &file : files)
    if (::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, file.Relative.c_str(), -1, relative.c_str(), -1) ==
        CSTR_EQUAL)
      return true;
  return false;
}

// The part of the repair that leaves a file where it was, and why.
void Leave(TWormRepair &repair, const std::string &path, const std::string &why)
{
  repair.NotRepaired.push_back(path + " (" + why + ")");
}

// Keeps a copy of the worm's file and deletes it; a file that cannot be kept stays.
void KeepAndDelete(TDriveFile &file, TQuarantine &quarantine, std::vector<std::string> &deleted,
                   TWormRepair &repair)
{
  if (!quarantine.Keep(file, false))
    Leave(repair, file.Shown(), quarantine.WhyNotKept());
  else if (file.Delete())
    deleted.push_back(file.Shown());
  else
    Leave(repair, file.Shown(), "cannot be deleted");
}

// Clears hidden and system, keeping the attributes a user may have set.
void MakeVisible(TDriveFile &file, TQuarantine &quarantine, TWormRepair &repair)
{
  const DWORD before = file.Info().dwFileAttributes;
  const DWORD settable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED |
                         FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE;
  if (!file.SetAttributes(before & settable))
  {
    Leave(repair, file.Shown(), "cannot be made visible");
    return;
  }
  repair.MadeVisible.push_back(file.Shown());
  quarantine.NoteAttributes(file.Shown(), before, file.Info().dwFileAttributes);
}
} // namespace

bool FindWormTargets(const TShortcut &link, const std::string &root, std::vector<TNamedFile> &named)
{
  named.clear();
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
  TNamedFile file;
  DWORD attributes = 0;
  const bool host = IsHost(target);
  const bool hiddenRunnable = !targetInRoot.empty() && IsRunnable(targetInRoot) &&
                              ResolveInRoot(targetInRoot, root, file.Relative, attributes) && IsHiddenFile(attributes);
  if (!host && !hiddenRunnable)
    return false;

  if (hiddenRunnable)
  {
    file.Path = root + ShownName(file.Relative);
    named.push_back(file);
  }
  for (const std::string &word : Words(link.Arguments))
  {
    if (word[0] == '/' || word[0] == '-')
      continue;
    const std::string path = InRoot(word, root, base);
    if (!path.empty() && ResolveInRoot(path, root, file.Relative, attributes) && IsHiddenFile(attributes) &&
        !Contains(named, file.Relative))
    {
      file.Path = root + ShownName(file.Relative);
      named.push_back(file);
    }
  }
  return !named.empty();
}

bool IsWormShortcut(const TShortcut &link, const std::string &root, std::vector<std::string> &named)
{
  std::vector<TNamedFile> files;
  const bool worm = FindWormTargets(link, root, files);
  named.clear();
  for (const TNamedFile &file : files)
    named.push_back(file.Path);
  return worm;
}

static bool IsWormCode(const std::wstring &relative) { return IsRunnable(ToAnsi(relative)); }

TWormRepair RepairShortcutWorm(const std::string &root, TQuarantine &quarantine)
{
  TWormRepair repair;
  if (root.empty() || root.back() != '\\')
    return repair;
  CErrorModeScope noCriticalErrorBox;
  std::vector<std::wstring> worms;
  std::vector<TNamedFile> named;
  std::vector<TDriveEntry> entries;
  ListDriveEntries(root, L"*.lnk", entries, kShortcutLimit);
  for (const TDriveEntry &entry : entries)
  {
    // "*.lnk" matches longer extensions too, through the short names. A
    // device's name never reaches an open: COM1.lnk would open the port.
    if ((entry.Attributes & FILE_ATTRIBUTE_DIRECTORY) || ExtensionOf(entry.Shown) != ".lnk" ||
        IsDeviceName(entry.Name))
      continue;
    TDriveFile file;
    std::vector<char> bytes;
    TShortcut link;
    std::vector<TNamedFile> files;
    if (!file.Open(root, entry.Name) || file.Size() > ShortcutSizeLimit || !file.ReadAll(bytes, ShortcutSizeLimit) ||
        !ParseShortcut(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), link) ||
        !FindWormTargets(link, root, files))
      continue;
    worms.push_back(entry.Name);
    for (const TNamedFile &f : files)
      if (!Contains(named, f.Relative))
        named.push_back(f);
  }
  if (worms.empty())
    return repair;
  repair.Found = true;

  // Only the worm's own code goes, and only with a copy kept; a document it
  // names is the user's, hidden by it, and is shown again.
  for (const std::wstring &worm : worms)
  {
    TDriveFile file;
    if (file.Open(root, worm))
      KeepAndDelete(file, quarantine, repair.ShortcutsDeleted, repair);
    else
      Leave(repair, file.Shown(), file.Why());
  }
  for (const TNamedFile &target : named)
  {
    TDriveFile file;
    if (!file.Open(root, target.Relative))
      Leave(repair, file.Shown(), file.Why());
    else if (IsWormCode(target.Relative))
      KeepAndDelete(file, quarantine, repair.FilesDeleted, repair);
    else
      MakeVisible(file, quarantine, repair);
  }

  entries.clear();
  ListDriveEntries(root, L"*", entries);
  for (const TDriveEntry &entry : entries)
  {
    if ((entry.Attributes & kHiddenSystem) != kHiddenSystem || IsSystemName(entry.Shown) ||
        IsDeviceName(entry.Name) || Contains(named, entry.Name))
      continue;
    bool worm = false;
    for (const std::wstring &w : worms)
      worm = worm || w == entry.Name;
    if (worm)
      continue;
    TDriveFile file;
    if (file.Open(root, entry.Name, true))
      MakeVisible(file, quarantine, repair);
    else
      Leave(repair, file.Shown(), file.Why());
  }
  // The order of a listing is the file system's; the report's is the name's.
  for (auto *list : {&repair.ShortcutsDeleted, &repair.FilesDeleted, &repair.MadeVisible, &repair.NotRepaired})
    std::sort(list->begin(), list->end(),
              [](const std::string &a, const std::string &b) { return ::lstrcmpiA(a.c_str(), b.c_str()) < 0; });
  return repair;
}
