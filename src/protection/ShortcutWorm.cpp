#include "ShortcutWorm.h"
#include <windows.h>
#include <algorithm>
#include <cctype>
#include <map>
#include <unordered_map>
#include "../platform/ErrorModeScope.h"
#include "../platform/FileFind.h"
#include "../platform/PathText.h"
#include "../platform/Text.h"
#include "../platform/WideFile.h"

// The rule. A shortcut is the worm's when both hold:
//   1. it runs code: one of its targets has the file name of a command
//      interpreter or script host (kHosts), wherever that lies; or is a
//      script or program file (kRunnable) in this root that is hidden or
//      system, itself or by a folder it lies in;
//   2. it names a hidden or system file in this root: a runnable one as in
//      1, or any other that is hidden or system itself; by a target or by a
//      path in its arguments. A path to a file that its command line renames
//      first (ren x\*.vbss *.vbs, then start x\y.vbs) names the file as it
//      is (x\y.vbss), a runnable one by its new name.
// Its targets are every place the system may start: the environment block's
// (%COMSPEC%, %windir%, %SystemRoot% and %SystemDrive% expanded as the system
// does), the ID list's, LinkInfo's and the relative path.
// Paths in this root are absolute ones below it, ones on another drive
// letter (the letter the drive had where the worm ran), ones relative to it
// (or to the shortcut's working folder when that lies in it), and ones
// beginning with %cd%, %~d0 or %~dp0, which a worm's command line uses for
// "the drive I was started from"; each names only an entry that exists, by
// its exact name. Any other path, one with "..", wildcards or another
// environment variable in it included, is not in this root. A shortcut whose
// header, ID list or LinkInfo cannot be read is not the worm's. So a shortcut
// to a document, to a program elsewhere, or to a visible program on the drive
// is the user's. The hidden folders a worm's shortcut names (explorer X,
// start X, or a target that is the folder) are the user's: they are shown again.

