#pragma once
#include <windows.h>
#include "NonCopyable.h"

// SEM_FAILCRITICALERRORS while a drive without media may be touched: no
// "insert a disk" box. The mode is set back to 0, not to what it was before,
// which is what the rest of the program expects to find.
class CErrorModeScope : CNonCopyable
{
public:
  CErrorModeScope() { ::SetErrorMode(SEM_FAILCRITICALERRORS); }
  ~CErrorModeScope() { ::SetErrorMode(0); }
};
