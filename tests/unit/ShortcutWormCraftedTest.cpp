// Sticks made by an attacker: every shape here once made the inspection
// delete, unhide or write what is not the worm's.
#include <gtest/gtest.h>
#include <thread>
#include "ProtectionTestSupport.h"
#include "ShortcutWriter.h"
#include "platform/Text.h"
#include "platform/WideFile.h"
#include "protection/DriveInspection.h"
#include "protection/Quarantine.h"
#include "settings/Settings.h"

using namespace testsupport;

namespace
{
const DWORD kHidden = FILE_ATTRIBUTE_HIDDEN;
const std::string kQuarantine = "C:\\tests\\CraftedQuarantine\\";
const std::string kCmd = "C:\\Windows\\system32\\cmd.exe";

bool WriteWide(const std::wstring &path, const std::string &bytes, DWORD attributes = 0)
{
  CHandle file(::CreateFileW(LiteralPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  return file.IsValid() && ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         file.Close() && (!attributes || ::SetFileAttributesW(LiteralPath(path).c_str(), attributes));
}
bool ExistsWide(const std::wstring &path)
{
  return ::GetFileAttributesW(LiteralPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}
DWORD Attributes(const std::string &path) { return ::GetFileAttributesA(path.c_str()) & ~FILE_ATTRIBUTE_ARCHIVE; }

// Every file below `folder` (with a backslash), wide names and all, as "name=bytes" lines.
std::string Tree(const std::wstring &folder)
{
  std::string tree;
  CWideFind find;
  WIN32_FIND_DATAW data;
  for (bool found = find.FindFirst(LiteralPath(folder + L"*"), data); found; found = find.FindNext(data))
  {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..")
      continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      tree += Tree(folder + name + L"\\");
    else
      tree += ToAnsi(folder + name) + "=" + std::to_string(data.dwFileAttributes & kHidden) + "\n";
  }
  return tree;
}

void EmptyWide(const std::wstring &folder)
{
  CWideFind find;
  WIN32_FIND_DATAW data;
  for (bool found = find.FindFirst(LiteralPath(folder + L"*"), data); found; found = find.FindNext(data))
  {
    const std::wstring name = data.cFileName, path = LiteralPath(folder + name);
    if (name == L"." || name == L".." || name == L"j" || name == L"Autorun.dat")
      continue;
    ::SetFileAttributesW(path.c_str(), 0);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    {
      EmptyWide(folder + name + L"\\");
      ::RemoveDirectoryW(path.c_str());
    }
    else
      ::DeleteFileW(path.c_str());
  }
}

class ShortcutWormCrafted : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ResetDefaults(settings);
    ::CreateDirectoryA("C:\\victim", nullptr);
    ASSERT_TRUE(WriteBytes("C:\\victim\\secret.txt", "secret", kHidden));
    ASSERT_TRUE(WriteBytes("C:\\victim\\data.txt", "data"));
    ASSERT_TRUE(WriteBytes("C:\\tests\\thesis.docx", "thesis"));
    victim = Tree(L"C:\\victim\\");
  }
  void TearDown() override
  {
    EXPECT_EQ(Tree(L"C:\\victim\\"), victim) << "the victim folder changed";
    EXPECT_EQ(ReadBytes("C:\\tests\\thesis.docx"), "thesis");
    for (const wchar_t *root : {L"E:\\", L"K:\\"})
      EmptyWide(root);
    EmptyWide(ToWide(kQuarantine));
    ::RemoveDirectoryA(kQuarantine.c_str());
  }
  // Inspects on a thread of its own, as the program does: a check that never
  // returns fails here instead of holding the suite.
  TInspectionResult InspectWithin(const std::string &root, DWORD milliseconds = 30000)
  {
    TInspectionResult result;
    HANDLE done = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread worker([&] {
      result = InspectDrive(root, settings, kQuarantine);
      ::SetEvent(done);
    });
    const bool returned = ::WaitForSingleObject(done, milliseconds) == WAIT_OBJECT_0;
    ::CloseHandle(done);
    if (!returned)
    {
      worker.detach();
      ADD_FAILURE() << "the check of " << root << " did not return";
      ::ExitProcess(1);
    }
    worker.join();
    return result;
  }
  // Every file the quarantine holds, with its folder; nothing may lie above it.
  static std::string Kept() { return Tree(ToWide(kQuarantine)); }
  TSettings settings;
  std::string victim;
};
}

// Names outside the code page are taken as they are on disk: a full-width
// backslash names no folder, and a shortcut with Cyrillic letters is read.
TEST_F(ShortcutWormCrafted, NamesOutsideTheCodePageAreNeverPaths)
{
  ASSERT_TRUE(WriteBytes("E:\\Autorun.inf", "[autorun]"));
  ASSERT_TRUE(WriteBytes("E:\\thesis.docx", "mine"));
  ASSERT_TRUE(WriteWide(L"E:\\Autorun.\xFF3C..\xFF3Cthesis.docx", "crafted"));
  ASSERT_TRUE(WriteWide(L"E:\\Photos\xFF3C..\xFF3C..\xFF3C..\xFF3Cx.lnk", MakeShortcut(kCmd, "/c start x.vbs&exit")));
  ASSERT_TRUE(WriteWide(L"E:\\\x424\x43E\x442\x43E.lnk", MakeShortcut(kCmd, "/c start y.js&exit")));
  ASSERT_TRUE(WriteBytes("E:\\x.vbs", "vbs", kHidden));
  ASSERT_TRUE(WriteBytes("E:\\y.js", "js", kHidden));

  const TInspectionResult result = InspectWithin("E:\\");
  EXPECT_EQ(ReadBytes("E:\\thesis.docx"), "mine");
  EXPECT_EQ(Tree(L"E:\\"), "E:\\thesis.docx=0\n");
  // The box and the log show the names in a safe form.
  for (const char *shown : {"E:\\Autorun.?..?thesis.docx", "E:\\Photos?..?..?..?x.lnk", "E:\\????.lnk", "E:\\x.vbs",
                            "E:\\y.js"})
    EXPECT_NE(result.Report.find(shown), std::string::npos) << shown << "\n" << result.Report;
  // Every copy lies in the inspection's own folder, under a name it can hold.
  const std::string kept = Kept();
  EXPECT_NE(kept.find("E\\Photos_.._.._.._x.lnk.quarantined=0\n"), std::string::npos) << kept;
  EXPECT_NE(kept.find("E\\Autorun._.._thesis.docx.quarantined=0\n"), std::string::npos) << kept;
  EXPECT_NE(kept.find("E\\____.lnk.quarantined=0\n"), std::string::npos) << kept;
  EXPECT_FALSE(PathExists("C:\\tests\\x.lnk.quarantined"));
}

// Only the worm's code goes, and only with a copy; the documents it names are
// the user's and are shown again; what cannot be kept stays and is said.
TEST_F(ShortcutWormCrafted, TheUsersHiddenFilesAreShownAndNothingGoesWithoutACopy)
{
  ASSERT_TRUE(WriteBytes("E:\\report.doc.lnk", MakeShortcut(kCmd, "/c start x.vbs&start report.doc&exit")));
  ASSERT_TRUE(WriteBytes("E:\\big.mp4.lnk",
                         MakeShortcut(kCmd, "/c start big.exe&start big.mp4&start a\\p.exe&start b\\p.exe")));
  ASSERT_TRUE(WriteBytes("E:\\x.vbs", "vbs", kHidden));
  ASSERT_TRUE(WriteBytes("E:\\report.doc", "doc", kHidden));
  const std::string big(17 << 20, 'b');
  ASSERT_TRUE(WriteBytes("E:\\big.mp4", big, kHidden));
  ASSERT_TRUE(WriteBytes("E:\\big.exe", big, kHidden));
  for (const char *folder : {"E:\\a", "E:\\b"})
  {
    ASSERT_TRUE(::CreateDirectoryA(folder, nullptr));
    ASSERT_TRUE(WriteBytes(std::string(folder) + "\\p.exe", folder, kHidden));
  }

  const TInspectionResult result = InspectWithin("E:\\");
  EXPECT_EQ(result.Worm.FilesDeleted, (std::vector<std::string>{"E:\\a\\p.exe", "E:\\b\\p.exe", "E:\\x.vbs"}));
  EXPECT_EQ(result.Worm.NotRepaired, std::vector<std::string>{"E:\\big.exe (not kept: larger than 16 MiB)"});
  EXPECT_EQ(Attributes("E:\\report.doc"), 0u);
  EXPECT_EQ(Attributes("E:\\big.mp4"), 0u);
  EXPECT_EQ(ReadBytes("E:\\big.mp4"), big);
  EXPECT_EQ(Attributes("E:\\big.exe"), kHidden);
  const std::string kept = Kept();
  EXPECT_NE(kept.find("p.exe.quarantined=0\n"), std::string::npos) << kept;
  EXPECT_NE(kept.find("p.exe (2).quarantined=0\n"), std::string::npos) << kept;
  EXPECT_EQ(kept.find("big.exe"), std::string::npos) << kept;
  EXPECT_EQ(kept.find("big.mp4.quarantined"), std::string::npos) << kept;
}

// The repair never makes room by removing older copies: when full, it stops
// deleting and says so.
TEST_F(ShortcutWormCrafted, AFullQuarantineStopsTheRepair)
{
  const std::string old = kQuarantine + "2000-01-01 00-00-00 E\\";
  ::CreateDirectoryA(kQuarantine.c_str(), nullptr);
  ASSERT_TRUE(::CreateDirectoryA(old.c_str(), nullptr));
  ASSERT_TRUE(WriteBytes(old + "big.quarantined", std::string(60 << 20, 'o')));
  ASSERT_TRUE(WriteBytes("E:\\USB.lnk", MakeShortcut(kCmd, "/c start w.exe")));
  ASSERT_TRUE(WriteBytes("E:\\w.exe", std::string(8 << 20, 'w'), kHidden));

  const TInspectionResult result = InspectWithin("E:\\");
  EXPECT_EQ(result.Worm.ShortcutsDeleted, std::vector<std::string>{"E:\\USB.lnk"});
  EXPECT_EQ(result.Worm.NotRepaired, std::vector<std::string>{"E:\\w.exe (not kept: quarantine full)"});
  EXPECT_TRUE(PathExists("E:\\w.exe"));
  EXPECT_TRUE(PathExists(old + "big.quarantined"));
}

// Links and junctions, streams and devices lead nowhere: K:\j is a folder link
// and K:\Autorun.dat a file link into C:\victim, made by the test's runner.
TEST_F(ShortcutWormCrafted, LinksStreamsAndDevicesLeadNowhere)
{
  ASSERT_TRUE(WriteBytes("K:\\Autorun.inf", "[autorun]"));
  ASSERT_TRUE(WriteWide(L"K:\\Autorun.\xFF3C..\xFF3Cj\xFF3Csecret.txt", "crafted"));
  ASSERT_TRUE(WriteBytes("K:\\Docs.lnk",
                         MakeShortcut(kCmd, "/c start j\\secret.txt&start x.vbs&start doc.txt::$DATA&start NUL.vbs")));
  ASSERT_TRUE(WriteBytes("K:\\x.vbs", "vbs", kHidden));
  ASSERT_TRUE(WriteBytes("K:\\doc.txt", "doc", kHidden));
  ASSERT_TRUE(WriteWide(L"K:\\COM1.lnk", MakeShortcut(kCmd, "/c start x.vbs")));
  ASSERT_TRUE(WriteWide(L"K:\\NUL.vbs", "nul", kHidden));

  const TInspectionResult result = InspectWithin("K:\\");
  EXPECT_EQ(result.Outcome.AllAutorunDeleted, false) << "the file link is no Autorun.* of this drive";
  EXPECT_EQ(ReadBytes("C:\\victim\\data.txt"), "data");
  EXPECT_EQ(result.Worm.ShortcutsDeleted, std::vector<std::string>{"K:\\Docs.lnk"});
  EXPECT_EQ(result.Worm.FilesDeleted, std::vector<std::string>{"K:\\x.vbs"});
  EXPECT_EQ(Attributes("K:\\doc.txt"), kHidden) << "named only through a stream";
  EXPECT_TRUE(ExistsWide(L"K:\\COM1.lnk"));
  EXPECT_TRUE(ExistsWide(L"K:\\NUL.vbs"));
  // The crafted name is a file of this root, kept under a name of its own.
  const std::string kept = Kept();
  EXPECT_NE(kept.find("K\\Autorun._.._j_secret.txt.quarantined=0\n"), std::string::npos) << kept;
  EXPECT_EQ(kept.find("\\secret.txt.quarantined"), std::string::npos) << kept;
}