namespace
{
const char *const kHosts[] = {"cmd",      "wscript", "cscript",  "mshta", "powershell",
                              "rundll32", "msiexec", "regsvr32", "pwsh",  "conhost"};
const char *const kRunnable[] = {".vbs", ".vbe", ".js",  ".jse", ".wsf", ".bat", ".cmd", ".exe", ".scr",
                                 ".pif", ".com", ".dll", ".cpl", ".ps1", ".hta", ".jar", ".msi"};
const char *const kDriveOf[] = {"%cd%", "%~dp0", "%~d0"};
const char *const kRename[] = {"ren", "rename"};
// Entries of a root that the system hides itself.
// Autorun.inf: a hidden folder of that name is a vaccine, Mervane's or another
// program's, and stays hidden.
const char *const kSystemNames[] = {"System Volume Information", "$RECYCLE.BIN", "RECYCLER", "RECYCLED",
                                    "desktop.ini", "Autorun.inf"};
const size_t kTokenLimit = 256;
const size_t kShortcutLimit = 1000;
const size_t kListingLimit = 100000;
const DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

std::string Lower(std::string text)
{
  for (char &c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// SameTextIgnoreCase over `count` characters of each, by plain ASCII where
// both are ASCII: every shortcut is compared many times.
bool SameIgnoringCase(const char *a, const char *b, size_t count)
{
  for (size_t i = 0; i < count; ++i)
  {
    const unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 0x80 || y >= 0x80)
      return SameTextIgnoreCase(std::string(a, count), std::string(b, count));
    if (std::tolower(x) != std::tolower(y))
      return false;
  }
  return true;
}

bool SameIgnoringCase(const std::string &a, const std::string &b)
{
  return a.size() == b.size() && SameIgnoringCase(a.data(), b.data(), a.size());
}

bool StartsWithIgnoreCase(const std::string &text, const std::string &start)
{
  return text.size() >= start.size() && SameIgnoringCase(text.data(), start.data(), start.size());
}

bool EndsWithIgnoreCase(const std::string &text, const std::string &end)
{
  return text.size() >= end.size() && SameIgnoringCase(text.data() + text.size() - end.size(), end.data(), end.size());
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

bool IsShortcutName(const std::wstring &name)
{
  return name.size() >= 4 && ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, name.data() + name.size() - 4, 4,
                                             L".lnk", 4) == CSTR_EQUAL;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsDriveRoot(const std::string &root) { return root.size() == 3 && root[1] == ':' && root[2] == '\\'; }

// `text` without its quotes, and without blanks at either end unless they
// are a whole part of the path: a worm names a folder " ".
std::string Trimmed(std::string text)
{
  text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
  size_t first = 0;
  while (first < text.size() && IsBlank(text[first]))
    ++first;
  if (first < text.size() && text[first] != '\\')
    text.erase(0, first);
  size_t last = text.size();
  while (last > 0 && IsBlank(text[last - 1]))
    --last;
  if (last > 0 && text[last - 1] != '\\')
    text.erase(last);
  return text;
}

// `target` with the variables the system sets for itself expanded as it
// does; any other stays as written.
std::string Expanded(std::string target)
{
  if (target.find('%') == std::string::npos)
    return target;
  char windows[MAX_PATH] = "", system[MAX_PATH] = "";
  const UINT windowsSize = ::GetSystemWindowsDirectoryA(windows, MAX_PATH);
  const UINT systemSize = ::GetSystemDirectoryA(system, MAX_PATH);
  if (windowsSize < 2 || windowsSize >= MAX_PATH || systemSize == 0 || systemSize >= MAX_PATH)
    return target;
  const std::pair<std::string, std::string> variables[] = {{"%comspec%", std::string(system) + "\\cmd.exe"},
                                                           {"%windir%", windows},
                                                           {"%systemroot%", windows},
                                                           {"%systemdrive%", std::string(windows, 2)}};
  for (const auto &variable : variables)
    for (size_t at = Lower(target).find(variable.first); at != std::string::npos;
         at = Lower(target).find(variable.first, at + variable.second.size()))
      target.replace(at, variable.first.size(), variable.second);
  return target;
}

// Every place the system may start, each once.
std::vector<std::string> TargetsOf(const TShortcut &link)
{
  std::vector<std::string> targets;
  for (const std::string &target :
       {Expanded(link.EnvironmentTargetUnicode), Expanded(link.EnvironmentTarget), link.IdListPath,
        link.LocalBasePathUnicode + link.CommonPathSuffixUnicode, link.LocalBasePath + link.CommonPathSuffix,
        link.RelativePath})
    if (!target.empty() && std::none_of(targets.begin(), targets.end(), [&](const std::string &known) {
          return SameIgnoringCase(known, target);
        }))
      targets.push_back(target);
  return targets;
}

// `text` as a full path in `root` (the root itself included), or empty when
// it is not one (see the rule).
std::string InRoot(std::string text, const std::string &root, const std::string &base)
{
  text = Trimmed(text);
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
  // A stick seldom keeps its letter: the one it had stands for this root.
  if (IsDriveRoot(root) && text.size() >= 2 && text[1] == ':' && std::isalpha(static_cast<unsigned char>(text[0])))
    text[0] = root[0];
  if (text.empty() || text.size() >= MAX_PATH || text.find_first_of("%*?/<>|\"") != std::string::npos ||
      text.find("..") != std::string::npos || text.find(':', 2) != std::string::npos)
    return std::string();
  std::string full;
  if (text.size() >= 2 && text[1] == ':')
    full = text.size() >= 3 && text[2] == '\\' ? text : text.substr(0, 2) + "\\" + text.substr(2);
  else if (text[0] == '\\')
    full = IsDriveRoot(root) && text.compare(0, 2, "\\\\") != 0 ? root + text.substr(1) : text;
  else if (!base.empty())
    full = base + text;
  if (full.size() < root.size() || !StartsWithIgnoreCase(full, root))
    return std::string();
  return full;
}

// An entry of the root found by its path.
struct TEntry
{
  std::wstring Relative;
  DWORD Attributes = 0;
  bool InHiddenFolder = false; // a folder on its way is hidden or system
};

bool IsHiddenFile(const TEntry &entry)
{
  return !(entry.Attributes & FILE_ATTRIBUTE_DIRECTORY) && (entry.Attributes & kHiddenSystem);
}

std::wstring Upper(const std::wstring &text)
{
  std::wstring upper(text);
  if (!text.empty())
    ::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()), &upper[0],
                   static_cast<int>(upper.size()));
  return upper;
}

// An entry as a listing gives it.
struct TListed
{
  std::wstring Name;
  DWORD Attributes;
  unsigned long long Size;
};

// The folders of a root, each listed once when first looked into, their
// entries looked up by name: looking each name up on the drive lists its
// folder every time.
class TRootEntries
{
public:
  explicit TRootEntries(const std::string &root) : _root(ToWide(root)) {}
  // The entry of `folder` (below the root, empty or ending with a backslash)
  // whose name is exactly `name`, letter case aside; null when none.
  const TListed *Find(const std::wstring &folder, const std::wstring &name)
  {
    const TFolder &listed = Folder(folder);
    const auto candidates = listed.ByName.equal_range(Upper(name));
    for (auto candidate = candidates.first; candidate != candidates.second; ++candidate)
    {
      const TListed &entry = listed.Entries[candidate->second];
      if (::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, entry.Name.data(), static_cast<int>(entry.Name.size()),
                           name.data(), static_cast<int>(name.size())) == CSTR_EQUAL)
        return &entry;
    }
    return nullptr;
  }

