#pragma once
#include <windows.h>
#include "NonCopyable.h"

// Owner of a critical section: one thread at a time between Enter and Leave.
class CCriticalSection : CNonCopyable
{
  CRITICAL_SECTION _section;
public:
  CCriticalSection() { ::InitializeCriticalSection(&_section); }
  ~CCriticalSection() { ::DeleteCriticalSection(&_section); }
  void Enter() { ::EnterCriticalSection(&_section); }
  void Leave() { ::LeaveCriticalSection(&_section); }
};

// Holds a critical section for its scope.
class CLock : CNonCopyable
{
  CCriticalSection &_section;
public:
  explicit CLock(CCriticalSection &section) : _section(section) { _section.Enter(); }
  ~CLock() { _section.Leave(); }
};
