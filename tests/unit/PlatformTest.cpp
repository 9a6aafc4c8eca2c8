#include <gtest/gtest.h>
#include <windows.h>
#include <stdexcept>
#include <vector>
#include <thread>
#include "platform/ErrorModeScope.h"
#include "platform/Window.h"

namespace
{
std::vector<std::string> g_reported;
void Collect(const std::string &text) { g_reported.push_back(text); }

class ThrowingWindow : public CWindow
{
public:
  ThrowingWindow() { CreateFor("ThrowingWindow", "", WS_OVERLAPPEDWINDOW, 0, 0, 0, 100, 100, nullptr); }

protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
  {
    if (message == WM_CLOSE || message == WM_QUERYENDSESSION)
      throw std::runtime_error("handler failed");
    return DefaultHandling(message, wParam, lParam);
  }
};
}

TEST(Platform, AFailedMessageIsReportedAndAnsweredWithoutDefaultHandling)
{
  g_reported.clear();
  ThrowingWindow window;
  window.SetErrorReporter(Collect);
  ASSERT_TRUE(::IsWindow(window.Handle()));
  // Default handling of WM_CLOSE would destroy the window.
  EXPECT_EQ(::SendMessageA(window.Handle(), WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(::IsWindow(window.Handle()));
  EXPECT_EQ(::SendMessageA(window.Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_EQ(g_reported, (std::vector<std::string>{
                            "Window message 0x0010 to ThrowingWindow failed and was dropped: handler failed",
                            "Window message 0x0011 to ThrowingWindow failed and was dropped: handler failed"}));
}

namespace
{
UINT ModeBy(const char *function)
{
  const auto get = reinterpret_cast<UINT(WINAPI *)()>(
      reinterpret_cast<void *>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), function)));
  return get ? get() & SEM_FAILCRITICALERRORS : 0xFFFF;
}
}

// Drive workers enter and leave their scopes at any time: one thread's end
// of a scope never switches the "insert a disk" box on for another that is
// still inside its own, by the thread's mode or by the counted process mode.
TEST(Platform, ErrorModeScopesOfTwoThreadsLeaveEachOtherAlone)
{
  {
    CErrorModeScope outer;
    std::thread([] { CErrorModeScope inner; }).join();
    EXPECT_EQ(ModeBy("GetThreadErrorMode"), static_cast<UINT>(SEM_FAILCRITICALERRORS));
  }
  EXPECT_EQ(ModeBy("GetThreadErrorMode"), 0u);

  EnterProcessErrorMode();
  std::thread([] {
    EnterProcessErrorMode();
    LeaveProcessErrorMode();
  }).join();
  EXPECT_EQ(ModeBy("GetErrorMode"), static_cast<UINT>(SEM_FAILCRITICALERRORS));
  LeaveProcessErrorMode();
  EXPECT_EQ(ModeBy("GetErrorMode"), 0u);
}