  // Every entry of `folder`, "." and ".." left out.
  const std::vector<TListed> &Listing(const std::wstring &folder) { return Folder(folder).Entries; }

private:
  struct TFolder
  {
    std::vector<TListed> Entries;
    std::unordered_multimap<std::wstring, size_t> ByName;
  };
  const TFolder &Folder(const std::wstring &folder)
  {
    auto listed = _folders.find(folder);
    if (listed == _folders.end())
      listed = _folders.emplace(folder, List(folder)).first;
    return listed->second;
  }
  TFolder List(const std::wstring &folder) const
  {
    TFolder listed;
    CWideFind find;
    WIN32_FIND_DATAW data;
    for (bool found = find.FindFirst(LiteralPath(_root + folder + L"*"), data);
         found && listed.Entries.size() < kListingLimit; found = find.FindNext(data))
    {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..")
        continue;
      listed.ByName.emplace(Upper(name), listed.Entries.size());
      listed.Entries.push_back(TListed{name, data.dwFileAttributes,
                                       (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) |
                                           data.nFileSizeLow});
    }
    return listed;
  }
  const std::wstring _root;
  std::map<std::wstring, TFolder> _folders;
};

// `path`, a full path below `root`, as the entry it names on disk: each
// part must be the very name of an entry (a short name, or a name the ANSI
// code page only approximates, names nothing here), and no part a device.
bool ResolveInRoot(std::string path, const std::string &root, TRootEntries &entries, TEntry &entry)
{
  while (path.size() > root.size() + 1 && path.back() == '\\')
    path.pop_back();
  entry = TEntry();
  size_t start = root.size();
  for (;;)
  {
    const size_t end = path.find('\\', start);
    const std::wstring part = ToWide(path.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (part.empty() || IsDeviceName(part))
      return false;
    const TListed *found = entries.Find(entry.Relative, part);
    if (!found)
      return false;
    entry.Relative += found->Name;
    entry.Attributes = found->Attributes;
    if (end == std::string::npos)
      return true;
    if (!(found->Attributes & FILE_ATTRIBUTE_DIRECTORY))
      return false;
    entry.InHiddenFolder = entry.InHiddenFolder || (found->Attributes & kHiddenSystem);
    entry.Relative += L'\\';
    start = end + 1;
  }
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

// The commands of a command line (split at & and |), each as its words.
std::vector<std::vector<std::string>> Commands(const std::string &line)
{
  std::vector<std::vector<std::string>> commands(1);
  std::string word;
  bool quoted = false, inWord = false;
  auto flush = [&] {
    if (inWord && commands.back().size() < kTokenLimit)
      commands.back().push_back(word);
    word.clear();
    inWord = false;
  };
  for (char c : line)
  {
    if (c == '"')
    {
      quoted = !quoted;
      inWord = true;
    }
    else if (!quoted && (c == '&' || c == '|' || c == '\r' || c == '\n'))
    {
      flush();
      if (!commands.back().empty() && commands.size() < kTokenLimit)
        commands.emplace_back();
    }
    else if (!quoted && IsBlank(c))
      flush();
    else
    {
      word += c;
      inWord = true;
    }
  }
  flush();
  return commands;
}

// A renaming on the command line: the files `From` (a name or a pattern) in
// the folder `Folder` (a full path in the root) get the names `To`.
struct TRename
{
  std::string Folder, From, To;
};

std::vector<TRename> Renames(const std::string &line, const std::string &root, const std::string &base)
{
  std::vector<TRename> renames;
  for (const std::vector<std::string> &command : Commands(line))
    for (size_t i = 0; i + 2 < command.size(); ++i)
      if (std::any_of(std::begin(kRename), std::end(kRename),
                      [&](const char *rename) { return SameIgnoringCase(command[i], rename); }) &&
          command[i + 2].find_first_of("\\:") == std::string::npos)
      {
        const std::string from = Trimmed(command[i + 1]);
        const std::string folder = DirectoryPartOf(from);
        const std::string folderInRoot = folder.empty() ? base : InRoot(folder, root, base);
        if (!folderInRoot.empty())
          renames.push_back(TRename{folderInRoot, from.substr(folder.size()), Trimmed(command[i + 2])});
      }
  return renames;
}

// The name a file had before the renaming `from` -> `to` gave it `name`, or
// empty when the renaming gives no file that name. Patterns of one '*' only.
std::string NameBeforeRename(const std::string &name, const std::string &from, const std::string &to)
{
  const auto stars = std::count(from.begin(), from.end(), '*');
  if (stars > 1 || std::count(to.begin(), to.end(), '*') != stars || from.find('?') != std::string::npos ||
      to.find('?') != std::string::npos)
    return std::string();
  const size_t fromStar = from.find('*'), toStar = to.find('*');
  if (toStar == std::string::npos)
    return SameIgnoringCase(name, to) ? from : std::string();
  const std::string before = to.substr(0, toStar), after = to.substr(toStar + 1);
  if (name.size() < before.size() + after.size() || !StartsWithIgnoreCase(name, before) ||
      !EndsWithIgnoreCase(name, after))
    return std::string();
  return from.substr(0, fromStar) + name.substr(before.size(), name.size() - before.size() - after.size()) +
         from.substr(fromStar + 1);
}

bool IsSystemName(const std::string &name)
{
  if (name == "." || name == ".." || name.empty() || name[0] == '$')
    return true;
  for (const char *system : kSystemNames)
    if (SameIgnoringCase(name, system))
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

// What one shortcut names in its root, gathered by the rule.
class TNamer
{
public:
  TNamer(const std::string &root, TRootEntries &entries, std::vector<TNamedFile> &named)
      : _root(root), _entries(entries), _named(named)
  {
  }

  // A runnable file, hidden or system itself or by its folder.
  bool Code(const std::string &path)
  {
    TEntry entry;
    return IsRunnable(path) && ResolveInRoot(path, _root, _entries, entry) && IsHiddenCode(entry) && Add(entry, true);
  }
  // A hidden folder, or a file as the rule names it (directly, or as it is
  // before a renaming on the command line).
  void Name(const std::string &path, const std::vector<TRename> &renames)
  {
    TEntry entry;
    if (ResolveInRoot(path, _root, _entries, entry))
    {
      if (entry.Attributes & FILE_ATTRIBUTE_DIRECTORY)
      {
        if ((entry.Attributes & kHiddenSystem) && !IsSystemName(ExtractFileName(ShownName(entry.Relative))))
          Add(entry, false, true);
      }
      else if (IsRunnable(path) ? IsHiddenCode(entry) : IsHiddenFile(entry))
        Add(entry, IsRunnable(path));
      return;
    }
    if (!IsRunnable(path))
      return;
    const std::string folder = DirectoryPartOf(path);
    for (const TRename &rename : renames)
    {
      const std::string before =
          SameIgnoringCase(folder, rename.Folder) ? NameBeforeRename(ExtractFileName(path), rename.From, rename.To)
                                                    : std::string();
      if (!before.empty() && ResolveInRoot(folder + before, _root, _entries, entry) && IsHiddenCode(entry))
        Add(entry, true);
    }
  }
  // True when a file is named, not only folders.
  bool NamesFile() const
  {
    return std::any_of(_named.begin(), _named.end(), [](const TNamedFile &file) { return !file.Folder; });
  }

private:
  static bool IsHiddenCode(const TEntry &entry)
  {
    return !(entry.Attributes & FILE_ATTRIBUTE_DIRECTORY) && (IsHiddenFile(entry) || entry.InHiddenFolder);
  }
  bool Add(const TEntry &entry, bool code, bool folder = false)
  {
    if (!Contains(_named, entry.Relative))
      _named.push_back(TNamedFile{entry.Relative, _root + ShownName(entry.Relative), code, folder});
    return true;
  }
  const std::string &_root;
  TRootEntries &_entries;
  std::vector<TNamedFile> &_named;
};
} // namespace

namespace
{
bool FindWormTargets(const TShortcut &link, const std::string &root, TRootEntries &entries,
                     std::vector<TNamedFile> &named)
{
  named.clear();
  // Relative paths start where the shortcut starts its target.
  std::string base = root;
  if (!link.WorkingDir.empty())
  {
    std::string folder = link.WorkingDir;
    if (folder.back() != '\\')
      folder += '\\';
    base = InRoot(folder, root, root);
  }
  TNamer namer(root, entries, named);
  bool runsCode = false;
  std::vector<std::string> targetsInRoot;
  for (const std::string &target : TargetsOf(link))
  {
    runsCode = IsHost(target) || runsCode;
    const std::string path = InRoot(target, root, root);
    if (!path.empty())
    {
      targetsInRoot.push_back(path);
      runsCode = namer.Code(path) || runsCode;
    }
  }
  if (!runsCode)
    return false;
  const std::vector<TRename> renames = Renames(link.Arguments, root, base);
  for (const std::string &path : targetsInRoot)
    namer.Name(path, renames);
  for (const std::string &word : Words(link.Arguments))
  {
    if (word[0] == '/' || word[0] == '-')
      continue;
    const std::string path = InRoot(word, root, base);
    if (!path.empty())
      namer.Name(path, renames);
  }
  if (!namer.NamesFile())
  {
    named.clear();
    return false;
  }
  return true;
}

// A shortcut is only read here: whatever is done to it, or to what it names,
// goes through TDriveFile's checks. The listing said it is no folder and no
// link, and its name no device; the handle says it is a file on a disk.
bool ReadShortcut(const std::wstring &path, std::vector<char> &buffer, TShortcut &link)
{
  CWideFile file;
  if (!file.Open(LiteralPath(path), false, true) || file.Type() != FILE_TYPE_DISK)
    return false;
  // One byte more than the limit is asked for, so that a larger file is refused.
  buffer.resize(ShortcutSizeLimit + 1);
  size_t got = 0;
  for (DWORD read = 0; got < buffer.size(); got += read)
    if (!::ReadFile(file.Get(), buffer.data() + got, static_cast<DWORD>(buffer.size() - got), &read, nullptr))
      return false;
    else if (read == 0)
      break;
  return got <= ShortcutSizeLimit &&
         ParseShortcut(reinterpret_cast<const unsigned char *>(buffer.data()), got, link);
}
} // namespace

bool FindWormTargets(const TShortcut &link, const std::string &root, std::vector<TNamedFile> &named)
{
  named.clear();
  if (root.empty() || root.back() != '\\')
    return false;
  TRootEntries entries(root);
  return FindWormTargets(link, root, entries, named);
}

TWormRepair RepairShortcutWorm(const std::string &root, TQuarantine &quarantine)
{
  TWormRepair repair;
  if (root.empty() || root.back() != '\\')
    return repair;
  CErrorModeScope noCriticalErrorBox;
  std::vector<std::wstring> worms;
  std::vector<TNamedFile> named;
  // The root is listed once: for its shortcuts, and for the names they give.
  TRootEntries rootEntries(root);
  const std::wstring wideRoot = ToWide(root);
  std::vector<char> buffer;
  size_t shortcuts = 0;
  for (const TListed &entry : rootEntries.Listing(L""))
  {
    // A device's name never reaches an open: COM1.lnk would open the port.
    if ((entry.Attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
        !IsShortcutName(entry.Name) || IsDeviceName(entry.Name) || ++shortcuts > kShortcutLimit ||
        entry.Size > ShortcutSizeLimit)
      continue;
    TShortcut link;
    std::vector<TNamedFile> files;
    if (!ReadShortcut(wideRoot + entry.Name, buffer, link) || !FindWormTargets(link, root, rootEntries, files))
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
    if (!file.Open(root, target.Relative, target.Folder))
      Leave(repair, file.Shown(), file.Why());
    else if (target.Code)
      KeepAndDelete(file, quarantine, repair.FilesDeleted, repair);
    else
      MakeVisible(file, quarantine, repair);
  }

  std::vector<TDriveEntry> entries;
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
