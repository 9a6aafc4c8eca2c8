// SetThreadErrorMode is declared here only to take its type; nothing imports it.
#undef WINVER
#undef _WIN32_WINNT
#define WINVER 0x0A00
#define _WIN32_WINNT 0x0A00
#include "ErrorModeScope.h"
#include "CriticalSection.h"
#include "SystemFunction.h"

namespace
{
using SetThreadErrorModeFn = decltype(&::SetThreadErrorMode);

SetThreadErrorModeFn ThreadErrorMode()
{
  static const auto set = SystemFunction<SetThreadErrorModeFn>("kernel32.dll", "SetThreadErrorMode");
  return set;
}

// A function-local static: made on first use, whichever thread comes first.
CCriticalSection &ProcessModeSection()
{
  static CCriticalSection section;
  return section;
}
unsigned processModeUsers = 0;
}

void EnterProcessErrorMode()
{
  CLock lock(ProcessModeSection());
  if (processModeUsers++ == 0)
    ::SetErrorMode(SEM_FAILCRITICALERRORS);
}

void LeaveProcessErrorMode()
{
  CLock lock(ProcessModeSection());
  if (processModeUsers > 0 && --processModeUsers == 0)
    ::SetErrorMode(0);
}

CErrorModeScope::CErrorModeScope()
{
  DWORD old = 0;
  const SetThreadErrorModeFn set = ThreadErrorMode();
  _threadMode = set && set(SEM_FAILCRITICALERRORS, &old);
  _oldThreadMode = old;
  if (!_threadMode)
    EnterProcessErrorMode();
}

CErrorModeScope::~CErrorModeScope()
{
  if (_threadMode)
    ThreadErrorMode()(_oldThreadMode, nullptr);
  else
    LeaveProcessErrorMode();
}
