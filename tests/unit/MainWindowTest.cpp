// The real main window in this process, with real shell reports raised by
// SHChangeNotify here (Wine delivers only a process's own reports): what
// arrives after start-up reaches the drive check through the window's handlers.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <functional>
#include <memory>
#include "ProtectionTestSupport.h"
#include "app/MainWindow.h"
#include "common/Messages.h"
#include "app/Program.h"
#include "app/ProductInfo.h"
#include "app/Windowtools.h"
#include "platform/Handle.h"
#include "platform/Profile.h"
#include "protection/MenuCache.h"
#include "shell/TrayIcon.h"

using namespace testsupport;

namespace
{
// Runs the window's messages until `done` holds or `rounds` of about 10 ms pass.
bool PumpUntil(const std::function<bool()> &done, int rounds = 1000)
{
  for (int i = 0; i < rounds; ++i)
  {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    if (done())
      return true;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return done();
}

// The window's end posts a quit message; left queued it would close the next
// test's first message box at once.
void DropQueuedMessages()
{
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
  {
  }
}

// The settings file the window loads at start and saves at its end.
std::string UserIniPath() { return ResolveAppPaths(ProgramFilePath()).IniPath; }

// The notification area as the fixture's program sees it: the real one, or
// one that refuses every icon.
bool g_refuseIcons = false;
BOOL WINAPI FixtureIcon(DWORD message, PNOTIFYICONDATAA data)
{
  return g_refuseIcons ? FALSE : ::Shell_NotifyIconA(message, data);
}

class MainWindowTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    // A case that changes the settings must not hand them to the next one.
    ::DeleteFileA(UserIniPath().c_str());
    EmptyFolder("E:\\");
    EmptyFolder("I:\\");
    g_refuseIcons = false;
    TProgramSeams seams;
    seams.NotifyIcon = FixtureIcon;
    program.reset(new TProgram(seams));
    ASSERT_TRUE(program->Start());
    window = program->MainWindow();
    // The start-up scan runs on, beside the window; a case's files come after it.
    ASSERT_TRUE(PumpUntil([&] { return program->DriveChecksPending() == 0; }));
  }
  void TearDown() override
  {
    const std::string log = ResolveAppPaths(ProgramFilePath()).LogPath;
    program.reset();
    DropQueuedMessages();
    ::DeleteFileA(UserIniPath().c_str());
    EmptyFolder("E:\\");
    EmptyFolder("I:\\");
    DeleteKeyTree(kMountPoints2 + VolumeIdOf("E:\\"));
    ::DeleteFileA(log.c_str());
  }
  std::vector<std::string> Logged() const { return LogMessages(ReadBytes(program->Paths().LogPath)); }
  // E:'s Autorun.inf deleted on a worker, its note still queued.
  void CheckWithoutTakingTheResult()
  {
    program->Settings().Flags[dkRemovable] = BehaviourFlags{false, false, true, false};
    ASSERT_TRUE(WriteBytes("E:\\Autorun.inf", "[autorun]\r\n"));
    program->InspectRoot("E:\\");
    for (int i = 0; i < 1000 && program->DriveChecksPending() > 0; ++i)
      ::Sleep(10);
    ASSERT_EQ(program->DriveChecksPending(), 0u);
  }
  static std::string DeletedEntry()
  {
    return FormatText(LoadMessage(IDS_AUTORUN_FOUND), {"E:\\"}) + "\r\n\r\nE:\\Autorun.inf file was deleted";
  }
  std::unique_ptr<TProgram> program;
  TMainWindow *window = nullptr;
};
}

