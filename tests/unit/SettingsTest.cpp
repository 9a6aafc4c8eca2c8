#include <gtest/gtest.h>
#include "WorkFiles.h"
#include "exceptions/ExceptionRecords.h"
#include "settings/ExceptionEncoding.h"
#include "settings/Settings.h"
#include "platform/Profile.h"

namespace
{
struct Loaded
{
  TSettings record;
  std::vector<std::string> reports;
};

// A fresh record loaded as at start-up from files that hold `common` and `user`
// ("" for no file at all).
Loaded LoadFrom(const std::string &name, const std::string &common, const std::string &user)
{
  const std::string commonPath = WorkPath(name + "-common.ini"), userPath = WorkPath(name + ".ini");
  if (!common.empty())
    WriteBytes(commonPath, common);
  if (!user.empty())
    WriteBytes(userPath, user);
  Loaded loaded;
  ResetDefaults(loaded.record);
  LoadSettings(loaded.record, commonPath, userPath,
               [&loaded](const std::string &text) { loaded.reports.push_back(text); });
  return loaded;
}

std::string Value(const std::string &file, const char *key)
{
  std::string value;
  ReadProfileText(file, "General", key, value, "<none>");
  return value;
}

const char *const AllOn = "11111111111111111111";
const char *const Defaults = "00001111111111111111";
}

TEST(Settings, WithoutFilesTheDefaultsApplyAndTheFirstSaveWritesThem)
{
  Loaded loaded = LoadFrom("first", "", "");
  const TSettings &record = loaded.record;
  EXPECT_EQ(BehaviourText(record.Flags), Defaults);
  EXPECT_TRUE(record.RunMinimized);
  EXPECT_TRUE(record.FirstRun);
  EXPECT_EQ(record.Locked, 0);
  EXPECT_EQ(record.UserExceptions.Count() + record.CommonExceptions.Count(), 0u);
  EXPECT_TRUE(loaded.reports.empty());

  const std::string ini = WorkPath("first.ini");
  SaveSettings(record, ini);
  EXPECT_EQ(ReadBytes(ini), "[General]\r\nFirstRun=0\r\nRunMinimized=1\r\nBehaviour=00001111111111111111\r\n"
                            "RepairShortcuts=01000\r\nVaccinate=00000\r\nARNames=\r\nARBodies=\r\n");
  EXPECT_TRUE(record.FirstRun);
  EXPECT_FALSE(LoadFrom("first", "", "").record.FirstRun);
}

TEST(Settings, NumbersAreDecimalOrHexAndAnythingElseKeepsTheCurrentValue)
{
  Loaded loaded = LoadFrom("numbers", "[General]\r\nLocked=0x3\r\n",
                           "[General]\r\nFirstRun=0X0\r\nRunMinimized=abc\r\nLocked=4\r\n");
  EXPECT_EQ(loaded.record.Locked, LockSettings | LockQuit);
  EXPECT_FALSE(loaded.record.FirstRun);
  EXPECT_TRUE(loaded.record.RunMinimized);

  loaded = LoadFrom("numbers2", "[General]\r\nLocked=x3\r\n", "[General]\r\nFirstRun=7\r\nRunMinimized=0\r\n");
  EXPECT_EQ(loaded.record.Locked, 0);
  EXPECT_TRUE(loaded.record.FirstRun);
  EXPECT_FALSE(loaded.record.RunMinimized);

  loaded = LoadFrom("numbers3", "[General]\r\nLocked=12\r\n", "[General]\r\nRunMinimized=-1\r\nFirstRun=1.0\r\n");
  EXPECT_EQ(loaded.record.Locked, LockExceptions | NoTrayIcon);
  EXPECT_TRUE(loaded.record.RunMinimized);
  EXPECT_TRUE(loaded.record.FirstRun);

  loaded = LoadFrom("numbers4", "[General]\r\nLocked=0xFFFFFFFF\r\n", "");
  EXPECT_EQ(loaded.record.Locked, -1);
  loaded = LoadFrom("numbers5", "[General]\r\nLocked=0x100000000\r\n", "");
  EXPECT_EQ(loaded.record.Locked, 0);
}

