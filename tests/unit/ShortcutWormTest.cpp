#include <gtest/gtest.h>
#include <functional>
#include "ProtectionTestSupport.h"
#include "ShortcutWriter.h"
#include "app/InspectionReport.h"
#include "platform/Text.h"
#include "platform/WideFile.h"
#include "protection/DriveInspection.h"
#include "protection/ShortcutWorm.h"
#include "settings/Settings.h"

using namespace testsupport;

namespace
{
const DWORD kHidden = FILE_ATTRIBUTE_HIDDEN;
const DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Folders of the stick, by their names on disk: hidden ones with odd names,
// the worm's own x, the user's _ that also holds the worm's program, and the
// user's visible Apps.
const wchar_t *const kStickFolders[] = {L"E:\\ ", L"E:\\\xA0", L"E:\\.cfg", L"E:\\x", L"E:\\_", L"E:\\Apps"};

void RemoveStickFolders()
{
  for (const wchar_t *folder : kStickFolders)
  {
    ::SetFileAttributesW(LiteralPath(folder).c_str(), 0);
    EmptyFolder(ToAnsi(folder) + "\\");
    ::RemoveDirectoryW(LiteralPath(folder).c_str());
  }
}

// The removable drive E: as a stick that a worm met, with the user's files.
void MakeStick()
{
  ASSERT_TRUE(::CreateDirectoryA("E:\\Photos", nullptr));
  ASSERT_TRUE(::SetFileAttributesA("E:\\Photos", kHiddenSystem));
  for (const wchar_t *folder : kStickFolders)
    ASSERT_TRUE(::CreateDirectoryW(LiteralPath(folder).c_str(), nullptr)) << ToAnsi(folder);
  for (const wchar_t *folder : {L"E:\\ ", L"E:\\\xA0", L"E:\\.cfg", L"E:\\x", L"E:\\_"})
    ASSERT_TRUE(::SetFileAttributesW(LiteralPath(folder).c_str(), kHidden));
  ASSERT_TRUE(WriteBytes("E:\\x\\y.vbss", "WScript"));
  ASSERT_TRUE(WriteBytes("E:\\_\\DeviceManager.exe", "MZ"));
  ASSERT_TRUE(WriteBytes("E:\\_\\thesis.doc", "thesis"));
  ASSERT_TRUE(WriteBytes("E:\\Apps\\app.exe", "MZ"));
  ASSERT_TRUE(WriteBytes("E:\\Apps\\list.txt", "list"));
  ASSERT_TRUE(WriteBytes("E:\\x.vbs", "CreateObject(\"WScript.Shell\")", kHidden));
  ASSERT_TRUE(WriteBytes("E:\\~$W.dll", "MZ", kHiddenSystem));
  ASSERT_TRUE(WriteBytes("E:\\run.exe", "MZ", kHidden));
  ASSERT_TRUE(WriteBytes("E:\\x.ps1", "iex", kHiddenSystem));
  ASSERT_TRUE(WriteBytes("E:\\Tool.exe", "MZ"));
  ASSERT_TRUE(WriteBytes("E:\\backup.bat", "xcopy"));
  ASSERT_TRUE(WriteBytes("E:\\notes.txt", "notes"));
}

std::string OnlyEnvironmentTarget(const std::string &target, const std::string &arguments)
{
  TLinkSpec spec;
  spec.HasLinkInfo = false;
  spec.HasEnvironment = true;
  spec.EnvironmentTarget = target;
  spec.Arguments = arguments;
  spec.Strings = LinkFlag::HasArguments;
  return MakeShortcut(spec);
}

std::string OnlyIdList(const std::string &target, const std::string &arguments = "",
                       const std::string &workingDir = "")
{
  TLinkSpec spec;
  spec.HasLinkInfo = false;
  spec.HasIdList = true;
  spec.IdList = IdListOf(target);
  spec.Arguments = arguments;
  spec.WorkingDir = workingDir;
  spec.Strings = (arguments.empty() ? 0 : LinkFlag::HasArguments) | (workingDir.empty() ? 0 : LinkFlag::HasWorkingDir);
  return MakeShortcut(spec);
}

// A shortcut to `target` with a shape of the wild: the working folder padded,
// the arguments' count past the end, or bytes after the terminal block.
std::string Shaped(const std::string &target, const std::string &arguments, const std::function<void(TLinkSpec &)> &shape)
{
  TLinkSpec spec;
  spec.LocalBasePath = target;
  spec.Arguments = arguments;
  spec.WorkingDir = "E:\\";
  spec.Strings = LinkFlag::HasWorkingDir | (arguments.empty() ? 0 : LinkFlag::HasArguments);
  shape(spec);
  return MakeShortcut(spec);
}

std::string OnlyRelativePath(const std::string &relative)
{
  TLinkSpec spec;
  spec.HasLinkInfo = false;
  spec.Unicode = false;
  spec.RelativePath = relative;
  spec.Strings = LinkFlag::HasRelativePath;
  return MakeShortcut(spec);
}
}

