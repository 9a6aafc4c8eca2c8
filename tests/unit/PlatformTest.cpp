#include <gtest/gtest.h>
#include <windows.h>
#include <stdexcept>
#include <vector>
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