TEST(Settings, UserBehaviourReplacesTheCommonOneEvenWhenAbsent)
{
  const std::string common = std::string("[General]\r\nBehaviour=") + AllOn + "\r\n";
  EXPECT_EQ(BehaviourText(LoadFrom("both", common, "[General]\r\nBehaviour=00000000000000000001\r\n").record.Flags),
            "00000000000000000001");
  EXPECT_EQ(BehaviourText(LoadFrom("commononly", common, "[General]\r\nFirstRun=0\r\n").record.Flags), Defaults);
}

// Each its own key, five digits, read as Behaviour is: the user's value replaces
// the common one unless the settings are locked; a bad one is said and ignored.
// Shortcut-worm repair comes on for sticks; vaccination is off for every kind.
TEST(Settings, KindSwitchesArePresetAndLockedLikeBehaviour)
{
  const struct
  {
    std::string Key;
    std::string (*Text)(const BehaviourFlags (&flags)[DriveKindCount]);
    const char *Default;
  } switches[] = {{"RepairShortcuts", RepairShortcutsText, "01000"}, {"Vaccinate", VaccinateText, "00000"}};
  for (const auto &s : switches)
  {
    SCOPED_TRACE(s.Key);
    EXPECT_EQ(s.Text(LoadFrom(s.Key + "-none", "", "").record.Flags), s.Default);
    const std::string user = "[General]\r\n" + s.Key + "=10101\r\n";
    const std::string common = "[General]\r\n" + s.Key + "=01110\r\n";
    EXPECT_EQ(s.Text(LoadFrom(s.Key + "-user", common, user).record.Flags), "10101");
    EXPECT_EQ(s.Text(LoadFrom(s.Key + "-preset", common, "[General]\r\nFirstRun=0\r\n").record.Flags), s.Default);
    Loaded locked = LoadFrom(s.Key + "-locked", "[General]\r\nLocked=1\r\n" + s.Key + "=01110\r\n", user);
    EXPECT_EQ(s.Text(locked.record.Flags), "01110");
    EXPECT_EQ(BehaviourText(locked.record.Flags), Defaults);
    Loaded bad = LoadFrom(s.Key + "-bad", "", "[General]\r\n" + s.Key + "=1x111\r\n");
    EXPECT_EQ(s.Text(bad.record.Flags), s.Default);
    EXPECT_EQ(bad.reports, std::vector<std::string>{s.Key + " value \"1x111\" is not valid and was ignored"});
  }
}

TEST(Settings, LockSettingsLeavesTheUserFilesRunMinimizedAndBehaviourAlone)
{
  const std::string user = "[General]\r\nRunMinimized=0\r\nBehaviour=00000000000000000000\r\nFirstRun=1\r\n";
  Loaded loaded = LoadFrom("locked", std::string("[General]\r\nLocked=1\r\nBehaviour=") + AllOn + "\r\n", user);
  TSettings &record = loaded.record;
  EXPECT_TRUE(record.IsLocked(LockSettings));
  EXPECT_TRUE(record.RunMinimized);
  EXPECT_EQ(BehaviourText(record.Flags), AllOn);
  EXPECT_EQ(BehaviourText(LoadFrom("locked2", "[General]\r\nLocked=1\r\n", user).record.Flags), Defaults);

  record.RunMinimized = false;
  record.Flags[dkFixed].InformUser = false;
  record.UserExceptions.Add("Disc A", EncodeBody("[autorun]\r\n"));
  const std::string ini = WorkPath("locked.ini");
  SaveSettings(record, ini);
  EXPECT_EQ(Value(ini, "RunMinimized"), "0");
  EXPECT_EQ(Value(ini, "Behaviour"), "00000000000000000000");
  EXPECT_EQ(Value(ini, "FirstRun"), "0");
  EXPECT_EQ(Value(ini, "ARNames"), "Disc A<<R2>><<N2>>");
  EXPECT_EQ(Value(ini, "ARBodies"), "[autorun]<<R>><<N>><<R2>><<N2>>");
}