TEST(ShortcutWorm, RuleOverWormShapesAndTheUsersOwnShortcuts)
{
  MakeStick();
  const std::string cmd = "C:\\Windows\\system32\\cmd.exe";
  const std::string powershell = "%SystemRoot%\\System32\\WindowsPowerShell\\v1.0\\powershell.exe";
  const auto padded = [](TLinkSpec &spec) { spec.WorkingDirPadding = 300; };
  const auto overrun = [](TLinkSpec &spec) { spec.LastStringOverrun = 500; };
  const auto trailing = [](TLinkSpec &spec) { spec.Trailing = std::string(700, '\x5A'); };
  const struct
  {
    const char *What;
    std::string Bytes;
    std::vector<std::string> Payloads; // empty: not the worm's
  } cases[] = {
      {"cmd starting a hidden script, named like the hidden folder",
       MakeShortcut(cmd, "/c start x.vbs&start explorer Photos&exit"), {"E:\\x.vbs", "E:\\Photos"}},
      {"cmd with the drive as %~d0 inside quotes",
       MakeShortcut(cmd, "/c \"start %~d0\\x.vbs & explorer \"%cd%Photos\"\""), {"E:\\Photos", "E:\\x.vbs"}},
      {"cmd in the ID list only, renaming its script in its hidden folder and opening the user's",
       OnlyIdList(cmd, "/c ren x\\*.vbss *.vbs &start \\x\\y.vbs&start explorer \xA0&exit"),
       {"E:\\x\\y.vbss", "E:\\\xA0"}},
      {"the letter the stick had as working folder, the worm's program in the user's hidden folder",
       MakeShortcut(cmd, "/c start _ & _\\DeviceManager.exe & exit", "B:\\"),
       {"E:\\_", "E:\\_\\DeviceManager.exe"}},
      {"a hidden program by the letter the stick had", OnlyIdList("B:\\run.exe"), {"E:\\run.exe"}},
      {"%COMSPEC% in the environment block", OnlyEnvironmentTarget("%COMSPEC%", "/c start x.vbs"), {"E:\\x.vbs"}},
      {"%systemdrive% in the environment block, a folder with a blank name",
       OnlyEnvironmentTarget("%systemdrive%\\Windows\\System32\\WScript.exe", "\" \" x.vbs"),
       {"E:\\ ", "E:\\x.vbs"}},
      {"a padded working folder, a folder with a leading dot",
       Shaped(cmd, "/c start x.vbs&start explorer .cfg", padded), {"E:\\x.vbs", "E:\\.cfg"}},
      {"arguments whose count runs past the data", Shaped(cmd, "/c start x.vbs", overrun), {"E:\\x.vbs"}},
      {"bytes after the terminal block", Shaped(cmd, "/c start x.vbs", trailing), {"E:\\x.vbs"}},
      {"rundll32 of a hidden DLL", MakeShortcut("C:\\Windows\\System32\\rundll32.exe", "~$W.dll,ShowFolder"),
       {"E:\\~$W.dll"}},
      {"a hidden program on the drive", MakeShortcut("E:\\run.exe"), {"E:\\run.exe"}},
      {"a hidden program, relative path only", OnlyRelativePath(".\\run.exe"), {"E:\\run.exe"}},
      {"powershell from the environment block, two payloads",
       OnlyEnvironmentTarget("%windir%\\System32\\WindowsPowerShell\\v1.0\\powershell.exe",
                             "-w hidden -File E:\\x.ps1 -Arg \"E:\\run.exe\""),
       {"E:\\x.ps1", "E:\\run.exe"}},
      {"wscript in the working folder", MakeShortcut("C:\\Windows\\System32\\WScript.exe", "//B x.vbs", "E:\\"),
       {"E:\\x.vbs"}},
      {"the user's document", MakeShortcut("E:\\notes.txt"), {}},
      {"the user's program elsewhere, opening a file on the stick",
       MakeShortcut("C:\\Program Files\\Editor\\edit.exe", "E:\\notes.txt"), {}},
      {"the user's visible program on the stick", MakeShortcut("E:\\Tool.exe", "x.vbs"), {}},
      {"cmd running the user's visible batch file", MakeShortcut(cmd, "/c backup.bat"), {}},
      {"a plain command prompt", MakeShortcut(cmd, "", "E:\\"), {}},
      {"cmd naming a hidden file through another folder", MakeShortcut(cmd, "/c start ..\\x.vbs"), {}},
      {"cmd naming it through a variable", MakeShortcut(cmd, "/c start %TEMP%\\x.vbs"), {}},
      {"cmd naming it through a stream", MakeShortcut(cmd, "/c start x.vbs::$DATA"), {}},
      {"cmd naming it by its short name", MakeShortcut(cmd, "/c start ~$W~1.DLL"), {}},
      {"cmd in a working folder off the drive", MakeShortcut(cmd, "/c start x.vbs", "C:\\Windows"), {}},
      {"the hidden folder itself", MakeShortcut("E:\\Photos"), {}},
      {"ID list: the user's program with arguments", OnlyIdList("C:\\Program Files\\Editor\\edit.exe", "E:\\notes.txt"),
       {}},
      {"ID list: the user's document", OnlyIdList("E:\\notes.txt"), {}},
      {"ID list: the user's visible program in a folder of the stick", OnlyIdList("E:\\Apps\\app.exe", "list.txt"), {}},
      {"the same by the letter the stick had", OnlyIdList("B:\\Apps\\app.exe", "", "B:\\Apps"), {}},
      {"cmd from the letter the stick had, the user's visible batch file", MakeShortcut(cmd, "/c backup.bat", "B:\\"),
       {}},
      {"%COMSPEC% naming no hidden file", OnlyEnvironmentTarget("%COMSPEC%", "/k cd \\Apps & dir _"), {}},
      {"PowerShell naming no hidden file", OnlyEnvironmentTarget(powershell, "-NoExit -Command Get-ChildItem E:\\"), {}},
      {"cmd opening the user's hidden folder only", MakeShortcut(cmd, "/c start explorer Photos"), {}},
      {"cmd renaming the user's visible files", MakeShortcut(cmd, "/c ren Apps\\*.txt *.bat&start Apps\\list.bat"), {}},
      {"a hidden program through another variable", OnlyEnvironmentTarget("%TEMP%\\run.exe", ""), {}},
      {"a padded working folder, the user's program", Shaped("E:\\Tool.exe", "notes.txt", padded), {}},
      {"arguments past the data, the user's program", Shaped("E:\\Tool.exe", "notes.txt", overrun), {}},
      {"bytes after the terminal block, the user's document", Shaped("E:\\notes.txt", "", trailing), {}},
      {"not a whole shortcut", MakeShortcut(cmd, "/c start x.vbs").substr(0, 120), {}},
  };
  for (const auto &c : cases)
  {
    SCOPED_TRACE(c.What);
    TShortcut link;
    std::vector<TNamedFile> named{TNamedFile{L"left over", "left over"}};
    const bool parsed = ParseShortcut(reinterpret_cast<const unsigned char *>(c.Bytes.data()), c.Bytes.size(), link);
    EXPECT_EQ(parsed && FindWormTargets(link, "E:\\", named), !c.Payloads.empty());
    if (parsed)
    {
      std::vector<std::string> paths;
      for (const TNamedFile &file : named)
        paths.push_back(file.Path);
      EXPECT_EQ(paths, c.Payloads);
    }
  }
  // The same shortcut is the user's on another drive.
  TShortcut link;
  const std::string bytes = MakeShortcut(cmd, "/c start x.vbs");
  ASSERT_TRUE(ParseShortcut(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), link));
  std::vector<TNamedFile> named;
  EXPECT_FALSE(FindWormTargets(link, "I:\\", named));
  ::SetFileAttributesA("E:\\Photos", 0);
  ::RemoveDirectoryA("E:\\Photos");
  RemoveStickFolders();
  EmptyFolder("E:\\");
}

