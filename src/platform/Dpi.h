#pragma once
#include <windows.h>

// Dots per inch. The windows are designed at 96 and laid out at their
// monitor's value. The per-monitor functions came with Windows 10; they are
// looked up at run time, so that the program still starts on XP and 7, where
// the screen's LOGPIXELSY is the one value for every window.
const int DesignDpi = 96;
// WM_DPICHANGED: the new dpi in LOWORD(wParam), the suggested window rectangle at lParam.
const UINT WmDpiChanged = 0x02E0;

// A length designed at 96 dpi, at `dpi`.
inline int ScaleToDpi(int value, int dpi) { return ::MulDiv(value, dpi, DesignDpi); }
int SystemDpi();
// The dpi of the window's monitor; the system's where monitors have no dpi of their own.
int WindowDpi(HWND hwnd);
// Without GetSystemMetricsForDpi, GetSystemMetrics, which answers at the system's dpi.
int SystemMetricForDpi(int index, int dpi);
// The outer size of a window of that style whose client area is width x height.
SIZE WindowSizeForClient(int width, int height, DWORD style, DWORD exStyle, int dpi);
// The program's icon resource `id` at the size the system asks for at `dpi`:
// SM_CXICON, or SM_CXSMICON for `small`. The caller destroys it.
HICON LoadIconForDpi(int id, bool small, int dpi);
// Moves the window to the rectangle that WM_DPICHANGED suggests at lParam.
void TakeSuggestedPlace(HWND hwnd, LPARAM lParam);
