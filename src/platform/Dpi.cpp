// The functions of later versions are declared here only to check the types
// taken with GetProcAddress against them; nothing imports them.
#undef WINVER
#undef _WIN32_WINNT
#define WINVER 0x0A00
#define _WIN32_WINNT 0x0A00
#include "Dpi.h"
#include "SystemFunction.h"
#include <type_traits>

namespace
{
using GetDpiForWindowFn = UINT(WINAPI *)(HWND);
using GetDpiForSystemFn = UINT(WINAPI *)();
using GetSystemMetricsForDpiFn = int(WINAPI *)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI *)(RECT *, DWORD, BOOL, DWORD, UINT);
static_assert(std::is_same<GetDpiForWindowFn, decltype(&::GetDpiForWindow)>::value, "");
static_assert(std::is_same<GetDpiForSystemFn, decltype(&::GetDpiForSystem)>::value, "");
static_assert(std::is_same<GetSystemMetricsForDpiFn, decltype(&::GetSystemMetricsForDpi)>::value, "");
static_assert(std::is_same<AdjustWindowRectExForDpiFn, decltype(&::AdjustWindowRectExForDpi)>::value, "");

template <class Fn> Fn User32Function(const char *name) { return SystemFunction<Fn>("user32.dll", name); }

int ScreenDpi()
{
  const HDC screen = ::GetDC(nullptr);
  if (!screen)
    return DesignDpi;
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : DesignDpi;
}
}

int SystemDpi()
{
  static const GetDpiForSystemFn forSystem = User32Function<GetDpiForSystemFn>("GetDpiForSystem");
  const UINT dpi = forSystem ? forSystem() : 0;
  return dpi ? static_cast<int>(dpi) : ScreenDpi();
}

int WindowDpi(HWND hwnd)
{
  static const GetDpiForWindowFn forWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  const UINT dpi = forWindow && hwnd ? forWindow(hwnd) : 0;
  return dpi ? static_cast<int>(dpi) : SystemDpi();
}

int SystemMetricForDpi(int index, int dpi)
{
  static const GetSystemMetricsForDpiFn forDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  return forDpi ? forDpi(index, static_cast<UINT>(dpi)) : ::GetSystemMetrics(index);
}

SIZE WindowSizeForClient(int width, int height, DWORD style, DWORD exStyle, int dpi)
{
  static const AdjustWindowRectExForDpiFn forDpi =
    User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  RECT frame = {0, 0, width, height};
  if (!forDpi || !forDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi)))
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  return {frame.right - frame.left, frame.bottom - frame.top};
}

HICON LoadIconForDpi(int id, bool small, int dpi)
{
  const int width = SystemMetricForDpi(small ? SM_CXSMICON : SM_CXICON, dpi);
  const int height = SystemMetricForDpi(small ? SM_CYSMICON : SM_CYICON, dpi);
  return static_cast<HICON>(
    ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
}

void TakeSuggestedPlace(HWND hwnd, LPARAM lParam)
{
  const RECT &place = *reinterpret_cast<const RECT *>(lParam);
  ::SetWindowPos(hwnd, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}
