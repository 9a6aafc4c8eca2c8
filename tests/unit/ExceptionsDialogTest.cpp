// What the exceptions dialog decides by itself: which file names Add takes,
// and which entry is selected after Delete.
#include <gtest/gtest.h>
#include "exceptions/Form2.h"

TEST(ExceptionsDialog, NameTestTakesAutorunInfInAnyCase)
{
  EXPECT_TRUE(IsAutorunInfName("E:\\Autorun.inf"));
  EXPECT_TRUE(IsAutorunInfName("E:\\sub\\autorun.INF"));
  EXPECT_TRUE(IsAutorunInfName("AUTORUN.INF"));
  EXPECT_TRUE(IsAutorunInfName("\\\\server\\share\\AutoRun.Inf"));
}

TEST(ExceptionsDialog, NameTestRefusesOtherNames)
{
  EXPECT_FALSE(IsAutorunInfName("E:\\Autorun.inf.txt"));
  EXPECT_FALSE(IsAutorunInfName("E:\\Autorun.inf "));
  EXPECT_FALSE(IsAutorunInfName("E:\\Autorun"));
  EXPECT_FALSE(IsAutorunInfName("E:\\Autorun.inf\\"));
  EXPECT_FALSE(IsAutorunInfName("E:\\MyAutorun.inf"));
  EXPECT_FALSE(IsAutorunInfName(""));
}

TEST(ExceptionsDialog, DeleteSelectsTheFollowingEntryElseTheFirst)
{
  // Three entries, the middle one deleted: the former third is now at 1.
  EXPECT_EQ(SelectionAfterDelete(1, 2), 1);
  EXPECT_EQ(SelectionAfterDelete(0, 2), 0);
  // The last of three deleted: back to the first.
  EXPECT_EQ(SelectionAfterDelete(2, 2), 0);
  // The only entry deleted: nothing.
  EXPECT_EQ(SelectionAfterDelete(0, 0), -1);
}
