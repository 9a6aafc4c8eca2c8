#include "EventLog.h"
#include <deque>
#include "../platform/CriticalSection.h"
#include "../platform/Handle.h"

namespace
{
// ReportEvent refuses a string of 31,839 characters or more.
const size_t kMaxStringLength = 31000;
const char kCutMark[] = "...";
// Events waiting beyond this many are failures: the service is not taking them.
const size_t kMaxQueued = 1000;
const SIZE_T kWriterStack = 64 * 1024;
}

WORD EventTypeOf(DWORD id)
{
  switch (id >> 30)
  {
  case 3: return EVENTLOG_ERROR_TYPE;
  case 2: return EVENTLOG_WARNING_TYPE;
  default: return EVENTLOG_INFORMATION_TYPE;
  }
}

DWORD CEventSource::Open(const std::string &source)
{
  Close();
  _handle = ::RegisterEventSourceA(nullptr, source.c_str());
  if (_handle)
    return 0;
  const DWORD error = ::GetLastError();
  return error ? error : ERROR_INVALID_HANDLE;
}

void CEventSource::Close()
{
  if (_handle)
    ::DeregisterEventSource(_handle);
  _handle = nullptr;
}

DWORD CEventSource::Report(const TEvent &event) const
{
  std::vector<std::string> strings;
  std::vector<const char *> pointers;
  for (const std::string &text : event.Strings)
    strings.push_back(text.size() <= kMaxStringLength ? text : text.substr(0, kMaxStringLength) + kCutMark);
  for (const std::string &text : strings)
    pointers.push_back(text.c_str());
  if (::ReportEventA(_handle, EventTypeOf(event.Id), event.Category, event.Id, nullptr,
                     static_cast<WORD>(pointers.size()), 0, pointers.empty() ? nullptr : pointers.data(), nullptr))
    return 0;
  const DWORD error = ::GetLastError();
  return error ? error : ERROR_GEN_FAILURE;
}

// Shared by the owner and the writing thread, so that a thread still waiting
// on the service when the owner is gone never touches freed memory.
struct TEventLog::TState
{
  explicit TState(WriteFn write) : Write(std::move(write)), Idle(::CreateEventA(nullptr, TRUE, TRUE, nullptr)) {}
  const WriteFn Write;
  // Set while no thread writes.
  CHandle Idle;
  CCriticalSection Section;
  // Guarded by Section.
  std::deque<TEvent> Queue;
  bool Begun = false;
  bool Enabled = true;
  bool Writing = false;
  TEventFailures Failures;

  void CountFailure(DWORD error, unsigned long count = 1)
  {
    if (count && !Failures.FirstError)
      Failures.FirstError = error;
    Failures.Count += count;
  }

  // With Section held: a thread for the queue once begun, unless one runs.
  void StartWriter(const std::shared_ptr<TState> &self);

  void WriteQueue()
  {
    for (;;)
    {
      TEvent event;
      {
        CLock lock(Section);
        if (Queue.empty())
        {
          Writing = false;
          ::SetEvent(Idle.Get());
          return;
        }
        event = std::move(Queue.front());
        Queue.pop_front();
      }
      DWORD error = ERROR_NOT_ENOUGH_MEMORY;
      try
      {
        error = Write(event);
      }
      catch (...)
      {
      }
      if (error)
      {
        CLock lock(Section);
        CountFailure(error);
      }
    }
  }
};

namespace
{
DWORD WINAPI WriterEntry(LPVOID parameter)
{
  try
  {
    std::unique_ptr<std::shared_ptr<TEventLog::TState>> state(static_cast<std::shared_ptr<TEventLog::TState> *>(parameter));
    (*state)->WriteQueue();
  }
  catch (...)
  {
  }
  return 0;
}

TEventLog::WriteFn SourceWriter(const std::string &source)
{
  const auto handle = std::make_shared<CEventSource>();
  return [handle, source](const TEvent &event) -> DWORD {
    if (!handle->IsOpen())
      if (const DWORD error = handle->Open(source))
        return error;
    return handle->Report(event);
  };
}
}

void TEventLog::TState::StartWriter(const std::shared_ptr<TState> &self)
{
  if (!Begun || Writing || Queue.empty())
    return;
  // A thread that cannot be started now leaves the queue to the next event's.
  std::unique_ptr<std::shared_ptr<TState>> start(new std::shared_ptr<TState>(self));
  ::ResetEvent(Idle.Get());
  const HANDLE thread =
      ::CreateThread(nullptr, kWriterStack, WriterEntry, start.get(), STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (!thread)
  {
    ::SetEvent(Idle.Get());
    return;
  }
  start.release();
  ::CloseHandle(thread);
  Writing = true;
}

TEventLog::TEventLog(const std::string &source) : TEventLog(SourceWriter(source)) {}

TEventLog::TEventLog(WriteFn write) : _state(std::make_shared<TState>(std::move(write))) {}

void TEventLog::Begin(bool enabled)
{
  CLock lock(_state->Section);
  _state->Begun = true;
  _state->Enabled = enabled;
  if (!enabled)
    _state->Queue.clear();
  _state->StartWriter(_state);
}

void TEventLog::Write(TEvent event)
{
  CLock lock(_state->Section);
  if (!_state->Enabled)
    return;
  if (_state->Queue.size() >= kMaxQueued)
  {
    _state->CountFailure(ERROR_TIMEOUT);
    return;
  }
  _state->Queue.push_back(std::move(event));
  _state->StartWriter(_state);
}

void TEventLog::Flush(unsigned long waitMs)
{
  {
    CLock lock(_state->Section);
    _state->StartWriter(_state);
  }
  ::WaitForSingleObject(_state->Idle.Get(), waitMs);
  CLock lock(_state->Section);
  _state->CountFailure(ERROR_TIMEOUT, static_cast<unsigned long>(_state->Queue.size()));
  _state->Queue.clear();
}

TEventFailures TEventLog::TakeFailures()
{
  CLock lock(_state->Section);
  const TEventFailures failures = _state->Failures;
  _state->Failures = TEventFailures();
  return failures;
}
