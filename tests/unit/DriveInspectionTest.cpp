#include <gtest/gtest.h>
#include <cstring>
#include "ProtectionTestSupport.h"
#include "settings/Settings.h"
#include "log/Logger.h"
#include "log/Report.h"
#include "protection/DriveInspection.h"
#include "app/InspectionReport.h"
#include "protection/MenuCache.h"
#include "protection/Quarantine.h"

using namespace testsupport;

namespace
{
const std::string kLogPath = "C:\\tests\\inspection.log";
const char *const kRoots[] = {"E:\\", "F:\\", "G:\\", "H:\\", "I:\\", "C:\\Share\\"};
const BehaviourFlags kNone{false, false, false, false};

std::string Warning(const std::string &root) { return FormatText(LoadMessage(IDS_AUTORUN_FOUND), {root}); }

class DriveInspectionTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ResetDefaults(settings);
    settings.UserExceptions.Clear();
    settings.CommonExceptions.Clear();
    ::CreateDirectoryA("C:\\Share", nullptr);
    ::DeleteFileA(kLogPath.c_str());
    logger.Threshold = 6;
  }
  void TearDown() override
  {
    for (const char *root : kRoots)
    {
      EmptyFolder(root);
      DeleteKeyTree(CacheKey(root));
    }
    DeleteKeyTree(CacheKey("C:\\"));
  }
  static std::string CacheKey(const std::string &root) { return kMountPoints2 + VolumeIdOf(root); }
  // Runs one inspection, answering its boxes; gives their texts.
  std::vector<std::string> Inspect(const std::string &root, RegistryDenyHook deny = nullptr)
  {
    BoxWatcher watcher;
    ReportInspection(InspectDrive(root, settings, {}, nullptr, deny), Log);
    return watcher.Stop();
  }
  static std::vector<std::string> Logged() { return LogMessages(ReadBytes(kLogPath)); }
  TFileLogger logger{kLogPath};
  const ReportFn Log = [this](const std::string &text) { ReportTo(&logger, text); };
  TSettings settings;
};
}

TEST(DriveInspection, KindsAndReportSections)
{
  EXPECT_EQ(DriveKindOf(DRIVE_REMOVABLE), dkRemovable);
  EXPECT_EQ(DriveKindOf(DRIVE_FIXED), dkFixed);
  EXPECT_EQ(DriveKindOf(DRIVE_REMOTE), dkRemote);
  EXPECT_EQ(DriveKindOf(DRIVE_CDROM), dkCdRom);
  EXPECT_EQ(DriveKindOf(DRIVE_UNKNOWN), dkOther);
  EXPECT_EQ(DriveKindOf(DRIVE_NO_ROOT_DIR), dkOther);
  EXPECT_EQ(DriveKindOf(DRIVE_RAMDISK), dkOther);
  EXPECT_EQ(DriveKindOf(7), dkOther);

  EXPECT_EQ(AutorunPathOf("E:\\"), "E:\\Autorun.inf");
  EXPECT_EQ(AutorunPathOf("C:\\Share"), "C:\\Share\\Autorun.inf");

  const BehaviourFlags all{true, true, true, true};
  InspectionOutcome failed;
  failed.MenuItemsRemoved = failed.AutorunInfDeleted = failed.AllAutorunDeleted = false;
  failed.DeletedFiles = "E:\\autorun.bat\r\nE:\\AUTORUN.EXE";
  EXPECT_EQ(BuildInspectionReport("E:\\", "E:\\Autorun.inf", all, failed),
            Warning("E:\\") + "\r\n\r\nCannot delete all menu items! DANGER!!!\r\n\r\nCannot delete "
                              "E:\\Autorun.inf file. DANGER!!!\r\n\r\nCannot delete all Autorun.* files. "
                              "DANGER!!!\r\nE:\\autorun.bat\r\nE:\\AUTORUN.EXE");
  InspectionOutcome folder;
  folder.MenuItemsApplicable = false;
  EXPECT_EQ(BuildInspectionReport("C:\\Share", "C:\\Share\\Autorun.inf", all, folder),
            Warning("C:\\Share") + "\r\n\r\nC:\\Share\\Autorun.inf file was deleted\r\n\r\nAll Autorun.* "
                                   "files were deleted:");
  EXPECT_EQ(BuildInspectionReport("F:\\", "F:\\Autorun.inf", kNone, failed), Warning("F:\\"));
}

