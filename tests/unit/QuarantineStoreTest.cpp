#include <gtest/gtest.h>
#include "WorkFiles.h"
#include "protection/QuarantineStore.h"

namespace
{
const std::string kQuarantine = "C:\\tests\\work\\Q\\";
const std::string kCleaning = kQuarantine + "2024-05-01 12-30-45 E\\";
const std::string kOlder = kQuarantine + "2024-04-30 08-00-00 F\\";
const std::string kPlace = "C:\\tests\\work\\drive\\";

void Clear(const std::string &folder)
{
  WIN32_FIND_DATAA data;
  const HANDLE find = ::FindFirstFileA((folder + "*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE)
  {
    do
    {
      const std::string path = folder + data.cFileName;
      ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      {
        if (data.cFileName[0] != '.')
          Clear(path + "\\");
      }
      else
        ::DeleteFileA(path.c_str());
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
  }
  ::RemoveDirectoryA(folder.c_str());
}

class QuarantineStoreTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    Clear(kQuarantine);
    Clear(kPlace);
    WorkPath("");
    ::CreateDirectoryA(kQuarantine.c_str(), nullptr);
    ::CreateDirectoryA(kCleaning.c_str(), nullptr);
    ::CreateDirectoryA(kOlder.c_str(), nullptr);
    ::CreateDirectoryA((kQuarantine + "Saved by me").c_str(), nullptr);
    ::CreateDirectoryA(kPlace.c_str(), nullptr);
  }
  void TearDown() override
  {
    Clear(kQuarantine);
    Clear(kPlace);
  }
};
} // namespace

TEST(QuarantineStore, AttributeLettersAreReadOnlyInTheirOrder)
{
  const struct
  {
    const char *Letters;
    bool Valid;
    DWORD Attributes;
  } cases[] = {{"-", true, 0},
               {"RHSA", true, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE},
               {"HA", true, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE},
               {"", false, 0}, {"AH", false, 0}, {"HH", false, 0}, {"X", false, 0}, {"--", false, 0}};
  for (const auto &c : cases)
  {
    DWORD attributes = 12345;
    EXPECT_EQ(c.Valid, ParseAttributeLetters(c.Letters, attributes)) << c.Letters;
    if (c.Valid)
    {
      EXPECT_EQ(c.Attributes, attributes) << c.Letters;
    }
  }
}

TEST_F(QuarantineStoreTest, OriginLinesGoodOddAndDamaged)
{
  ASSERT_TRUE(WriteBytes(kCleaning + "Autorun.inf.quarantined", "[autorun]\r\n"));
  ASSERT_TRUE(WriteBytes(kCleaning + "Origin.txt",
                         "E:\\Autorun.inf\t11\tHA\tAutorun.inf.quarantined\r\n"
                         "E:\\Autorun.big\t17825792\tA\tnot kept: larger than 16 MiB\r\n"
                         "E:\\gone.lnk\t9\tA\tgone.lnk.quarantined\r\n"
                         "E:\\Photos\tfolder\tHS\tmade visible: -\r\n"
                         "\r\n"
                         "just words\r\n"
                         "E:\\a\tlots\tA\ta.quarantined\r\n"
                         "E:\\b\t5\tQ\tb.quarantined\r\n"
                         "E:\\c\t5\tA\t..\\..\\c.quarantined\r\n"
                         "E:\\d\t5\tA\td.exe\r\n"
                         "E:\\e\tdevice\tH\tmade visible: -\r\n"
                         "\t5\tA\tf.quarantined\r\n"
                         "E:\\g\t5\tA\tg.quarantined\textra\r\n"
                         "E:\\h\t99999999999999999999\tA\th.quarantined\r\n"
                         "\x01\xff\t\t\t\r\n"
                         "E:\\Autorun.inf\t11\tHA\trestored: Autorun.inf.quarantined\r\n"
                         "E:\\Photos\tfolder\tHS\thidden again: HS\r\n"
                         "E:\\cut\t3\tA\tcut.quarant"));
  ASSERT_TRUE(WriteBytes(kOlder + "Origin.txt", "F:\\x.exe\t1\t-\tx.exe.quarantined\r\n"));

  const std::vector<TQuarantineEntry> entries = ReadQuarantine(kQuarantine);
  ASSERT_EQ(5u, entries.size());
  EXPECT_EQ("2024-05-01 12:30:45", entries[0].When);
  EXPECT_EQ(kCleaning, entries[0].Folder);
  EXPECT_EQ("E:\\Autorun.inf", entries[0].Path);
  EXPECT_EQ(qdCopyKept, entries[0].Deed);
  EXPECT_EQ(11u, entries[0].Size);
  EXPECT_EQ(DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE), entries[0].Attributes);
  EXPECT_TRUE(entries[0].CopyPresent);
  EXPECT_EQ("E:\\Autorun.inf", entries[0].RestoredTo);
  EXPECT_EQ(qdNotKept, entries[1].Deed);
  EXPECT_EQ("larger than 16 MiB", entries[1].WhyNotKept);
  EXPECT_EQ("gone.lnk.quarantined", entries[2].Copy);
  EXPECT_FALSE(entries[2].CopyPresent);
  EXPECT_EQ(qdMadeVisible, entries[3].Deed);
  EXPECT_TRUE(entries[3].IsFolder);
  EXPECT_TRUE(entries[3].HiddenAgain);
  EXPECT_EQ("2024-04-30 08:00:00", entries[4].When);
  EXPECT_EQ("F:\\x.exe", entries[4].Path);
}