TEST(Settings, LongExceptionListsSurviveSaveAndLoadWhole)
{
  TSettings record;
  ResetDefaults(record);
  for (int i = 0; i < 4000; ++i)
    record.UserExceptions.Add("Disc " + std::to_string(i),
                              EncodeBody("[autorun]\r\nopen=setup" + std::to_string(i) + ".exe\r\n"));
  record.UserExceptions.Add("", "");
  SaveSettings(record, WorkPath("long.ini"));

  Loaded loaded = LoadFrom("long", "", "");
  EXPECT_GT(Value(WorkPath("long.ini"), "ARBodies").size(), 100000u);
  EXPECT_EQ(loaded.record.UserExceptions.Names, record.UserExceptions.Names);
  EXPECT_EQ(loaded.record.UserExceptions.Bodies, record.UserExceptions.Bodies);
  EXPECT_TRUE(loaded.reports.empty());
}

TEST(Settings, OneFileForBothLoadsItsListsAsTheUsersOnly)
{
  const std::string ini = WorkPath("shared.ini");
  WriteBytes(ini, "[General]\r\nLocked=4\r\nBehaviour=00000000000000000000\r\nARNames=A<<R2>><<N2>>\r\n"
                  "ARBodies=x<<R>><<N>><<R2>><<N2>>\r\n");
  TSettings record;
  ResetDefaults(record);
  record.CommonExceptions.Add("stale", "stale");
  LoadSettings(record, "c:\\TESTS\\work\\SHARED.ini", ini, nullptr);
  EXPECT_EQ(record.Locked, LockExceptions);
  EXPECT_EQ(BehaviourText(record.Flags), "00000000000000000000");
  EXPECT_EQ(record.CommonExceptions.Count(), 0u);
  ASSERT_EQ(record.UserExceptions.Count(), 1u);

  AcceptCombinedExceptions(record, CombinedExceptions(record));
  SaveSettings(record, ini);
  EXPECT_EQ(Value(ini, "ARNames"), "A<<R2>><<N2>>");
}

