// The yardstick for the resident footprint: one hidden top-level window and a
// message loop, built and linked like the program. With "thread" on its
// command line it first runs and ends one short thread, as the program's
// start-up scan does on its drive workers: Wine keeps a 1 MiB user stack and
// a 1 MiB kernel stack committed for the last thread that ended, a cost of
// Wine's and not of the program's, which the plain yardstick would count
// against it.
#include <windows.h>
#include <string.h>

static DWORD WINAPI ShortThread(LPVOID) { return 0; }

static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == WM_DESTROY || message == WM_USER + 1)
  {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
  if (strstr(commandLine, "thread"))
  {
    HANDLE thread = ::CreateThread(nullptr, 256 * 1024, ShortThread, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION,
                                   nullptr);
    if (thread)
    {
      ::WaitForSingleObject(thread, INFINITE);
      ::CloseHandle(thread);
    }
  }
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
