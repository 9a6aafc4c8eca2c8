#pragma once
#include <windows.h>
#include "Handle.h"
#include "NonCopyable.h"

// Lets a process end without cutting one of its own files short: every write
// of such a file passes the gate, and closing it waits for the write that is
// passing and keeps every later one out for good. Closing is for the end of
// the process: a thread held at the gate then waits until the process ends.
class CWriteGate : CNonCopyable
{
  CHandle _mutex{::CreateMutexA(nullptr, FALSE, nullptr)};
  volatile LONG _closed = 0;
public:
  // Without a mutex (no memory for one) the gate only keeps out the writes
  // that come after Close.
  void Enter()
  {
    if (_mutex.IsValid())
      ::WaitForSingleObject(_mutex.Get(), INFINITE);
    if (::InterlockedCompareExchange(&_closed, 0, 0))
    {
      Leave();
      for (;;)
        ::Sleep(INFINITE);
    }
  }
  void Leave()
  {
    if (_mutex.IsValid())
      ::ReleaseMutex(_mutex.Get());
  }
  // Keeps every later write out, and waits up to `waitMs` for the one that
  // is passing; true when none was still passing then.
  bool Close(DWORD waitMs)
  {
    ::InterlockedExchange(&_closed, 1);
    if (!_mutex.IsValid())
      return true;
    const DWORD waited = ::WaitForSingleObject(_mutex.Get(), waitMs);
    return waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  }
};

// Holds the gate for one write.
class CWriteGatePass : CNonCopyable
{
  CWriteGate *_gate;
public:
  explicit CWriteGatePass(CWriteGate *gate) : _gate(gate)
  {
    if (_gate)
      _gate->Enter();
  }
  ~CWriteGatePass()
  {
    if (_gate)
      _gate->Leave();
  }
};
