#include <gtest/gtest.h>
#include "MervaneVersion.h"
#include "common/Messages.h"
#include "app/ProductInfo.h"

TEST(Messages, TableTextsAreExact)
{
  EXPECT_EQ(LoadMessage(1001), "Attention!\r\nThere is Autorun.inf file in %s!\r\nIt may be hidden but it is "
                               "there\r\nPlease check it's content - this can be a virus");
  EXPECT_EQ(LoadMessage(1002),
            "Do you really want to quit application?\r\nIf you want just hide this window press \"No\"");
  EXPECT_EQ(LoadMessage(1003), "ENU");
  EXPECT_EQ(LoadMessage(1014),
            "There was exception during icon creation after 120 retries.\r\nProgram will run without icon");
  EXPECT_EQ(LoadMessage(1016), "%s file listed in exceptions under name \"%s\" found");
  EXPECT_EQ(LoadMessage(1000), "");
  EXPECT_EQ(LoadMessage(1017), "This text contains <<R>>, <<N>>, <<R2>> or <<N2>> and cannot be stored");
  EXPECT_EQ(LoadMessage(1018), "The file is larger than 64 KB and cannot be added to the exception list");
  EXPECT_EQ(LoadMessage(1019), "Settings could not be saved to %s: %s");
  EXPECT_EQ(LoadMessage(1020), "Your change is in effect but could not be saved:\r\n%s\r\nMervane will try again "
                               "when it next saves its settings.");
  EXPECT_EQ(LoadMessage(1021), "Attention!\r\nThere are shortcut-worm traces in %s!\r\nIts shortcuts start a hidden "
                               "program and it hides your files and folders");
  EXPECT_EQ(LoadMessage(1025), "Cannot repair all shortcut-worm damage. DANGER!!!");
  EXPECT_EQ(LoadMessage(1026), "Quarantine");
  EXPECT_EQ(LoadMessage(1046), "%s bytes");
  EXPECT_EQ(LoadMessage(1048), "Cannot vaccinate %s");
  EXPECT_EQ(LoadMessage(1053), "");
}

TEST(Messages, FormatTakesArgumentsInOrderAsData)
{
  EXPECT_EQ(FormatText(LoadMessage(1016), {"E:\\Autorun.inf", "Disc %s A"}),
            "E:\\Autorun.inf file listed in exceptions under name \"Disc %s A\" found");
  EXPECT_EQ(FormatText("%s and %s", {"x"}), "x and ");
  EXPECT_EQ(FormatText("100%% %d", {}), "100% %d");
}

TEST(Messages, WindowTitleCarriesTheFileVersion)
{
  EXPECT_EQ(FileVersionText(), MERVANE_VERSION_TEXT);
  EXPECT_EQ(WindowTitle(), "OSTREL(R) Mervane " MERVANE_VERSION_TEXT);
}
