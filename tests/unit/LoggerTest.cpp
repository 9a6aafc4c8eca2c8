#include <gtest/gtest.h>
#include "ProtectionTestSupport.h"
#include "common/Messages.h"
#include "log/Logger.h"
#include "log/Report.h"

using namespace testsupport;

namespace
{
const std::string kLogPath = "C:\\tests\\logger.log";

class LoggerTest : public ::testing::Test
{
protected:
  void SetUp() override { Remove(); }
  void TearDown() override { Remove(); }
  static void Remove()
  {
    ::SetFileAttributesA(kLogPath.c_str(), 0);
    ::DeleteFileA(kLogPath.c_str());
  }
  // Logs one entry and gives the bytes it must have added: the time may pass
  // a second boundary during the call, so the stamps of both sides are allowed.
  std::string LogAndExpect(int level, const std::string &message, const std::string &body)
  {
    const size_t previous = ReadBytes(kLogPath).size();
    const std::string before = LogTimeStamp();
    logger.Log(level, std::string(), message);
    const std::string after = LogTimeStamp();
    const std::string written = ReadBytes(kLogPath);
    const std::string added = written.size() > previous ? written.substr(previous) : std::string();
    const std::string tail = "\t" + std::to_string(level) + "\t\t" + body;
    return added == after + tail ? after + tail : before + tail;
  }
  TFileLogger logger{kLogPath};
};
}

TEST_F(LoggerTest, EntryBytesCarryStampLevelAndIndentedContinuationLines)
{
  logger.Threshold = 6;
  const std::string warning = FormatText(LoadMessage(1001), {"E:\\"}) + "\r\n";
  const std::string expected =
      LogAndExpect(6, warning,
                   "Attention!\r\n\t\t\t\t\t\t\tThere is Autorun.inf file in E:\\!\r\n\t\t\t\t\t\t\tIt may be hidden "
                   "but it is there\r\n\t\t\t\t\t\t\tPlease check it's content - this can be a virus\r\n");
  EXPECT_EQ(ReadBytes(kLogPath), expected);

  // A second entry is appended, and one line ending with CR LF stays one line
  // without trailing TABs.
  const std::string second = LogAndExpect(6, "User closed Mervane\r\n", "User closed Mervane\r\n");
  const std::string all = ReadBytes(kLogPath);
  EXPECT_EQ(all, expected + second);
  EXPECT_EQ(LogMessages(all), (std::vector<std::string>{warning.substr(0, warning.size() - 2),
                                                        "User closed Mervane"}));
  EXPECT_EQ(all.find("\t\r\n"), std::string::npos);
}

TEST_F(LoggerTest, IndentContinuationLinesSkipsTheFinalBreakAndLoneCrOrLf)
{
  EXPECT_EQ(IndentContinuationLines("a\r\nb\r\nc", ">", false), "a\r\n>b\r\n>c");
  EXPECT_EQ(IndentContinuationLines("a\r\nb\r\n", ">", false), "a\r\n>b\r\n");
  EXPECT_EQ(IndentContinuationLines("a\r\n\r\n", ">", false), "a\r\n>\r\n");
  EXPECT_EQ(IndentContinuationLines("a\rb\nc\n\r", ">", false), "a\rb\nc\n\r");
  EXPECT_EQ(IndentContinuationLines("\r\n", ">", false), "\r\n");
  EXPECT_EQ(IndentContinuationLines("a\r\nb", ">", true), ">a\r\n>b");
  EXPECT_EQ(IndentContinuationLines("", ">", true), ">");
}

TEST_F(LoggerTest, TimeStampHasDateBlankTimeAndNoTimeAtMidnight)
{
  SYSTEMTIME time = {};
  time.wYear = 2024;
  time.wMonth = 3;
  time.wDay = 5;
  char date[64] = "", clock[64] = "";
  ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, sizeof(date));
  EXPECT_EQ(FormatLogTimeStamp(time), date);

  time.wSecond = 1;
  ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, sizeof(clock));
  EXPECT_EQ(FormatLogTimeStamp(time), std::string(date) + " " + clock);
  EXPECT_EQ(LogTimeStamp().find('\t'), std::string::npos);
}

TEST_F(LoggerTest, LevelAboveThresholdLockedOrDeletedFile)
{
  logger.Threshold = 6;
  logger.Log(7, std::string(), "dropped\r\n");
  EXPECT_FALSE(PathExists(kLogPath));

  // Wine as root opens read-only files for writing, so a file that another
  // program holds without sharing stands for a log that cannot be written.
  ASSERT_TRUE(WriteBytes(kLogPath, "old\r\n", FILE_ATTRIBUTE_NORMAL));
  {
    CFile holder;
    ASSERT_TRUE(holder.Open(kLogPath.c_str(), GENERIC_READ, 0, OPEN_EXISTING));
    logger.Log(6, std::string(), "lost\r\n");
  }
  EXPECT_EQ(ReadBytes(kLogPath), "old\r\n");

  Remove();
  logger.Log(6, std::string(), "first\r\n");
  Remove();
  logger.Log(6, std::string(), "second\r\n");
  EXPECT_EQ(LogMessages(ReadBytes(kLogPath)), std::vector<std::string>{"second"});

  // A folder that does not exist: dropped as silently.
  TFileLogger nowhere("C:\\tests\\no such folder\\x.log");
  nowhere.Log(1, std::string(), "x\r\n");
  EXPECT_FALSE(PathExists("C:\\tests\\no such folder\\x.log"));
}

TEST_F(LoggerTest, AppendsWhileAViewerHoldsTheFileAndAReportNeedsALogger)
{
  logger.Threshold = 6;
  ReportTo(nullptr, "before any logger\r\n");
  EXPECT_FALSE(PathExists(kLogPath));

  ReportTo(&logger, "one");
  ASSERT_TRUE(PathExists(kLogPath));
  CFile viewer;
  ASSERT_TRUE(viewer.Open(kLogPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
  ReportTo(&logger, "two\r\nlines");
  viewer.Close();
  ReportTo(nullptr, "after");

  const std::string all = ReadBytes(kLogPath);
  EXPECT_EQ(LogMessages(all), (std::vector<std::string>{"one", "two\r\nlines"}));
  EXPECT_NE(all.find("\t6\t\ttwo\r\n\t\t\t\t\t\t\tlines\r\n"), std::string::npos);
}
