// The yardstick for the resident footprint: one hidden top-level window and a
// message loop, built and linked like the program.
#include <windows.h>

static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == WM_DESTROY || message == WM_USER + 1)
  {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
  WNDCLASSA wc = {};
  wc.lpfnWndProc = Procedure;
  wc.hInstance = instance;
  wc.lpszClassName = "MinimalWindow";
  ::RegisterClassA(&wc);
  ::CreateWindowExA(0, "MinimalWindow", "Minimal window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 424,
                    395, nullptr, nullptr, instance, nullptr);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
  {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return 0;
}
