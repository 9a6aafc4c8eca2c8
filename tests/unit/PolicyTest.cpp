// The AutoPlay and start-at-logon boxes of the real main window for what Wine
// as root cannot produce: a user without administrator rights, and value
// writes that fail. The registry seam refuses them; everything else is real.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>
#include "WorkFiles.h"
#include "app/MainWindow.h"
#include "app/Program.h"
#include "app/ProductInfo.h"
#include "platform/Registry.h"

namespace
{
const char *const PolicyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer";
const char *const RunPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

struct TSeen
{
  HKEY Parent;
  std::string Path;
  REGSAM Access;
};
std::vector<TSeen> Seen;

bool IsFullAccessOpen(REGSAM access) { return access != KEY_SET_VALUE && access != DELETE && (access & KEY_SET_VALUE); }

LONG RecordAndRefuseMachineKeys(HKEY parent, const char *path, REGSAM access)
{
  Seen.push_back({parent, path ? path : "", access});
  return parent == HKEY_LOCAL_MACHINE && IsFullAccessOpen(access) ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
}
LONG RefuseValueWrites(HKEY, const char *, REGSAM access)
{
  return access == KEY_SET_VALUE ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
}
LONG RefuseMachineValueWrites(HKEY parent, const char *, REGSAM access)
{
  return parent == HKEY_LOCAL_MACHINE && access == KEY_SET_VALUE ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
}

// The machine's keys in the 64-bit view, where the program and the 64-bit shell
// read them: a 32-bit test in a 64-bit prefix would otherwise see Wow6432Node.
REGSAM ViewOf(HKEY root) { return root == HKEY_LOCAL_MACHINE ? KEY_WOW64_64KEY : 0; }

// "" for a missing value, else its type and data as text.
std::string ValueOf(HKEY root, const char *path, const char *name)
{
  CKey key;
  DWORD number = 0;
  std::string text;
  if (key.Open(root, path, KEY_READ | ViewOf(root)) != ERROR_SUCCESS)
    return "";
  if (key.QueryValue(name, number) == ERROR_SUCCESS)
    return "dword " + std::to_string(number);
  if (key.QueryValue(name, text) == ERROR_SUCCESS)
    return "sz " + text;
  return "";
}
void SetPolicy(HKEY root, DWORD value)
{
  CKey key;
  ASSERT_EQ(key.Create(root, PolicyPath, KEY_ALL_ACCESS | ViewOf(root)), ERROR_SUCCESS);
  ASSERT_EQ(key.SetValue("NoDriveTypeAutoRun", value), ERROR_SUCCESS);
}
void SetRunEntry(HKEY root, const std::string &data)
{
  CKey key;
  ASSERT_EQ(key.Create(root, RunPath, KEY_ALL_ACCESS | ViewOf(root)), ERROR_SUCCESS);
  ASSERT_EQ(key.SetValue("Mervane", data), ERROR_SUCCESS);
}
void ClearPolicies()
{
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
  {
    CKey key;
    if (key.Open(root, PolicyPath, KEY_ALL_ACCESS | ViewOf(root)) == ERROR_SUCCESS)
      key.DeleteValue("NoDriveTypeAutoRun");
    if (key.Open(root, RunPath, KEY_ALL_ACCESS | ViewOf(root)) == ERROR_SUCCESS)
      key.DeleteValue("Mervane");
  }
}

class PolicyTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ClearPolicies();
    Seen.clear();
    // Not a first run: the boxes show what the registry holds.
    ASSERT_TRUE(WriteBytes(IniPath(), "[General]\r\nFirstRun=0\r\n"));
  }
  void TearDown() override
  {
      program.reset();
    window = nullptr;
    // The window's end posts a quit message; it must not reach the next case.
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
    }
    ::DeleteFileA(IniPath().c_str());
    ClearPolicies();
  }
  static std::string IniPath() { return ResolveAppPaths(ProgramFilePath()).IniPath; }
  void Start(RegistryDenyHook hook)
  {
    TProgramSeams seams;
    seams.RegistryDeny = hook;
    program.reset(new TProgram(seams));
    ASSERT_TRUE(program->Start());
    window = program->MainWindow();
  }
  // A user's click, run through the box's handler.
  void Click(TMainWindowControl box) { window->SetChecked(box, !window->Checked(box)); }
  // Checked and enabled digits of the boxes.
  std::string Boxes(std::initializer_list<TMainWindowControl> boxes) const
  {
    std::string checked, enabled;
    for (TMainWindowControl box : boxes)
    {
      checked += window->Checked(box) ? '1' : '0';
      enabled += ::IsWindowEnabled(window->Control(box)) ? '1' : '0';
    }
    return checked + "/" + enabled;
  }
  std::string AutoPlay() const
  {
    return Boxes({AutoPlayCdRomBox, AutoPlayRemovableBox, AutoPlayFixedBox, AutoPlayRemoteBox, AutoPlayOtherBox});
  }
  std::string Startup() const { return Boxes({AnyUserLogonBox, CurrentUserLogonBox}); }
  std::unique_ptr<TProgram> program;
  TMainWindow *window = nullptr;
};
}