namespace
{
const std::string kQuarantine = "C:\\tests\\WormQuarantine\\";

class ShortcutWormRepair : public ::testing::Test
{
protected:
  void SetUp() override { ResetDefaults(settings); }
  void TearDown() override
  {
    for (const char *folder : {"E:\\Photos", "E:\\$RECYCLE.BIN", "I:\\Photos"})
    {
      ::SetFileAttributesA(folder, 0);
      EmptyFolder(std::string(folder) + "\\");
      ::RemoveDirectoryA(folder);
    }
    EmptyFolder("E:\\");
    EmptyFolder("I:\\");
    CFindFile find;
    WIN32_FIND_DATAA data;
    for (bool found = find.FindFirst((kQuarantine + "20*").c_str(), data); found; found = find.FindNext(data))
      EmptyFolder(kQuarantine + data.cFileName + "\\");
    EmptyFolder(kQuarantine);
    ::RemoveDirectoryA(kQuarantine.c_str());
  }
  // The one sub-folder the inspection made, with a backslash.
  static std::string Kept()
  {
    CFindFile find;
    WIN32_FIND_DATAA data;
    return find.FindFirst((kQuarantine + "20*").c_str(), data) ? kQuarantine + data.cFileName + "\\" : "";
  }
  TSettings settings;
};

// A worm's stick: the folder hidden, a script and a DLL hidden beside it,
// shortcuts in their place, and what the user and the system have there too.
void MakeInfected(const std::string &root)
{
  ASSERT_TRUE(::CreateDirectoryA((root + "Photos").c_str(), nullptr));
  ASSERT_TRUE(WriteBytes(root + "Photos\\a.jpg", "JFIF"));
  ASSERT_TRUE(::SetFileAttributesA((root + "Photos").c_str(), kHiddenSystem));
  ASSERT_TRUE(WriteBytes(root + "report.doc", "doc", kHiddenSystem | FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(WriteBytes(root + "only hidden.txt", "h", kHidden));
  ASSERT_TRUE(WriteBytes(root + "desktop.ini", "[.ShellClassInfo]", kHiddenSystem));
  ASSERT_TRUE(::CreateDirectoryA((root + "$RECYCLE.BIN").c_str(), nullptr));
  ASSERT_TRUE(::SetFileAttributesA((root + "$RECYCLE.BIN").c_str(), kHiddenSystem));
  ASSERT_TRUE(WriteBytes(root + "x.vbs", "CreateObject", kHiddenSystem));
  ASSERT_TRUE(WriteBytes(root + "~$W.dll", "MZ", kHidden));
  ASSERT_TRUE(WriteBytes(root + "notes.txt", "notes"));
  ASSERT_TRUE(WriteBytes(root + "Photos.lnk",
                         MakeShortcut("C:\\Windows\\system32\\cmd.exe", "/c start x.vbs&start explorer Photos&exit")));
  ASSERT_TRUE(WriteBytes(root + "USB.lnk", MakeShortcut("C:\\Windows\\system32\\rundll32.exe", "~$W.dll,Show")));
  ASSERT_TRUE(WriteBytes(root + "notes.lnk", MakeShortcut(root + "notes.txt")));
}

DWORD Attributes(const std::string &path) { return ::GetFileAttributesA(path.c_str()) & ~FILE_ATTRIBUTE_ARCHIVE; }
}

// One warning with every step; copies and Origin.txt lines to undo each one;
// a payload that is held open is said to be left, and why.
TEST_F(ShortcutWormRepair, InfectedStickIsRepairedAndSaidInOneReport)
{
  MakeInfected("E:\\");
  const std::string lnk = ReadBytes("E:\\Photos.lnk");
  CFile held;
  ASSERT_TRUE(held.Open("E:\\x.vbs", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
  BoxWatcher watcher;
  ReportInspection(InspectDrive("E:\\", settings, kQuarantine), nullptr);
  const std::vector<std::string> boxes = watcher.Stop();
  held.Close();

  const std::string report = FormatText(LoadMessage(IDS_WORM_FOUND), {"E:\\"}) +
                             "\r\n\r\nThe worm's shortcuts were deleted:\r\nE:\\Photos.lnk\r\nE:\\USB.lnk"
                             "\r\n\r\nThe hidden files they start were deleted:\r\nE:\\~$W.dll"
                             "\r\n\r\nHidden files and folders were made visible again:\r\nE:\\Photos\r\n"
                             "E:\\report.doc\r\n\r\nCannot repair all shortcut-worm damage. DANGER!!!\r\n"
                             "E:\\x.vbs (cannot be deleted)";
  EXPECT_EQ(boxes, std::vector<std::string>{report});
  for (const char *gone : {"E:\\Photos.lnk", "E:\\USB.lnk", "E:\\~$W.dll"})
    EXPECT_FALSE(PathExists(gone)) << gone;
  EXPECT_EQ(Attributes("E:\\Photos"), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(ReadBytes("E:\\Photos\\a.jpg"), "JFIF");
  EXPECT_EQ(Attributes("E:\\report.doc"), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(Attributes("E:\\only hidden.txt"), kHidden);
  EXPECT_EQ(Attributes("E:\\desktop.ini"), kHiddenSystem);
  EXPECT_EQ(Attributes("E:\\$RECYCLE.BIN"), kHiddenSystem | FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(PathExists("E:\\x.vbs"));
  EXPECT_TRUE(PathExists("E:\\notes.lnk"));

  const std::string kept = Kept();
  EXPECT_EQ(ReadBytes(kept + "Photos.lnk.quarantined"), lnk);
  EXPECT_EQ(ReadBytes(kept + "~$W.dll.quarantined"), "MZ");
  EXPECT_EQ(ReadBytes(kept + "x.vbs.quarantined"), "CreateObject");
  const std::string origin = ReadBytes(kept + "Origin.txt");
  for (const std::string &line :
       {"E:\\Photos.lnk\t" + std::to_string(lnk.size()) + "\tA\tPhotos.lnk.quarantined\r\n",
        std::string("E:\\~$W.dll\t2\tHA\t~$W.dll.quarantined\r\n"), std::string("E:\\Photos\tfolder\tHS\tmade visible: -\r\n"),
        std::string("E:\\report.doc\tfile\tRHSA\tmade visible: RA\r\n")})
    EXPECT_NE(origin.find(line), std::string::npos) << line << origin;
}

// Autorun.inf and worm damage make one report; a kind with the switch off is
// left as it is.
TEST_F(ShortcutWormRepair, JoinsTheAutorunReportAndTheSwitchOffChangesNothing)
{
  MakeInfected("E:\\");
  ASSERT_TRUE(WriteBytes("E:\\Autorun.inf", "[autorun]"));
  settings.Flags[dkRemovable] = BehaviourFlags{false, true, true, false, true};
  const TInspectionResult result = InspectDrive("E:\\", settings);
  EXPECT_TRUE(result.InformUser);
  EXPECT_EQ(result.Report.find(FormatText(LoadMessage(IDS_AUTORUN_FOUND), {"E:\\"}) +
                               "\r\n\r\nE:\\Autorun.inf file was deleted\r\n\r\nThe worm's shortcuts were deleted:"),
            0u);

  MakeInfected("I:\\");
  EXPECT_EQ(InspectDrive("I:\\", settings).Report, "");
  EXPECT_EQ(Attributes("I:\\Photos"), kHiddenSystem | FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(PathExists("I:\\Photos.lnk"));
  EXPECT_TRUE(PathExists("I:\\x.vbs"));
}
