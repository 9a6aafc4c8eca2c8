// The tray icon against Wine's real shell and real windows. Every call to the
// shell goes through the component's seam, which counts it and passes it on,
// or refuses it where a test needs the refusal Wine never gives.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include "platform/Window.h"
#include "shell/TrayIcon.h"

namespace
{
struct ShellCalls
{
  int adds = 0;
  int modifies = 0;
  int deletes = 0;
  bool refuse = false;
  NOTIFYICONDATAA last = {};
};
ShellCalls g_shell;

BOOL WINAPI CountingNotifyIcon(DWORD message, PNOTIFYICONDATAA data)
{
  if (message == NIM_ADD)
    ++g_shell.adds;
  else if (message == NIM_MODIFY)
    ++g_shell.modifies;
  else if (message == NIM_DELETE)
    ++g_shell.deletes;
  g_shell.last = NOTIFYICONDATAA{};
  std::memcpy(&g_shell.last, data, data->cbSize);
  return g_shell.refuse ? FALSE : ::Shell_NotifyIconA(message, data);
}

// The owner's own procedure: counts what reaches it. The owner is shown only
// where a case needs it: under Xvfb, Wine takes two seconds to hide a shown
// top-level window, and the shell as long to remove an icon.
int g_ownerSysCommands = 0;
int g_ownerPings = 0;
constexpr UINT kPing = WM_APP + 7;
LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == WM_SYSCOMMAND)
    ++g_ownerSysCommands;
  if (message == kPing)
  {
    ++g_ownerPings;
    return 0;
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

std::vector<std::string> g_reports;
void CollectReport(const std::string &text) { g_reports.push_back(text); }

HWND CreateOwner()
{
  WNDCLASSA wc = {};
  wc.lpfnWndProc = OwnerProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "TrayIconTestOwner";
  ::RegisterClassA(&wc);
  HWND owner = ::CreateWindowExA(0, wc.lpszClassName, "Tray icon test", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200,
                                 nullptr, nullptr, wc.hInstance, nullptr);
  return owner;
}

WNDPROC ProcOf(HWND hwnd) { return reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hwnd, GWLP_WNDPROC)); }

template <typename Action> int ErrorCodeOf(Action action, std::string &text)
{
  try
  {
    action();
  }
  catch (const ETrayIconError &e)
  {
    text = e.what();
    return e.Code;
  }
  return 0;
}

class TrayIcon : public ::testing::Test
{
protected:
  void SetUp() override
  {
    g_shell = ShellCalls();
    g_ownerSysCommands = 0;
    g_ownerPings = 0;
    g_reports.clear();
    owner = CreateOwner();
    ASSERT_NE(owner, nullptr);
    ASSERT_EQ(ProcOf(owner), &OwnerProc);
    // As the main window sets it up.
    tray.reset(new TStTrayIcon(owner, CountingNotifyIcon));
    tray->BeginLoading();
    tray->SetActive(false);
    tray->SetMinimizeToTray(true);
    tray->SetCloseToTray(false);
    tray->Loaded();
  }
  void TearDown() override
  {
    tray.reset();
    if (::IsWindow(owner))
      ::DestroyWindow(owner);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      ::DispatchMessageA(&msg);
  }
  LRESULT Callback(UINT mouseMessage)
  {
    return ::SendMessageA(tray->Handle(), kTrayIconCallbackMessage, kTrayIconId, mouseMessage);
  }

  HWND owner = nullptr;
  std::unique_ptr<TStTrayIcon> tray;
};
}

TEST_F(TrayIcon, RefusedAddThrowsLeavesActiveFalseAndARetryAddsWithTheOwnerHookedOnce)
{
  g_shell.refuse = true;
  std::string text;
  EXPECT_EQ(ErrorCodeOf([this] { tray->SetActive(true); }, text), kTrayErrorAdd);
  EXPECT_EQ(text, "Error adding tray icon");
  EXPECT_FALSE(tray->GetActive());
  EXPECT_FALSE(tray->InTray());
  EXPECT_NE(ProcOf(owner), &OwnerProc);

  g_shell.refuse = false;
  tray->SetActive(true);
  EXPECT_TRUE(tray->GetActive());
  EXPECT_TRUE(tray->InTray());
  EXPECT_EQ(g_shell.adds, 2);
  // Hooked twice, the hook would be its own previous procedure.
  ::SendMessageA(owner, kPing, 0, 0);
  EXPECT_EQ(g_ownerPings, 1);

  tray.reset();
  EXPECT_EQ(g_shell.deletes, 1);
  EXPECT_EQ(ProcOf(owner), &OwnerProc);
  ::SendMessageA(owner, kPing, 0, 0);
  EXPECT_EQ(g_ownerPings, 2);
}

