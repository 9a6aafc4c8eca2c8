// A save replaces the settings file in one step: one that fails at any step
// leaves the file as it was and no copy behind, and says why.
#include <gtest/gtest.h>
#include "WorkFiles.h"
#include "platform/Text.h"
#include "settings/ExceptionEncoding.h"
#include "settings/Settings.h"

namespace
{
// As a user or an administrator may leave it: a comment, blanks around "=",
// a key the program does not write, a line without "=", another section.
const std::string Existing = "; mine\r\n[General]\r\nRunMinimized = 1\r\nLocked=4\r\nOdd line\r\n"
                             "ARNames=A<<R2>><<N2>>\r\nARBodies=a<<R2>><<N2>>\r\n[Other]\r\nKey=\"quoted \"\r\n";
// The same after the save of Changed(): the values in place, the new ones at
// the end of the section, everything else as it was.
const std::string Saved = "; mine\r\n[General]\r\nRunMinimized=0\r\nLocked=4\r\nOdd line\r\n"
                          "ARNames=A<<R2>><<N2>> Disc B <<R2>><<N2>>\r\n"
                          "ARBodies=a<<R2>><<N2>>[autorun]<<R>><<N>>open=b.exe<<R>><<N>><<R2>><<N2>>\r\n"
                          "FirstRun=0\r\nBehaviour=00001111111111111111\r\nRepairShortcuts=01000\r\nVaccinate=00000\r\n[Other]\r\nKey=\"quoted \"\r\n";

TSettings Changed()
{
  TSettings record;
  ResetDefaults(record);
  record.RunMinimized = false;
  record.UserExceptions.Add("A", "a");
  record.UserExceptions.Add(" Disc B ", EncodeBody("[autorun]\r\nopen=b.exe\r\n"));
  return record;
}

bool Exists(const std::string &path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Failures of the steps that nothing here can make fail.
bool FlushFails(const std::string &)
{
  ::SetLastError(ERROR_IO_DEVICE);
  return false;
}

// A scanner that opens the new file as it appears holds it while the replace
// fails, so that it cannot be removed either.
CFile ScannerHold;
bool ReplaceFailsWhileHeld(const std::string &replacement, const std::string &)
{
  ScannerHold.Open(replacement.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ::SetLastError(ERROR_NOT_SAME_DEVICE);
  return false;
}
} // namespace

TEST(SettingsSave, AFailedStepLeavesTheFileAsItWasAndTheNextSaveWritesItWhole)
{
  const std::string ini = WorkPath("steps.ini"), copy = ini + ".new";
  WriteBytes(ini, Existing);

  const SaveResult flushed = SaveSettings(Changed(), ini, FileReplaceSteps{FlushFails, SystemReplaceSteps.Replace});
  EXPECT_FALSE(flushed.Saved());
  EXPECT_EQ(flushed.File, ini);
  EXPECT_EQ(flushed.Error, static_cast<unsigned long>(ERROR_IO_DEVICE));
  EXPECT_EQ(flushed.Reason(), SystemErrorText(ERROR_IO_DEVICE));
  EXPECT_EQ(ReadBytes(ini), Existing);
  EXPECT_FALSE(Exists(copy));

  // The file held open without sharing its deletion cannot be replaced, for real.
  {
    CFile holder;
    ASSERT_TRUE(holder.Open(ini.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    const SaveResult held = SaveSettings(Changed(), ini);
    EXPECT_FALSE(held.Saved());
    EXPECT_FALSE(held.Reason().empty());
  }
  EXPECT_EQ(ReadBytes(ini), Existing);
  EXPECT_FALSE(Exists(copy));

  const SaveResult saved = SaveSettings(Changed(), ini);
  EXPECT_TRUE(saved.Saved());
  EXPECT_EQ(ReadBytes(ini), Saved);
  EXPECT_FALSE(Exists(copy));
}

TEST(SettingsSave, ACopyLeftBehindIsNeverReadAndGoesAtTheNextSave)
{
  const std::string ini = WorkPath("leftover.ini"), copy = ini + ".new";
  WriteBytes(ini, Existing);
  WriteBytes(copy, "[General]\r\nFirstRun=0\r\nRunMinimized=0\r\nARNames=\r\nARBodies=\r\n",
             FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  TSettings record;
  ResetDefaults(record);
  LoadSettings(record, WorkPath("leftover-common.ini"), ini, nullptr);
  EXPECT_TRUE(record.FirstRun);
  EXPECT_TRUE(record.RunMinimized);
  EXPECT_EQ(record.UserExceptions.Count(), 1u);

  const SaveResult failed = SaveSettings(Changed(), ini, FileReplaceSteps{SystemReplaceSteps.FlushToDisk,
                                                                          ReplaceFailsWhileHeld});
  EXPECT_EQ(failed.Error, static_cast<unsigned long>(ERROR_NOT_SAME_DEVICE));
  EXPECT_EQ(ReadBytes(ini), Existing);
  ScannerHold.Close();
  EXPECT_TRUE(Exists(copy));

  EXPECT_TRUE(SaveSettings(Changed(), ini).Saved());
  EXPECT_EQ(ReadBytes(ini), Saved);
  EXPECT_FALSE(Exists(copy));
}
