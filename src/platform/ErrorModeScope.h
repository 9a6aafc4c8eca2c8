#pragma once
#include <windows.h>
#include "NonCopyable.h"

// SEM_FAILCRITICALERRORS while a drive without media may be touched: no
// "insert a disk" box, which would hold the calling thread until someone
// clicks. The error mode of SetErrorMode is the whole process's: drive
// workers that set it and set it back would switch it off under each other.
// So the thread's own mode is used where the system has one (Windows 7 and
// later), and elsewhere the process's mode is held by a count: on from the
// first scope that enters until the last one leaves, then back to 0, which
// is what the rest of the program expects to find.
class CErrorModeScope : CNonCopyable
{
  bool _threadMode = false;
  UINT _oldThreadMode = 0;
public:
  CErrorModeScope();
  ~CErrorModeScope();
};

// The counted process-wide mode, for systems without a thread's own.
void EnterProcessErrorMode();
void LeaveProcessErrorMode();