TEST_F(TrayIcon, ActiveTwiceAddsOnceTheFirstFormOfTheRecordFromATopLevelHiddenWindow)
{
  tray->SetActive(true);
  tray->SetActive(true);
  EXPECT_EQ(g_shell.adds, 1);
  const NOTIFYICONDATAA &record = g_shell.last;
  EXPECT_EQ(record.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
  EXPECT_EQ(record.hWnd, tray->Handle());
  EXPECT_EQ(record.uID, 2u);
  EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(record.uCallbackMessage, 0x6FFu);
  // No icon set: the program's own, at the small size the notification area shows.
  ICONINFO info = {};
  ASSERT_TRUE(::GetIconInfo(record.hIcon, &info));
  BITMAP mask = {};
  ::GetObjectA(info.hbmMask, sizeof(mask), &mask);
  ::DeleteObject(info.hbmMask);
  if (info.hbmColor)
    ::DeleteObject(info.hbmColor);
  EXPECT_EQ(mask.bmWidth, ::GetSystemMetrics(SM_CXSMICON));
  EXPECT_EQ(::GetAncestor(tray->Handle(), GA_PARENT), ::GetDesktopWindow());
  EXPECT_FALSE(::IsWindowVisible(tray->Handle()));

  const HICON own = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_WARNING));
  tray->SetIcon(own);
  EXPECT_EQ(g_shell.modifies, 1);
  EXPECT_EQ(g_shell.last.hIcon, own);

  tray->SetActive(false);
  tray->SetActive(false);
  EXPECT_EQ(g_shell.deletes, 1);
  EXPECT_FALSE(tray->InTray());
  tray->SetIcon(nullptr);
  EXPECT_EQ(g_shell.modifies, 1);
}

TEST_F(TrayIcon, HintIsCutTo63CharactersAndAChangeWhileShownModifies)
{
  std::string hint;
  for (int i = 0; i < 70; ++i)
    hint += static_cast<char>('A' + i % 26);
  tray->SetActive(true);
  tray->SetHint(hint);
  EXPECT_EQ(g_shell.modifies, 1);
  EXPECT_EQ(std::string(g_shell.last.szTip), hint.substr(0, 63));
  EXPECT_EQ(tray->GetHint(), hint);
  tray->SetHint(hint);
  EXPECT_EQ(g_shell.modifies, 1);

  tray->SetShowHint(false);
  EXPECT_EQ(g_shell.modifies, 2);
  EXPECT_EQ(g_shell.last.uFlags & NIF_TIP, 0u);
  tray->SetHint("Without a tip shown");
  EXPECT_EQ(g_shell.modifies, 2);

  tray->SetShowHint(true);
  g_shell.refuse = true;
  std::string text;
  EXPECT_EQ(ErrorCodeOf([this] { tray->SetHint("Refused"); }, text), kTrayErrorModify);
  EXPECT_EQ(text, "Tray icon error");
  EXPECT_EQ(tray->GetHint(), "Refused");
}

TEST_F(TrayIcon, OnlyOneAtATimeAndTheOwnerMayGoFirst)
{
  std::string text;
  EXPECT_EQ(ErrorCodeOf([this] { TStTrayIcon second(owner); }, text), kTrayErrorSecond);
  EXPECT_EQ(text, "Cannot have more than one StTrayIcon per application");

  tray->SetActive(true);
  ::DestroyWindow(owner);
  tray.reset();
  owner = CreateOwner();
  tray.reset(new TStTrayIcon(owner, CountingNotifyIcon));
  EXPECT_TRUE(tray->GetActive());
}