TEST_F(PolicyTest, WithoutAdministratorRightsOnlyTheUsersScopeIsWritten)
{
  SetPolicy(HKEY_LOCAL_MACHINE, 0x91);
  Start(RecordAndRefuseMachineKeys);
  EXPECT_EQ(AutoPlay(), "11101/11111");
  EXPECT_EQ(Startup(), "00/01");

  // The user's scope takes the click, and the boxes show the machine's value again.
  Click(AutoPlayRemoteBox);
  EXPECT_EQ(AutoPlay(), "11101/11111");
  Click(CurrentUserLogonBox);
  EXPECT_EQ(Startup(), "01/01");
  EXPECT_EQ(ValueOf(HKEY_CURRENT_USER, RunPath, "Mervane"), "sz \"" + ProgramFilePath() + "\"");
  EXPECT_EQ(ValueOf(HKEY_CURRENT_USER, PolicyPath, "NoDriveTypeAutoRun"), "dword 0");
  Click(CurrentUserLogonBox);
  EXPECT_EQ(Startup(), "00/01");
  EXPECT_EQ(ValueOf(HKEY_CURRENT_USER, RunPath, "Mervane"), "");
  EXPECT_EQ(ValueOf(HKEY_LOCAL_MACHINE, RunPath, "Mervane"), "");
  EXPECT_EQ(ValueOf(HKEY_LOCAL_MACHINE, PolicyPath, "NoDriveTypeAutoRun"), "dword 145");

  // Every machine key is asked for in the 64-bit view, reading and writing
  // both keys; the user's keys are not redirected and are asked for as they are.
  std::vector<std::string> machineOpens;
  for (const TSeen &seen : Seen)
  {
    if (seen.Access == KEY_SET_VALUE || seen.Access == DELETE)
      continue;
    if (seen.Parent == HKEY_LOCAL_MACHINE)
    {
      EXPECT_EQ(seen.Access & KEY_WOW64_64KEY, static_cast<REGSAM>(KEY_WOW64_64KEY)) << seen.Path;
      machineOpens.push_back(seen.Path + (IsFullAccessOpen(seen.Access) ? " full" : " read"));
    }
    else
      EXPECT_EQ(seen.Access & (KEY_WOW64_64KEY | KEY_WOW64_32KEY), 0u) << seen.Path;
  }
  for (const std::string &open : {std::string(PolicyPath) + " read", std::string(PolicyPath) + " full",
                                  std::string(RunPath) + " read", std::string(RunPath) + " full"})
    EXPECT_NE(std::find(machineOpens.begin(), machineOpens.end(), open), machineOpens.end()) << open;
}

TEST_F(PolicyTest, FailedWritesDisableTheAutoPlayBoxesAndLeaveBothEntries)
{
  SetPolicy(HKEY_LOCAL_MACHINE, 0x91);
  SetPolicy(HKEY_CURRENT_USER, 0x91);
  const std::string elsewhere = "\"C:\\Old\\Mervane.exe\"";
  SetRunEntry(HKEY_LOCAL_MACHINE, elsewhere);
  SetRunEntry(HKEY_CURRENT_USER, elsewhere);
  Start(RefuseValueWrites);

  // The user's entry could not be removed: its box ends cleared and disabled.
  EXPECT_EQ(AutoPlay(), "11101/00000");
  EXPECT_EQ(Startup(), "10/10");
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
  {
    EXPECT_EQ(ValueOf(root, PolicyPath, "NoDriveTypeAutoRun"), "dword 145");
    EXPECT_EQ(ValueOf(root, RunPath, "Mervane"), "sz " + elsewhere);
  }
}

TEST_F(PolicyTest, AMachineWriteThatFailsKeepsTheAutoPlayBoxesForTheUsersOne)
{
  SetPolicy(HKEY_LOCAL_MACHINE, 0x91);
  Start(RefuseMachineValueWrites);
  Click(AutoPlayRemoteBox);
  EXPECT_EQ(AutoPlay(), "11101/11111");
  EXPECT_EQ(ValueOf(HKEY_LOCAL_MACHINE, PolicyPath, "NoDriveTypeAutoRun"), "dword 145");
  EXPECT_EQ(ValueOf(HKEY_CURRENT_USER, PolicyPath, "NoDriveTypeAutoRun"), "dword 0");
}