LRESULT CALLBACK RefuseMainWindow(int code, WPARAM wParam, LPARAM lParam)
{
  if (code == HCBT_CREATEWND)
  {
    const LPCSTR name = reinterpret_cast<CBT_CREATEWNDA *>(lParam)->lpcs->lpszClass;
    if (!IS_INTRESOURCE(name) && std::string(name) == "TForm1")
      return 1;
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(MainWindow, WithoutItsWindowNothingStartsAndNothingIsSaved)
{
  ::DeleteFileA(UserIniPath().c_str());
  const HHOOK hook = ::SetWindowsHookExA(WH_CBT, RefuseMainWindow, nullptr, ::GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  {
    TProgram program;
    EXPECT_FALSE(program.Start());
    EXPECT_FALSE(program.MainWindow()->Created());
    EXPECT_FALSE(program.IsFirstInstance());
  }
  ::UnhookWindowsHookEx(hook);
  EXPECT_FALSE(PathExists(UserIniPath()));
  CHandle mutex(::CreateMutexA(nullptr, FALSE, "MervaneMutexObject"));
  EXPECT_NE(::GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
}

TEST_F(MainWindowTest, AMediumInsertedAfterStartUpIsCleaned)
{
  const size_t before = Logged().size();
  ASSERT_TRUE(WriteBytes("E:\\Autorun.inf", "[autorun]\r\nopen=x.exe\r\n", FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(WriteBytes("E:\\AUTORUN.EXE", "MZ"));
  ASSERT_TRUE(WriteBytes("E:\\keep.txt", "keep"));
  const std::string cacheKey = kMountPoints2 + VolumeIdOf("E:\\");
  ASSERT_TRUE(MakeKey(cacheKey + "\\Shell\\AutoRun"));

  BoxWatcher watcher;
  ::SHChangeNotify(SHCNE_MEDIAINSERTED, SHCNF_PATHA, "E:\\", nullptr);
  ASSERT_TRUE(PumpUntil([&] { return Logged().size() > before; }));
  const std::vector<std::string> boxes = watcher.Stop();

  EXPECT_FALSE(PathExists("E:\\Autorun.inf"));
  EXPECT_FALSE(PathExists("E:\\AUTORUN.EXE"));
  EXPECT_TRUE(PathExists("E:\\keep.txt"));
  EXPECT_EQ(SubKeyCount(cacheKey), 0);
  const std::vector<std::string> logged = Logged();
  ASSERT_EQ(logged.size(), before + 1);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], logged.back());
  EXPECT_EQ(boxes[0].find("Attention!\r\nThere is Autorun.inf file in E:\\!"), 0u);
}

TEST_F(MainWindowTest, EachDriveReportIsOneCheckAndOthersNone)
{
  // Warn only, so the file stays for every report.
  program->Settings().Flags[dkRemovable] = BehaviourFlags{false, true, false, false};
  program->Settings().Flags[dkFixed] = BehaviourFlags{false, true, false, false};
  ASSERT_TRUE(WriteBytes("E:\\Autorun.inf", "[autorun]\r\n"));
  ::CreateDirectoryA("I:\\Share", nullptr);
  ASSERT_TRUE(WriteBytes("I:\\Share\\Autorun.inf", "[autorun]\r\n"));
  const size_t before = Logged().size();

  BoxWatcher watcher;
  // Ignored kinds first: had they been checked, E: would have more entries.
  ::SHChangeNotify(SHCNE_MEDIAREMOVED, SHCNF_PATHA, "E:\\", nullptr);
  ::SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA, "E:\\", nullptr);
  ::SHChangeNotify(SHCNE_DRIVEADD, SHCNF_PATHA, "E:\\", nullptr);
  ::SHChangeNotify(SHCNE_DRIVEADDGUI, SHCNF_PATHA, "E:\\", nullptr);
  ::SHChangeNotify(SHCNE_NETSHARE, SHCNF_PATHA, "I:\\Share", nullptr);
  ASSERT_TRUE(PumpUntil([&] { return program->DriveChecksPending() == 0 && Logged().size() >= before + 3; }));
  const std::vector<std::string> boxes = watcher.Stop();

  // The drives are checked side by side: only each drive's own order holds.
  const std::vector<std::string> logged = Logged();
  ASSERT_EQ(logged.size(), before + 3);
  ASSERT_EQ(boxes.size(), 3u);
  int onE = 0, onShare = 0;
  for (size_t i = 0; i < 3; ++i)
  {
    EXPECT_EQ(boxes[i], logged[before + i]);
    onE += boxes[i].find("in E:\\!") != std::string::npos;
    onShare += boxes[i].find("in I:\\Share!") != std::string::npos;
  }
  EXPECT_EQ(onE, 2);
  EXPECT_EQ(onShare, 1);
  EXPECT_TRUE(PathExists("E:\\Autorun.inf"));
}

TEST_F(MainWindowTest, WithoutATaskbarTheIconIsGivenUpOnceAfter121Tries)
{
  g_refuseIcons = true;
  const size_t before = Logged().size();
  BoxWatcher watcher(WindowTitle());
  // The ticks of two minutes, sent at once; the window's own timer may add one.
  for (int tick = 0; tick < 121 && watcher.Seen() == 0; ++tick)
    ::SendMessageA(window->Handle(), WM_TIMER, 1, 0);
  ASSERT_TRUE(PumpUntil([&] { return watcher.Seen() == 1; }));
  const std::vector<std::string> boxes = watcher.Stop();
  const std::string text = LoadMessage(IDS_NO_TRAY_ICON);
  EXPECT_EQ(boxes, std::vector<std::string>{text});
  const std::vector<std::string> logged = Logged();
  ASSERT_EQ(logged.size(), before + 1);
  EXPECT_EQ(logged.back(), text);
}

namespace
{
int g_iconAdds = 0;
BOOL WINAPI CountIconAdds(DWORD message, PNOTIFYICONDATAA data)
{
  g_iconAdds += message == NIM_ADD;
  return ::Shell_NotifyIconA(message, data);
}
}

TEST(MainWindow, NoTrayIconKeepsTheIconAwayAndTheTimerStill)
{
  const std::string common = ResolveAppPaths(ProgramFilePath()).CommonIniPath;
  ASSERT_TRUE(WriteBytes(common, "[General]\r\nLocked=8\r\n"));
  g_iconAdds = 0;
  {
    TProgramSeams seams;
    seams.NotifyIcon = CountIconAdds;
    TProgram program(seams);
    ASSERT_TRUE(program.Start());
    PumpUntil([] { return false; }, 150);
  }
  DropQueuedMessages();
  ::DeleteFileA(common.c_str());
  ::DeleteFileA(UserIniPath().c_str());
  EXPECT_EQ(g_iconAdds, 0);
}

TEST(MainWindow, AUserListTooLongToReadCannotBeEditedAway)
{
  const std::string ini = UserIniPath();
  ASSERT_TRUE(WriteBytes(ini, "[General]\r\nARNames=" + std::string(MaxProfileValueLength + 1, 'n') +
                                  "\r\nARBodies=\r\n"));
  {
    TProgram program;
    ASSERT_TRUE(program.Start());
    EXPECT_FALSE(::IsWindowEnabled(program.MainWindow()->Control(ExceptionsButton)));
    EXPECT_TRUE(::IsWindowEnabled(program.MainWindow()->Control(DefaultValuesButton)));
  }
  DropQueuedMessages();
  ::DeleteFileA(ini.c_str());
  ::DeleteFileA(ResolveAppPaths(ProgramFilePath()).LogPath.c_str());
}

namespace
{
int WINAPI Frames3(int) { return 3; }
int WINAPI Frames4(int) { return 4; }
}

TEST(MainWindow, OuterSizeFollowsThePlatformsDialogFrame)
{
  TCreateParams params;
  params.Width = 430;
  params.Height = 420;
  AdjustFormSize(bsSingle, params, Frames3);
  EXPECT_EQ(params.Width, 430);
  EXPECT_EQ(params.Height, 420);
  AdjustFormSize(bsSingle, params, Frames4);
  EXPECT_EQ(params.Width, 432);
  EXPECT_EQ(params.Height, 421);
  AdjustFormSize(bsNone, params, Frames4);
  AdjustFormSize(bsSizeable, params, Frames4);
  EXPECT_EQ(params.Width, 432);
}

// A check that finished while nobody took its result (the note that it is
// ready still queued) is logged when the session ends, where Windows may end
// the process without destroying the window and the gate to the program's
// own files closes, and likewise at the end of the program.
TEST_F(MainWindowTest, FinishedChecksAreLoggedWhenTheSessionOrTheProgramEnds)
{
  const std::string entry = DeletedEntry();
  const auto checkWithoutTakingIt = [&] { CheckWithoutTakingTheResult(); };

  size_t before = Logged().size();
  checkWithoutTakingIt();
  EXPECT_EQ(Logged().size(), before);
  ::SendMessageA(window->Handle(), WM_ENDSESSION, TRUE, 0);
  std::vector<std::string> logged = Logged();
  ASSERT_EQ(logged.size(), before + 1);
  EXPECT_EQ(logged.back(), entry);

  program.reset();
  DropQueuedMessages();
  program.reset(new TProgram(TProgramSeams()));
  ASSERT_TRUE(program->Start());
  window = program->MainWindow();
  ASSERT_TRUE(PumpUntil([&] { return program->DriveChecksPending() == 0; }));
  before = Logged().size();
  checkWithoutTakingIt();
  const std::string log = program->Paths().LogPath;
  program.reset();
  logged = LogMessages(ReadBytes(log));
  ASSERT_EQ(logged.size(), before + 1);
  EXPECT_EQ(logged.back(), entry);
}

// A modal loop that ends may drop the note that a check is done; the
// program's own loop takes the result at the next message all the same.
TEST_F(MainWindowTest, AResultWhoseNoteWasDroppedIsTakenByTheMessageLoop)
{
  CheckWithoutTakingTheResult();
  DropQueuedMessages();
  const size_t before = Logged().size();
  ::PostMessageA(window->Handle(), WM_NULL, 0, 0);
  ::PostQuitMessage(0);
  program->Run();
  const std::vector<std::string> logged = Logged();
  ASSERT_EQ(logged.size(), before + 1);
  EXPECT_EQ(logged.back(), DeletedEntry());
}

namespace
{
std::vector<std::string> MenuCaptions(HMENU menu)
{
  std::vector<std::string> captions;
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i)
  {
    char text[100] = "";
    ::GetMenuStringA(menu, i, text, sizeof(text), MF_BYPOSITION);
    captions.push_back(*text ? text : "-");
  }
  return captions;
}
}

// With the switch on, a stick is vaccinated after the check of a medium
// inserted, never after one of its being shared. Opened, the tray menu offers
// both items for each removable drive present; "Remove vaccine" takes it off.
TEST_F(MainWindowTest, VaccinesAfterAChecksButNotASharesAndTheTrayMenuOffersBothItems)
{
  program->Settings().Flags[dkRemovable].Vaccinate = true;
  const size_t before = Logged().size();
  BoxWatcher watcher;
  // One drive's checks run in the order they came: the share's is done before the question.
  program->InspectRoot("E:\\", true);
  program->VaccineByHand("E:\\", vdRemove);
  ASSERT_TRUE(PumpUntil([&] { return watcher.Seen() == 1; }));
  EXPECT_EQ(watcher.Stop(), std::vector<std::string>{"E:\\ holds no vaccine that Mervane can remove"});
  ::SHChangeNotify(SHCNE_MEDIAINSERTED, SHCNF_PATHA, "E:\\", nullptr);
  ASSERT_TRUE(PumpUntil([&] { return Logged().size() > before; }));
  EXPECT_EQ(Logged().back(), "E:\\ was vaccinated: no Autorun.inf file can be written there");

  const HMENU menu = window->TrayMenu();
  for (int opened = 0; opened < 2; ++opened)
  {
    ::SendMessageA(window->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    EXPECT_EQ(MenuCaptions(menu),
              (std::vector<std::string>{"Show window", "Quarantine...", "-", "Vaccinate drive E:",
                                        "Remove vaccine from E:", "Vaccinate drive K:", "Remove vaccine from K:",
                                        "-", "Quit"}));
  }
  ::SendMessageA(window->Handle(), WM_COMMAND, RemoveVaccineItems + 4, 0);
  ASSERT_TRUE(PumpUntil([&] { return Logged().size() > before + 1; }));
  EXPECT_FALSE(PathExists("E:\\AUTORUN.INF"));
}