TEST_F(DriveInspectionTest, NoAutorunFileLeavesNoTrace)
{
  ASSERT_TRUE(::CreateDirectoryA("I:\\Autorun.inf", nullptr));
  ASSERT_TRUE(WriteBytes("I:\\autorun.exe", "MZ"));
  ASSERT_TRUE(WriteBytes("C:\\Share\\Autorun.inf", "[autorun]"));
  ASSERT_TRUE(MakeKey(CacheKey("I:\\") + "\\Shell"));
  ::SetCurrentDirectoryA("C:\\Share");

  EXPECT_TRUE(Inspect("E:\\").empty());
  EXPECT_TRUE(Inspect("I:\\").empty());
  EXPECT_TRUE(Inspect("").empty()); // would have found the current directory's file
  ::SetCurrentDirectoryA("C:\\tests");
  EXPECT_FALSE(PathExists(kLogPath));
  EXPECT_TRUE(PathExists("I:\\Autorun.inf"));
  EXPECT_TRUE(PathExists("I:\\autorun.exe"));
  EXPECT_TRUE(PathExists("C:\\Share\\Autorun.inf"));
  EXPECT_EQ(SubKeyCount(CacheKey("I:\\")), 1);
}

TEST_F(DriveInspectionTest, DefaultsOnRemovableGiveTheExampleReportInLogAndBox)
{
  ASSERT_TRUE(WriteBytes("E:\\Autorun.inf", "[autorun]\r\nopen=autorun.exe\r\n"));
  ASSERT_TRUE(WriteBytes("E:\\autorun.exe", "MZ"));
  ASSERT_TRUE(MakeKey(CacheKey("E:\\"), "BaseClass", "Drive"));
  ASSERT_TRUE(MakeKey(CacheKey("E:\\") + "\\Shell\\AutoRun\\command", "", "autorun.exe"));
  ASSERT_TRUE(MakeKey(CacheKey("E:\\") + "\\_Autorun\\DefaultIcon", "", "autorun.exe,0"));

  const std::string example = "Attention!\r\nThere is Autorun.inf file in E:\\!\r\nIt may be hidden but it is "
                              "there\r\nPlease check it's content - this can be a virus\r\n\r\nMenu items were "
                              "removed\r\n\r\nE:\\Autorun.inf file was deleted\r\n\r\nAll Autorun.* files were "
                              "deleted:\r\nE:\\autorun.exe";
  EXPECT_EQ(Inspect("E:\\"), std::vector<std::string>{example});
  EXPECT_EQ(Logged(), std::vector<std::string>{example});
  EXPECT_FALSE(PathExists("E:\\Autorun.inf"));
  EXPECT_FALSE(PathExists("E:\\autorun.exe"));
  EXPECT_EQ(SubKeyCount(CacheKey("E:\\")), 0);
  EXPECT_EQ(ReadValue(CacheKey("E:\\"), "BaseClass"), "Drive");

  // Found again at once: nothing left to find.
  EXPECT_TRUE(Inspect("E:\\").empty());
  EXPECT_EQ(Logged().size(), 1u);
}

