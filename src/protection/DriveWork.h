#pragma once
#include <functional>
#include <memory>
#include <string>
#include "../platform/NonCopyable.h"
#include "../settings/Settings.h"
#include "DriveInspection.h"

// One check of a drive root (or shared folder), with everything it works on
// copied in when its report came: a later edit of the settings never reaches
// a check that is under way.
struct TDriveJob
{
  std::string Root;
  TSettings Settings;
  std::string QuarantineFolder; // empty: no copies kept
  bool OnlyIfReadable = false;  // the start-up scan's: a volume that does not answer a query is skipped
  RegistryDenyHook RegistryDeny = nullptr;
  TVaccineDeed Vaccine = vdNone; // asked for by hand: done instead of an inspection
};

// Called on a worker thread each time it has put a result into the outbox.
// Must not block: it only tells the owner's thread to come and take it.
using ResultReadyFn = std::function<void()>;

// Checks drives on worker threads: one thread per drive (see DriveKeyOf)
// while that drive has checks waiting, so a drive that does not answer holds
// up no other one, and one drive's checks run one after another in the order
// they were submitted. A thread ends when its drive has nothing left to do.
// Results wait in an outbox until the owner takes them: a note that one is
// ready (a posted message) can be lost in another modal loop, a result not.
class TDriveWork : CNonCopyable
{
public:
  explicit TDriveWork(ResultReadyFn resultReady);
  // Abandons the work (see Abandon).
  ~TDriveWork();

  // Queues `job` behind the checks of its drive. When no thread can be
  // started the check runs here and now rather than not at all.
  void Submit(TDriveJob job);
  // The oldest result not yet taken; false when there is none.
  bool TakeResult(TInspectionResult &result);
  // Checks submitted whose result has not yet been put into the outbox.
  size_t Pending() const;
  // Drops the checks still waiting, takes no further result, and waits up
  // to `waitMs` for a write into the program's own files that is under way;
  // none starts afterwards. The results already in the outbox stay there for
  // TakeResult: what a finished check deleted is still to be logged. A
  // thread still waiting on a drive is left to the end of the process. True
  // when no such write was still under way.
  bool Abandon(unsigned long waitMs = 2000);

  struct TState;

private:
  std::shared_ptr<TState> _state;
};