TEST(Settings, UnpairedListEntriesAreDroppedAndReportedOncePerFile)
{
  Loaded loaded = LoadFrom("unpaired", "[General]\r\nARNames=C<<R2>><<N2>>\r\nARBodies=\r\n",
                           "[General]\r\nARNames=A<<R2>><<N2>>B<<R2>><<N2>>C<<R2>><<N2>>\r\n"
                           "ARBodies=a<<R2>><<N2>>b<<R2>><<N2>>\r\n");
  const ExceptionList &user = loaded.record.UserExceptions;
  EXPECT_EQ(user.Names, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(user.Bodies, (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(loaded.record.CommonExceptions.Names.empty());
  EXPECT_TRUE(loaded.record.CommonExceptions.Bodies.empty());
  ASSERT_EQ(loaded.reports.size(), 2u);
  EXPECT_NE(loaded.reports[0].find("unpaired-common.ini"), std::string::npos);
  EXPECT_NE(loaded.reports[1].find("3 names and 2 bodies"), std::string::npos);
}

TEST(Settings, SaveToAMissingFolderChangesNothing)
{
  TSettings record;
  ResetDefaults(record);
  const std::string folder = WorkPath("absent");
  SaveSettings(record, folder + "\\Mervane.ini");
  EXPECT_EQ(::GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Behaviour, TextHoldsOneDigitPerMemberInKindOrder)
{
  TSettings record;
  ResetDefaults(record);
  EXPECT_EQ(BehaviourText(record.Flags), Defaults);
  BehaviourFlags flags[DriveKindCount];
  flags[dkRemote].InformUser = true;
  flags[dkOther].DeleteAutorunAll = true;
  EXPECT_EQ(BehaviourText(flags), "00000000000001000001");

  ASSERT_TRUE(ParseBehaviourText("0100700000000000000100000", flags));
  EXPECT_EQ(BehaviourText(flags), "01001000000000000001");
  EXPECT_TRUE(flags[dkRemovable].RemoveMenuItems);

  for (const char *bad : {"1111", "", "0000000000000000000", "0000000000000000000x", "+0000000000000000000",
                          "000000000000000000 0"})
  {
    EXPECT_FALSE(ParseBehaviourText(bad, flags)) << bad;
    EXPECT_EQ(BehaviourText(flags), "01001000000000000001") << bad;
  }
}

TEST(Behaviour, AValueThatCannotBeConvertedIsIgnoredLoggedAndRewritten)
{
  Loaded loaded = LoadFrom("badbehaviour", "[General]\r\nBehaviour=00000000000000000000\r\n",
                           "[General]\r\nBehaviour=1111\r\nRunMinimized=0\r\nARNames=A<<R2>><<N2>>\r\n"
                           "ARBodies=a<<R2>><<N2>>\r\n");
  EXPECT_EQ(BehaviourText(loaded.record.Flags), Defaults);
  EXPECT_EQ(loaded.reports, (std::vector<std::string>{"Behaviour value \"1111\" is not valid and was ignored"}));
  EXPECT_FALSE(loaded.record.RunMinimized);
  EXPECT_EQ(loaded.record.UserExceptions.Count(), 1u);
  SaveSettings(loaded.record, WorkPath("badbehaviour.ini"));
  EXPECT_EQ(Value(WorkPath("badbehaviour.ini"), "Behaviour"), Defaults);

  loaded = LoadFrom("longbehaviour", "", "[General]\r\nBehaviour=0000000000000000700011111\r\n");
  EXPECT_TRUE(loaded.reports.empty());
  SaveSettings(loaded.record, WorkPath("longbehaviour.ini"));
  EXPECT_EQ(Value(WorkPath("longbehaviour.ini"), "Behaviour"), "00000000000000001000");

  // A huge value is quoted by its start only, or every start would grow the log by its size.
  const std::string huge = std::string(64, 'x') + std::string(1 << 20, '0');
  loaded = LoadFrom("hugebehaviour", "", "[General]\r\nBehaviour=" + huge + "\r\n");
  EXPECT_EQ(loaded.reports, std::vector<std::string>{"Behaviour value \"" + std::string(64, 'x') +
                                                     "...\" is not valid and was ignored"});
}

TEST(Settings, BlanksTabsAndQuotesAtEitherEndSurviveASaveAndALoad)
{
  TSettings record;
  ResetDefaults(record);
  record.UserExceptions.Add(" Disc A\t", EncodeBody("\t[autorun]\r\nopen=a.exe \r\n"));
  record.UserExceptions.Add("\"Quoted\"", EncodeBody(" [autorun]\t"));
  SaveSettings(record, WorkPath("blanks.ini"));
  Loaded loaded = LoadFrom("blanks", "", "");
  EXPECT_EQ(loaded.record.UserExceptions.Names, record.UserExceptions.Names);
  EXPECT_EQ(loaded.record.UserExceptions.Bodies, record.UserExceptions.Bodies);

  // The same for any value: one pair of quotes is what the reader takes off.
  const std::string ini = WorkPath("values.ini");
  for (const std::string value : {" a", "a\t", "\t \t", "\"q\"", "'q'", "\" q \"", "\"", "plain", "x \"y\" z", ""})
  {
    ASSERT_TRUE(WriteProfileText(ini, "General", "Key", value));
    EXPECT_EQ(Value(ini, "Key"), value);
  }
  WriteProfileText(ini, "General", "Key", "plain value");
  EXPECT_NE(ReadBytes(ini).find("Key=plain value\r\n"), std::string::npos);
}

TEST(Settings, AListTooLongToReadIsNeitherUsedNorWrittenBack)
{
  // One character more than can be read, followed by a list that can.
  const std::string names = std::string(MaxProfileValueLength - 11, 'n') + "<<R2>><<N2>>";
  const std::string user = "[General]\r\nARNames=" + names + "\r\nARBodies=b<<R2>><<N2>>\r\n";
  Loaded loaded = LoadFrom("toolong", "", user);
  EXPECT_EQ(loaded.record.UserExceptions.Names.size() + loaded.record.UserExceptions.Bodies.size(), 0u);
  EXPECT_EQ(loaded.reports, std::vector<std::string>{"Exception list in \"" + WorkPath("toolong.ini") +
                                                     "\" is too long to be read and was not loaded"});

  loaded.record.UserExceptions.Add("New", "new");
  SaveSettings(loaded.record, WorkPath("toolong.ini"));
  const std::string saved = ReadBytes(WorkPath("toolong.ini"));
  EXPECT_NE(saved.find("\r\nARNames=" + names + "\r\nARBodies=b<<R2>><<N2>>\r\n"), std::string::npos);
  EXPECT_NE(saved.find("\r\nFirstRun=0\r\n"), std::string::npos);
}