TEST_F(DriveInspectionTest, ProtectedFileGoesAtTheSecondTryAndFlagsOffLogOnlyTheWarning)
{
  settings.Flags[dkFixed] = BehaviourFlags{false, false, true, false};
  // Only meaningful while the first plain deletion of such a file fails.
  ASSERT_TRUE(WriteBytes("I:\\probe.txt", "x", FILE_ATTRIBUTE_READONLY));
  ASSERT_FALSE(::DeleteFileA("I:\\probe.txt"));
  ASSERT_TRUE(WriteBytes("I:\\Autorun.inf", "[autorun]",
                         FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(Inspect("I:\\").empty());
  EXPECT_FALSE(PathExists("I:\\Autorun.inf"));

  // CD-ROM keeps its default: every flag off.
  ASSERT_TRUE(WriteBytes("F:\\Autorun.inf", "[autorun]"));
  EXPECT_TRUE(Inspect("F:\\").empty());
  EXPECT_TRUE(PathExists("F:\\Autorun.inf"));

  // Only InformUser: the box holds the warning alone.
  settings.Flags[dkRemote] = BehaviourFlags{false, true, false, false};
  ASSERT_TRUE(WriteBytes("G:\\Autorun.inf", "[autorun]"));
  EXPECT_EQ(Inspect("G:\\"), std::vector<std::string>{Warning("G:\\")});
  EXPECT_TRUE(PathExists("G:\\Autorun.inf"));

  EXPECT_EQ(Logged(), (std::vector<std::string>{Warning("I:\\") + "\r\n\r\nI:\\Autorun.inf file was deleted",
                                                Warning("F:\\"), Warning("G:\\")}));
}

TEST_F(DriveInspectionTest, AcceptedFileIsOnlyLogged)
{
  settings.UserExceptions.Add("Setup CD", "[autorun]<<R>><<N>>open=setup.exe<<R>><<N>>");
  ASSERT_TRUE(WriteBytes("E:\\Autorun.inf", "[autorun]\r\nopen=setup.exe\r\n"));
  ASSERT_TRUE(WriteBytes("E:\\autorun.exe", "MZ"));
  ASSERT_TRUE(MakeKey(CacheKey("E:\\") + "\\Shell"));

  EXPECT_TRUE(Inspect("E:\\").empty());
  EXPECT_EQ(Logged(), std::vector<std::string>{"E:\\Autorun.inf file listed in exceptions under name "
                                               "\"Setup CD\" found"});
  EXPECT_TRUE(PathExists("E:\\Autorun.inf"));
  EXPECT_TRUE(PathExists("E:\\autorun.exe"));
  EXPECT_EQ(SubKeyCount(CacheKey("E:\\")), 1);
}

TEST_F(DriveInspectionTest, RamDiskUsesOtherAndTheWildcardStepNamesFilesAsOnDisk)
{
  for (BehaviourFlags &flags : settings.Flags)
    flags = BehaviourFlags{true, true, true, true};
  settings.Flags[dkOther] = BehaviourFlags{false, false, false, true};
  ASSERT_TRUE(WriteBytes("H:\\AutoRun.Inf", "[autorun]"));
  ASSERT_TRUE(::CreateDirectoryA("H:\\Autorun.dir", nullptr));

  EXPECT_TRUE(Inspect("H:\\").empty());
  EXPECT_EQ(Logged(), std::vector<std::string>{Warning("H:\\") +
                                               "\r\n\r\nAll Autorun.* files were deleted:\r\nH:\\AutoRun.Inf"});
  EXPECT_FALSE(PathExists("H:\\AutoRun.Inf"));
  EXPECT_TRUE(PathExists("H:\\Autorun.dir"));
}

TEST_F(DriveInspectionTest, FileHeldOpenGives1012WithTheFilesThatWent)
{
  settings.Flags[dkFixed] = BehaviourFlags{false, false, true, true};
  for (const char *name : {"Autorun.inf", "autorun.exe", "autorun.bat", "autorun.cmd"})
    ASSERT_TRUE(WriteBytes(std::string("I:\\") + name, "x"));
  // Hold the file the search gives first: the ones after it show that every
  // file is still tried. The others make the expected list, in search order.
  std::vector<std::string> order;
  CFindFile find;
  WIN32_FIND_DATAA data;
  for (bool found = find.FindFirst("I:\\Autorun.*", data); found; found = find.FindNext(data))
    if (std::strcmp(data.cFileName, "Autorun.inf") != 0)
      order.push_back(std::string("I:\\") + data.cFileName);
  ASSERT_EQ(order.size(), 3u);
  CFile held;
  ASSERT_TRUE(held.Open(order[0].c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));

  ReportInspection(InspectDrive("I:\\", settings), Log);
  held.Close();
  EXPECT_EQ(Logged(), std::vector<std::string>{Warning("I:\\") +
                                               "\r\n\r\nI:\\Autorun.inf file was deleted\r\n\r\nCannot delete all "
                                               "Autorun.* files. DANGER!!!\r\n" + order[1] + "\r\n" + order[2]});
  EXPECT_TRUE(PathExists(order[0]));
  EXPECT_FALSE(PathExists(order[2]));
}

TEST_F(DriveInspectionTest, AFolderThatCannotBeListedIsNotReportedClean)
{
  std::string deleted = "stale";
  EXPECT_TRUE(DeleteMatchingFiles("I:\\", L"Autorun.*", deleted));
  EXPECT_EQ(deleted, "");
  EXPECT_FALSE(DeleteMatchingFiles("I:\\gone\\", L"Autorun.*", deleted));
}

TEST_F(DriveInspectionTest, MissingOrLockedCacheGives1013)
{
  settings.Flags[dkRemovable] = BehaviourFlags{true, false, false, false};
  ASSERT_TRUE(WriteBytes("E:\\Autorun.inf", "[autorun]"));
  ReportInspection(InspectDrive("E:\\", settings), Log);
  EXPECT_FALSE(KeyExists(CacheKey("E:\\")));

  ASSERT_TRUE(MakeKey(CacheKey("E:\\") + "\\Shell\\AutoRun"));
  ASSERT_TRUE(MakeKey(CacheKey("E:\\") + "\\Locked"));
  ReportInspection(InspectDrive("E:\\", settings, {}, nullptr, DenyDeletingLocked), Log);
  EXPECT_FALSE(KeyExists(CacheKey("E:\\") + "\\Shell"));
  EXPECT_TRUE(KeyExists(CacheKey("E:\\") + "\\Locked"));

  const std::string failed = Warning("E:\\") + "\r\n\r\nCannot delete all menu items! DANGER!!!";
  EXPECT_EQ(Logged(), (std::vector<std::string>{failed, failed}));
}

TEST_F(DriveInspectionTest, SharedFolderIsInspectedAsAFolderWithoutMenuCache)
{
  // The folder has the kind of the drive that holds it: fixed, not Other.
  settings.Flags[dkOther] = kNone;
  ASSERT_TRUE(WriteBytes("C:\\Share\\Autorun.inf", "[autorun]"));
  ASSERT_TRUE(WriteBytes("C:\\Share\\autorun.exe", "MZ"));
  ASSERT_TRUE(MakeKey(CacheKey("C:\\") + "\\Shell"));
  RecordedRegistryPaths().clear();
  const std::vector<std::string> boxes = Inspect("C:\\Share", RecordRegistryPaths);
  const std::string report = Warning("C:\\Share") + "\r\n\r\nC:\\Share\\Autorun.inf file was deleted\r\n\r\n"
                                                    "All Autorun.* files were deleted:\r\nC:\\Share\\autorun.exe";
  EXPECT_EQ(boxes, std::vector<std::string>{report});
  EXPECT_EQ(Logged(), std::vector<std::string>{report});
  EXPECT_FALSE(PathExists("C:\\Share\\autorun.exe"));
  EXPECT_EQ(SubKeyCount(CacheKey("C:\\")), 1);
  for (const std::string &path : RecordedRegistryPaths())
    EXPECT_EQ(path.find("MountPoints2"), std::string::npos) << path;
}

namespace
{
bool MakeSparseFile(const std::string &path, LONGLONG size)
{
  CHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  LARGE_INTEGER end;
  end.QuadPart = size;
  return file.IsValid() && ::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.Get());
}
}

// The 64 MiB bound removes the oldest folders first, and no more than needed;
// folder names stay safe whatever the shared folder is called.
TEST(DriveInspectionQuarantine, NamesAndTheSizeBound)
{
  const SYSTEMTIME time{2026, 12, 3, 9, 14, 3, 27, 0};
  EXPECT_EQ(QuarantineFolderName(time, "E:\\"), "2026-12-09 14-03-27 E");
  EXPECT_EQ(QuarantineFolderName(time, "\\\\server\\Setup?*.\\"), "2026-12-09 14-03-27 Setup__._");
  EXPECT_TRUE(IsQuarantineFolderName(QuarantineFolderName(time, "C:\\Share")));
  EXPECT_FALSE(IsQuarantineFolderName("Saved by me"));

  const std::string q = "C:\\tests\\Quarantine\\";
  const char *const old[] = {"2000-01-01 00-00-00 E", "2000-01-01 00-00-01 E"};
  ::CreateDirectoryA(q.c_str(), nullptr);
  for (int i = 0; i < 2; ++i)
  {
    ASSERT_TRUE(::CreateDirectoryA((q + old[i]).c_str(), nullptr));
    ASSERT_TRUE(MakeSparseFile(q + old[i] + "\\big.quarantined", (i == 0 ? 40ll : 20ll) << 20));
  }
  const std::string body(8 << 20, 'b');
  ASSERT_TRUE(WriteBytes("E:\\Autorun.bin", body));
  TDriveFile file;
  ASSERT_TRUE(file.Open("E:\\", L"Autorun.bin"));
  EXPECT_TRUE(TQuarantine(q, "E:\\").Keep(file));

  EXPECT_FALSE(PathExists(q + old[0]));
  EXPECT_TRUE(PathExists(q + old[1]));
  std::string made;
  CFindFile find;
  WIN32_FIND_DATAA data;
  for (bool found = find.FindFirst((q + "20*").c_str(), data); found; found = find.FindNext(data))
    if (std::strncmp(data.cFileName, "2000-", 5) != 0)
      made = q + data.cFileName + "\\";
  ASSERT_FALSE(made.empty());
  EXPECT_EQ(ReadBytes(made + "Autorun.bin.quarantined"), body);
  EXPECT_EQ(ReadBytes(made + "Origin.txt"), "E:\\Autorun.bin\t8388608\tA\tAutorun.bin.quarantined\r\n");
  find.Close();
  for (const std::string &folder : {q + old[1] + "\\", made, q})
    EmptyFolder(folder);
  ::RemoveDirectoryA(q.c_str());
  ::DeleteFileA("E:\\Autorun.bin");
}

// Checks side by side count in one ledger: together they stay within the
// bound, and the one that finds no room never removes the folder the other
// still writes.
TEST(DriveInspectionQuarantine, ChecksSideBySideShareOneBound)
{
  const std::string q = "C:\\tests\\SharedQuarantine\\";
  for (int i = 0; i < 5; ++i)
    ASSERT_TRUE(MakeSparseFile("E:\\Autorun." + std::to_string(i), 15ll << 20));
  TQuarantineLedger ledger(q);
  TQuarantine first(q, "E:\\", nullptr, &ledger), second(q, "G:\\", nullptr, &ledger);
  std::vector<bool> kept;
  for (int i = 0; i < 5; ++i)
  {
    TDriveFile file;
    ASSERT_TRUE(file.Open("E:\\", L"Autorun." + std::to_wstring(i)));
    kept.push_back((i < 3 ? first : second).Keep(file));
  }
  EXPECT_EQ(kept, (std::vector<bool>{true, true, true, true, false}));
  EXPECT_EQ(second.WhyNotKept(), "not kept: quarantine full");
  EXPECT_LE(ledger.Bytes(), QuarantineTotalLimit);
  unsigned long long onDisk = 0;
  CFindFile find;
  WIN32_FIND_DATAA data;
  for (bool found = find.FindFirst((q + "20*").c_str(), data); found; found = find.FindNext(data))
  {
    const std::string folder = q + data.cFileName + "\\";
    CFindFile inside;
    WIN32_FIND_DATAA file;
    for (bool more = inside.FindFirst((folder + "*.quarantined").c_str(), file); more; more = inside.FindNext(file))
      onDisk += file.nFileSizeLow;
    EmptyFolder(folder);
    ::RemoveDirectoryA(folder.c_str());
  }
  EXPECT_EQ(onDisk, 60ull << 20);
  EmptyFolder(q);
  ::RemoveDirectoryA(q.c_str());
  for (int i = 0; i < 5; ++i)
    ::DeleteFileA(("E:\\Autorun." + std::to_string(i)).c_str());
}

// Another handle open with delete sharing: the system accepts the deletion, but
// the name stays until that handle is closed, so the file is not gone.
TEST_F(DriveInspectionTest, ADeletionLeftPendingIsReportedAsFailed)
{
  settings.Flags[dkRemovable] = BehaviourFlags{false, false, true, false};
  ASSERT_TRUE(WriteBytes("E:\\Autorun.inf", "[autorun]"));
  CFile held;
  ASSERT_TRUE(held.Open("E:\\Autorun.inf", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        OPEN_EXISTING));
  const TInspectionResult result = InspectDrive("E:\\", settings);
  held.Close();
  EXPECT_TRUE(result.Found);
  EXPECT_FALSE(result.Outcome.AutorunInfDeleted);
  EXPECT_EQ(result.Report, Warning("E:\\") + "\r\n\r\nCannot delete E:\\Autorun.inf file. DANGER!!!");
  EXPECT_FALSE(result.InformUser);
}

// With the switch on for every kind: never over an accepted Autorun.inf, on a
// CD-ROM, a network drive or a shared folder (by hand a CD-ROM is said to
// fail, once). Another program's vaccine is neither reported nor removed.
// (A stick vaccinated, checked again and the vaccine removed: e2e_vaccine.)
TEST_F(DriveInspectionTest, VaccinesGoOnlyWhereTheyMayAndOthersAreLeftAlone)
{
  for (BehaviourFlags &flags : settings.Flags)
  {
    flags = kNone;
    flags.Vaccinate = true;
  }
  settings.UserExceptions.Add("Setup CD", "[autorun]<<R>><<N>>open=setup.exe<<R>><<N>>");
  ASSERT_TRUE(WriteBytes("E:\\Autorun.inf", "[autorun]\r\nopen=setup.exe\r\n"));
  for (const std::string root : {"E:\\", "F:\\", "G:\\", "C:\\Share"})
  {
    EXPECT_EQ(InspectDrive(root, settings).Vaccine.Deed, vdNone) << root;
    EXPECT_NE(VaccineStateOf(root == "C:\\Share" ? root + "\\" : root), vsOurs) << root;
  }
  const TVaccination onCdRom = VaccineByHand("F:\\", vdVaccinate).Vaccine;
  EXPECT_TRUE(onCdRom.Failed);
  EXPECT_EQ(onCdRom.Report, "Cannot vaccinate F:\\\r\nit is a CD-ROM");
  EXPECT_FALSE(PathExists("F:\\AUTORUN.INF"));

  ::SetFileAttributesA("E:\\Autorun.inf", FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(::DeleteFileA("E:\\Autorun.inf"));
  ASSERT_TRUE(::CreateDirectoryA("E:\\autorun.inf", nullptr));
  ASSERT_TRUE(WriteBytes("E:\\autorun.inf\\guard.dat", "x"));
  ::SetFileAttributesA("E:\\autorun.inf", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  EXPECT_TRUE(Inspect("E:\\").empty());
  EXPECT_TRUE(Logged().empty());
  EXPECT_EQ(VaccineByHand("E:\\", vdRemove).Vaccine.Notice, "E:\\ holds no vaccine that Mervane can remove");
  EXPECT_TRUE(PathExists("E:\\autorun.inf\\guard.dat"));
  EmptyFolder("E:\\autorun.inf\\");
}

// A vaccination that fails (made up here: a medium that refuses a new folder
// cannot be had under Wine) is said once per drive, in the log and a box,
// however often the drive is reported, until one there works; a vaccination
// that works is logged with no box.
TEST(DriveInspectionReport, AFailedVaccinationIsSaidOncePerDriveUntilOneWorks)
{
  const auto vaccination = [](const std::string &root, bool done) {
    TInspectionResult result;
    result.Root = root;
    result.Vaccine.Deed = vdVaccinate;
    result.Vaccine.Done = done;
    result.Vaccine.Failed = !done;
    result.Vaccine.Report = done ? root + " was vaccinated" : "Cannot vaccinate " + root + "\r\nThe device is not ready.";
    return result;
  };
  const std::vector<TInspectionResult> results = {vaccination("E:\\", false), vaccination("E:\\", false),
                                                  vaccination("G:\\", false), vaccination("E:\\", true),
                                                  vaccination("E:\\", false)};
  std::vector<std::string> logged;
  TInspectionReporter reporter([&logged](const TInspectionResult &result) { logged.push_back(result.Vaccine.Report); });
  size_t next = 0;
  BoxWatcher watcher;
  reporter.Deliver([&](TInspectionResult &result) { return next < results.size() && (result = results[next++], true); });
  const std::vector<std::string> boxes = watcher.Stop();
  const std::string e = results[0].Vaccine.Report, g = results[2].Vaccine.Report;
  EXPECT_EQ(logged, (std::vector<std::string>{e, g, "E:\\ was vaccinated", e}));
  EXPECT_EQ(boxes, (std::vector<std::string>{e, g, e}));
}
