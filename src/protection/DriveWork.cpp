#include "DriveWork.h"
#include <windows.h>
#include <deque>
#include <map>
#include "../platform/CriticalSection.h"
#include "DriveDiscovery.h"

namespace
{
// Enough for the deepest check; the default reservation would be wasted on
// every thread that comes and goes.
const SIZE_T kWorkerStack = 256 * 1024;
}

// Shared by the owner and every worker: it lives until the last of them lets
// go, so a worker abandoned on a stalled drive never touches freed memory.
struct TDriveWork::TState
{
  explicit TState(ResultReadyFn resultReady) : ResultReady(std::move(resultReady)) {}
  const ResultReadyFn ResultReady;
  CWriteGate OwnWrites;
  CCriticalSection Section;
  // Guarded by Section: the waiting checks of each drive that has a thread.
  std::map<std::string, std::deque<TDriveJob>> Lanes;
  std::deque<TInspectionResult> Outbox;
  // One count per quarantine folder for all checks (made on first use).
  std::map<std::string, std::shared_ptr<TQuarantineLedger>> Ledgers;

  std::shared_ptr<TQuarantineLedger> LedgerOf(const std::string &folder)
  {
    CLock lock(Section);
    std::shared_ptr<TQuarantineLedger> &ledger = Ledgers[folder];
    if (!ledger)
      ledger = std::make_shared<TQuarantineLedger>(folder);
    return ledger;
  }
  size_t Pending = 0;
  bool Abandoned = false;

  // Takes the next check of lane `key`; false (and the lane gone) when
  // there is none or the work was abandoned.
  bool Next(const std::string &key, TDriveJob &job)
  {
    CLock lock(Section);
    const auto lane = Lanes.find(key);
    if (Abandoned || lane == Lanes.end() || lane->second.empty())
    {
      if (lane != Lanes.end())
        Lanes.erase(lane);
      return false;
    }
    job = std::move(lane->second.front());
    lane->second.pop_front();
    return true;
  }

  void Run(const TDriveJob &job)
  {
    bool counted = false, ready = false;
    try
    {
      TInspectionResult result;
      const bool checked = !job.OnlyIfReadable || VolumeIsReadable(job.Root);
      TQuarantineLedger *ledger = LedgerOf(job.QuarantineFolder).get();
      if (checked && job.Vaccine != vdNone)
        result = VaccineByHand(job.Root, job.Vaccine, job.QuarantineFolder, &OwnWrites, ledger);
      else if (checked)
        result = InspectDrive(job.Root, job.Settings, job.QuarantineFolder, &OwnWrites, job.RegistryDeny, ledger);
      CLock lock(Section);
      --Pending;
      counted = true;
      if (checked && !Abandoned)
      {
        Outbox.push_back(std::move(result));
        ready = true;
      }
    }
    catch (...)
    {
      // Out of memory at worst: this check is lost, the drive's next ones run.
      if (!counted)
      {
        CLock lock(Section);
        --Pending;
      }
    }
    if (ready)
      ResultReady();
  }

  void RunLane(const std::string &key)
  {
    TDriveJob job;
    while (Next(key, job))
      Run(job);
  }
};

namespace
{
struct TWorkerStart
{
  std::shared_ptr<TDriveWork::TState> State;
  std::string Key;
};

DWORD WINAPI WorkerEntry(LPVOID parameter)
{
  try
  {
    std::unique_ptr<TWorkerStart> start(static_cast<TWorkerStart *>(parameter));
    start->State->RunLane(start->Key);
  }
  catch (...)
  {
  }
  return 0;
}
}

TDriveWork::TDriveWork(ResultReadyFn resultReady) : _state(std::make_shared<TState>(std::move(resultReady))) {}

TDriveWork::~TDriveWork() { Abandon(); }

void TDriveWork::Submit(TDriveJob job)
{
  const std::string key = DriveKeyOf(job.Root);
  {
    CLock lock(_state->Section);
    if (_state->Abandoned)
      return;
    ++_state->Pending;
    const auto lane = _state->Lanes.find(key);
    if (lane != _state->Lanes.end())
    {
      lane->second.push_back(std::move(job));
      return;
    }
    std::unique_ptr<TWorkerStart> start(new TWorkerStart{_state, key});
    _state->Lanes[key].push_back(job);
    const HANDLE thread =
        ::CreateThread(nullptr, kWorkerStack, WorkerEntry, start.get(), STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread)
    {
      start.release();
      ::CloseHandle(thread);
      return;
    }
    _state->Lanes.erase(key);
  }
  _state->Run(job);
}

bool TDriveWork::TakeResult(TInspectionResult &result)
{
  CLock lock(_state->Section);
  if (_state->Outbox.empty())
    return false;
  result = std::move(_state->Outbox.front());
  _state->Outbox.pop_front();
  return true;
}

size_t TDriveWork::Pending() const
{
  CLock lock(_state->Section);
  return _state->Pending;
}

bool TDriveWork::Abandon(unsigned long waitMs)
{
  {
    CLock lock(_state->Section);
    if (!_state->Abandoned)
    {
      _state->Abandoned = true;
      for (const auto &lane : _state->Lanes)
        _state->Pending -= lane.second.size();
      _state->Lanes.clear();
    }
  }
  return _state->OwnWrites.Close(waitMs);
}