TEST_F(TrayIcon, HiddenWindowAnswersZeroExceptTheEndOfSessionQuery)
{
  EXPECT_EQ(::SendMessageA(tray->Handle(), WM_QUERYENDSESSION, 0, 0), 1);
  EXPECT_EQ(::SendMessageA(tray->Handle(), WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(::IsWindow(tray->Handle()));
}

TEST_F(TrayIcon, ClicksAndDoubleClicksFollowTheirButtons)
{
  std::vector<std::string> calls;
  tray->OnClick = [&](TStCustomTrayIcon *sender, TMouseButton button, TShiftState)
  {
    EXPECT_EQ(sender, tray.get());
    calls.push_back("click " + std::to_string(button));
  };
  tray->OnDblClick = [&](TStCustomTrayIcon *, TMouseButton button, TShiftState shift, bool &restoreApp)
  {
    EXPECT_NE(shift & ssDouble, 0u);
    calls.push_back("double " + std::to_string(button));
    restoreApp = button != mbLeft;
  };
  tray->OnRestore = [&](TStCustomTrayIcon *) { calls.push_back("restore"); };
  tray->SetHideOnRestore(true);
  tray->SetPopupMenu(nullptr);
  tray->SetActive(true);

  for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP})
    EXPECT_EQ(Callback(message), 0);
  Callback(WM_LBUTTONDBLCLK);
  EXPECT_FALSE(::IsWindowVisible(owner));
  Callback(WM_MBUTTONDBLCLK);
  EXPECT_TRUE(::IsWindowVisible(owner));
  EXPECT_FALSE(tray->InTray());
  Callback(WM_RBUTTONDBLCLK);

  const std::vector<std::string> expected = {"click 0", "click 2", "double 0", "double 2", "restore",
                                             "double 1", "restore"};
  EXPECT_EQ(calls, expected);
}

TEST_F(TrayIcon, MinimizeHidesTheOwnerOnlyWhileActive)
{
  int minimizes = 0;
  tray->OnMinimize = [&](TStCustomTrayIcon *) { ++minimizes; };
  ::ShowWindow(owner, SW_SHOW);
  ::SendMessageA(owner, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(::IsIconic(owner));
  EXPECT_TRUE(::IsWindowVisible(owner));
  EXPECT_EQ(g_ownerSysCommands, 1);
  ::ShowWindow(owner, SW_RESTORE);

  tray->SetActive(true);
  // The low four bits of the command are the system's own.
  ::SendMessageA(owner, WM_SYSCOMMAND, SC_MINIMIZE | 2, 0);
  EXPECT_FALSE(::IsWindowVisible(owner));
  EXPECT_FALSE(::IsIconic(owner));
  EXPECT_EQ(minimizes, 1);
  EXPECT_EQ(g_ownerSysCommands, 1);

  ::ShowWindow(owner, SW_SHOW);
  tray->SetCloseToTray(true);
  ::SendMessageA(owner, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(::IsWindow(owner));
  EXPECT_FALSE(::IsWindowVisible(owner));
  EXPECT_EQ(g_ownerSysCommands, 1);
}

TEST_F(TrayIcon, OwnerMinimizedBeforeItsFirstNormalPositionGoesToTheTray)
{
  ::ShowWindow(owner, SW_MINIMIZE);
  tray->SetActive(true);
  ::SetWindowPos(owner, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  EXPECT_FALSE(::IsWindowVisible(owner));

  ::ShowWindow(owner, SW_RESTORE);
  EXPECT_TRUE(::IsWindowVisible(owner));
  ::ShowWindow(owner, SW_MINIMIZE);
  EXPECT_TRUE(::IsWindowVisible(owner));
  EXPECT_TRUE(::IsIconic(owner));
}

TEST_F(TrayIcon, TaskbarCreatedAddsAgainAndARefusalWaitsForTheNextMinimize)
{
  const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
  ::SendMessageA(tray->Handle(), taskbarCreated, 0, 0);
  EXPECT_EQ(g_shell.adds, 0);

  ::ShowWindow(owner, SW_SHOW);
  tray->SetActive(true);
  // A shell that starts again knows no icon; Wine's refuses to add one twice.
  NOTIFYICONDATAA known = g_shell.last;
  ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &known));
  ::SendMessageA(tray->Handle(), taskbarCreated, 0, 0);
  EXPECT_EQ(g_shell.adds, 2);
  EXPECT_TRUE(tray->InTray());

  tray->SetErrorReporter(CollectReport);
  g_shell.refuse = true;
  ::SendMessageA(tray->Handle(), taskbarCreated, 0, 0);
  EXPECT_EQ(g_shell.adds, 3);
  EXPECT_FALSE(tray->InTray());
  EXPECT_TRUE(g_reports.empty());

  // The owner stays rather than vanish without an icon; the failure is reported.
  EXPECT_EQ(::SendMessageA(owner, WM_SYSCOMMAND, SC_MINIMIZE, 0), 0);
  EXPECT_EQ(g_shell.adds, 4);
  EXPECT_TRUE(::IsWindowVisible(owner));
  EXPECT_FALSE(::IsIconic(owner));
  ASSERT_EQ(g_reports.size(), 1u);
  EXPECT_NE(g_reports[0].find("Error adding tray icon"), std::string::npos);
  EXPECT_EQ(g_ownerSysCommands, 0);
}
