#pragma once
#include <windows.h>
#include <functional>

// Outer size correction of a window as it is created. The designed sizes
// assume the fixed frame of 3 pixels; a platform with other frame sizes
// would otherwise take the difference out of the client area.

enum TFormBorderStyle
{
  bsNone,
  bsSingle,
  bsSizeable,
  bsDialog,
  bsToolWindow,
  bsSizeToolWin
};

// What a window is created with.
struct TCreateParams
{
  DWORD Style = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
};

using SystemMetricFn = std::function<int(int index)>;

// For a fixed border (single, dialog, tool window): the width grows by
// 2 x (SM_CXDLGFRAME - 3) and the height by SM_CYDLGFRAME - 3. Nothing for no
// border or a sizeable one. `metric` is where the frame sizes come from, at
// the window's dpi.
void AdjustFormSize(TFormBorderStyle border, TCreateParams &params, SystemMetricFn metric = ::GetSystemMetrics);
