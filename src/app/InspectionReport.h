#pragma once
#include <deque>
#include <set>
#include <functional>
#include <string>
#include "../protection/DriveInspection.h"
#include "../settings/Settings.h"

// Hands one inspection's result to the user as the reporter below does: its
// log entry, and the warning box when the drive kind's flags ask for one;
// then a vaccine's: a failure in a warning box, a vaccination or removal
// asked for by hand that had nothing to do in an information box, one that
// worked in the log only.
// The box has no owner window: it warns about a drive, not about anything
// the window is doing.
void ReportInspection(const TInspectionResult &result, const ReportFn &log);

// Hands results to the user in the order they are taken, on the window's
// thread: each one's log entry at once, its box after the boxes before it,
// one box at a time. Results that come while a box is up (its modal loop
// delivers the note that they are ready, or loses it) are taken when that
// box closes, if not before.
class TInspectionReporter
{
public:
  using TakeFn = std::function<bool(TInspectionResult &result)>;
  // Writes the log entry of a result (its Report) and what goes with it.
  using LogResultFn = std::function<void(const TInspectionResult &result)>;
  explicit TInspectionReporter(LogResultFn log) : _log(std::move(log)) {}
  // Takes every result `take` gives, then shows the boxes waiting, unless
  // it is already showing one further out.
  void Deliver(const TakeFn &take);
  // No box is shown any more, queued or not: the program is ending.
  void Stop() { _stopped = true; }

private:
  void TakeAll(const TakeFn &take);
  // An automatic vaccination that fails is said once per drive, not at
  // each of the several reports of one arrival, until one there works.
  bool FailureSaidBefore(const TInspectionResult &result);
  const LogResultFn _log;
  std::set<std::string> _vaccineFailuresSaid;
  struct TBox
  {
    std::string Text;
    UINT Icon;
  };
  std::deque<TBox> _boxes;
  bool _showing = false;
  bool _stopped = false;
};
