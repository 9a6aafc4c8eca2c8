#pragma once
#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "../platform/NonCopyable.h"

// One event of the Application log. The id carries its level in its top two
// bits, as the message compiler sets them from each message's Severity.
struct TEvent
{
  DWORD Id = 0;
  WORD Category = 0;
  std::vector<std::string> Strings;
};

// ReportEvent's type for an id's level: error, warning, else information.
WORD EventTypeOf(DWORD id);

// Owner of a handle of one event source of this computer.
class CEventSource : CNonCopyable
{
public:
  CEventSource() = default;
  ~CEventSource() { Close(); }
  // 0 when the source is open, else the system's error.
  DWORD Open(const std::string &source);
  void Close();
  bool IsOpen() const { return _handle != nullptr; }
  // 0 when the event was written, else the system's error. A string longer
  // than the event log takes is cut, ending in "...".
  DWORD Report(const TEvent &event) const;

private:
  HANDLE _handle = nullptr;
};

// Events that were not written, and why the first of them was not.
struct TEventFailures
{
  unsigned long Count = 0;
  DWORD FirstError = 0;
};

// Writes events in the order they come, on a thread of its own that runs
// while there are events to write, so that a slow or hung event log service
// never holds up the caller. An event that cannot be written is counted,
// never tried again.
class TEventLog : CNonCopyable
{
public:
  // Writes one event: 0, or the system's error.
  using WriteFn = std::function<DWORD(const TEvent &event)>;
  // Events of the source `source`, which the writing thread opens at the first one.
  explicit TEventLog(const std::string &source);
  explicit TEventLog(WriteFn write);
  // Events still queued are left to the writing thread.
  ~TEventLog() = default;

  // Whether events are written at all is known only after the first ones
  // came (it is a policy value, and reading it may be logged): until this
  // call they are held; then they are written, or dropped with every later one.
  void Begin(bool enabled);
  // Queues `event` and returns; beyond a bound of waiting events it is a failure.
  void Write(TEvent event);
  // Waits up to `waitMs` until every queued event has been written; those
  // still queued then are dropped as failures (ERROR_TIMEOUT).
  void Flush(unsigned long waitMs);
  // The failures since the last call.
  TEventFailures TakeFailures();

  struct TState;

private:
  std::shared_ptr<TState> _state;
};
