// What the exceptions dialog decides by itself: which file names Add takes,
// and which entry is selected after Delete; the prompt's layout at a new dpi.
#include <gtest/gtest.h>
#include "exceptions/ExceptionsDialog.h"
#include "exceptions/DescriptionPrompt.h"
#include "exceptions/DescriptionPromptLayout.h"

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

// Moved to a monitor of 192 dpi, the prompt takes the place suggested and
// lays its controls out again at twice their size, in a font made for 192 dpi.
TEST(ExceptionsDialog, PromptLaysItselfOutAgainAtANewDpi)
{
  TDescriptionPrompt prompt;
  const HWND window = prompt.Handle();
  ASSERT_NE(window, nullptr);
  RECT suggested = {10, 20, 10 + 840, 20 + 250};
  ::SendMessageA(window, 0x02E0, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));

  RECT place;
  ::GetWindowRect(window, &place);
  EXPECT_EQ(place.left, 10);
  EXPECT_EQ(place.top, 20);
  EXPECT_EQ(place.right - place.left, 840);
  EXPECT_EQ(place.bottom - place.top, 250);
  for (size_t i = 0; i < DescriptionPromptControlCount; ++i)
  {
    const ChildControl &row = DescriptionPromptControls[i];
    const HWND control = ::GetDlgItem(window, row.Id);
    RECT r;
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT *>(&r), 2);
    EXPECT_EQ(r.left, 2 * row.Left) << row.Id;
    EXPECT_EQ(r.top, 2 * row.Top) << row.Id;
    EXPECT_EQ(r.right - r.left, 2 * row.Width) << row.Id;
    EXPECT_EQ(r.bottom - r.top, 2 * row.Height) << row.Id;
    LOGFONTA font = {};
    ASSERT_TRUE(::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)), sizeof(font), &font));
    EXPECT_EQ(font.lfHeight, -::MulDiv(DescriptionPromptFontPoints, 192, 72)) << row.Id;
  }
}