TEST_F(QuarantineStoreTest, RestoreNeverOverwritesAndNotesEachRestore)
{
  const std::string content("[autorun]\r\nopen=x\r\n\0z", 22);
  ASSERT_TRUE(WriteBytes(kCleaning + "Autorun.inf.quarantined", content));
  ASSERT_TRUE(WriteBytes(kCleaning + "Origin.txt", "E:\\Autorun.inf\t22\tRHA\tAutorun.inf.quarantined"));
  std::vector<TQuarantineEntry> entries = ReadQuarantine(kQuarantine);
  ASSERT_EQ(1u, entries.size());
  const std::string target = kPlace + "Autorun.inf";

  EXPECT_EQ(0u, RestoreCopy(entries[0], target));
  EXPECT_EQ(content, ReadBytes(target));
  EXPECT_EQ(DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE),
            ::GetFileAttributesA(target.c_str()));
  // A file there is never replaced, and nothing is noted.
  EXPECT_EQ(DWORD(ERROR_FILE_EXISTS), RestoreCopy(entries[0], target));
  EXPECT_EQ(content, ReadBytes(target));
  EXPECT_EQ("E:\\Autorun.inf\t22\tRHA\tAutorun.inf.quarantined\r\n" + target +
                "\t22\tRHA\trestored: Autorun.inf.quarantined\r\n",
            ReadBytes(kCleaning + "Origin.txt"));
  EXPECT_EQ(target, ReadQuarantine(kQuarantine)[0].RestoredTo);

  // The default place is taken now; a drive that is gone has none.
  entries[0].Path = target;
  EXPECT_EQ("", RestoreTargetFree(entries[0]));
  entries[0].Path = kPlace + "other.inf";
  EXPECT_EQ(kPlace + "other.inf", RestoreTargetFree(entries[0]));
  entries[0].Path = "Q:\\nowhere\\Autorun.inf";
  EXPECT_EQ("", RestoreTargetFree(entries[0]));

  EXPECT_EQ(0u, DeleteCopy(entries[0]));
  EXPECT_FALSE(ReadQuarantine(kQuarantine)[0].CopyPresent);
  EXPECT_NE(0u, RestoreCopy(entries[0], kPlace + "again.inf"));
}

TEST_F(QuarantineStoreTest, MadeVisibleIsHiddenAgainOnlyAsTheCleaningLeftIt)
{
  const std::string folder = kPlace + "Photos";
  ::CreateDirectoryA(folder.c_str(), nullptr);
  ASSERT_TRUE(WriteBytes(kCleaning + "Origin.txt", folder + "\tfolder\tHS\tmade visible: -\r\n"));
  const TQuarantineEntry entry = ReadQuarantine(kQuarantine).at(0);
  ::SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_SYSTEM);
  EXPECT_EQ(DWORD(ERROR_FILE_EXISTS), HideAgain(entry));
  ::SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(0u, HideAgain(entry));
  EXPECT_EQ(DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
            ::GetFileAttributesA(folder.c_str()));
  EXPECT_EQ(folder + "\tfolder\tHS\tmade visible: -\r\n" + folder + "\tfolder\tHS\thidden again: HS\r\n",
            ReadBytes(kCleaning + "Origin.txt"));
  EXPECT_TRUE(ReadQuarantine(kQuarantine).at(0).HiddenAgain);
}
