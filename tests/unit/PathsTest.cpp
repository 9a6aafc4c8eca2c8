#include <gtest/gtest.h>
#include <windows.h>
#include "app/AppPaths.h"
#include "platform/PathText.h"

TEST(Paths, SettingsAndLogFollowTheProgramFileName)
{
  AppPaths p = DeriveAppPaths("C:\\Program Files\\Mervane\\Guard.exe", "C:\\Users\\ann\\AppData\\Roaming");
  EXPECT_EQ(p.CommonIniPath, "C:\\Program Files\\Mervane\\Guard.ini");
  EXPECT_EQ(p.IniPath, "C:\\Users\\ann\\AppData\\Roaming\\Ostrel Software\\Mervane\\Guard.ini");
  EXPECT_EQ(p.LogPath, "C:\\Users\\ann\\AppData\\Roaming\\Ostrel Software\\Mervane\\Guard.log");

  // Without an application-data folder everything lies beside the program.
  p = DeriveAppPaths("C:\\Tools\\Mervane.exe", "");
  EXPECT_EQ(p.CommonIniPath, "C:\\Tools\\Mervane.ini");
  EXPECT_EQ(p.IniPath, "C:\\Tools\\Mervane.ini");
  EXPECT_EQ(p.LogPath, "C:\\Tools\\Mervane.log");
}

TEST(Paths, ExtensionIsTheLastDotOfTheFileNameOnly)
{
  EXPECT_EQ(ChangeFileExt("C:\\a.b\\prog", ".ini"), "C:\\a.b\\prog.ini");
  EXPECT_EQ(ChangeFileExt("C:\\a\\prog.v2.exe", ".ini"), "C:\\a\\prog.v2.ini");
  EXPECT_EQ(ExtractFileName("C:\\a\\prog.exe"), "prog.exe");
  EXPECT_EQ(ExtractFileName("C:prog.exe"), "prog.exe");
  EXPECT_EQ(DirectoryPartOf("C:\\a\\prog.exe"), "C:\\a\\");
  EXPECT_EQ(DirectoryPartOf("prog.exe"), "");
  EXPECT_EQ(DirectoryPartOf("E:Autorun.inf"), "E:");
}

TEST(Paths, ResolveCreatesTheSettingsFolder)
{
  const AppPaths p = ResolveAppPaths("C:\\tests\\Some.exe");
  ASSERT_NE(p.IniPath, p.CommonIniPath);
  const std::string folder = p.IniPath.substr(0, p.IniPath.size() - std::string("Some.ini").size());
  EXPECT_NE(folder.find("\\Ostrel Software\\Mervane\\"), std::string::npos);
  const DWORD attributes = ::GetFileAttributesA(folder.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
