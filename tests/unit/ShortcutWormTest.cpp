#include <gtest/gtest.h>
#include "ProtectionTestSupport.h"
#include "ShortcutWriter.h"
#include "protection/ShortcutWorm.h"

using namespace testsupport;

namespace
{
const DWORD kHidden = FILE_ATTRIBUTE_HIDDEN;
const DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// The removable drive E: as a stick that a worm met, with the user's files.
void MakeStick()
{
  ASSERT_TRUE(::CreateDirectoryA("E:\\Photos", nullptr));
  ASSERT_TRUE(::SetFileAttributesA("E:\\Photos", kHiddenSystem));
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
  const struct
  {
    const char *What;
    std::string Bytes;
    std::vector<std::string> Payloads; // empty: not the worm's
  } cases[] = {
      {"cmd starting a hidden script, named like the hidden folder",
       MakeShortcut(cmd, "/c start x.vbs&start explorer Photos&exit"), {"E:\\x.vbs"}},
      {"cmd with the drive as %~d0 inside quotes",
       MakeShortcut(cmd, "/c \"start %~d0\\x.vbs & explorer \"%cd%Photos\"\""), {"E:\\x.vbs"}},
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
      {"cmd in a working folder off the drive", MakeShortcut(cmd, "/c start x.vbs", "C:\\Windows"), {}},
      {"the hidden folder itself", MakeShortcut("E:\\Photos"), {}},
      {"not a whole shortcut", MakeShortcut(cmd, "/c start x.vbs").substr(0, 120), {}},
  };
  for (const auto &c : cases)
  {
    SCOPED_TRACE(c.What);
    TShortcut link;
    std::vector<std::string> payloads{"left over"};
    const bool parsed = ParseShortcut(reinterpret_cast<const unsigned char *>(c.Bytes.data()), c.Bytes.size(), link);
    EXPECT_EQ(parsed && IsWormShortcut(link, "E:\\", payloads), !c.Payloads.empty());
    if (parsed)
      EXPECT_EQ(payloads, c.Payloads);
  }
  // The same shortcut is the user's on another drive.
  TShortcut link;
  const std::string bytes = MakeShortcut(cmd, "/c start x.vbs");
  ASSERT_TRUE(ParseShortcut(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), link));
  std::vector<std::string> payloads;
  EXPECT_FALSE(IsWormShortcut(link, "I:\\", payloads));
  ::SetFileAttributesA("E:\\Photos", 0);
  ::RemoveDirectoryA("E:\\Photos");
  EmptyFolder("E:\\");
}
