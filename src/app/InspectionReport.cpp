#include "InspectionReport.h"
#include <windows.h>
#include "../common/Messages.h"

namespace
{
void ShowBox(const std::string &text, UINT icon)
{
  ::MessageBoxA(nullptr, text.c_str(), ProductTitle, MB_OK | icon);
}
}

void ReportInspection(const TInspectionResult &result, const ReportFn &log)
{
  TInspectionReporter reporter([&log](const TInspectionResult &taken) {
    if (log && !taken.Report.empty())
      log(taken.Report);
    if (log && !taken.Vaccine.Report.empty())
      log(taken.Vaccine.Report);
  });
  bool taken = false;
  reporter.Deliver([&](TInspectionResult &next) {
    if (taken)
      return false;
    next = result;
    return taken = true;
  });
}

bool TInspectionReporter::FailureSaidBefore(const TInspectionResult &result)
{
  const TVaccination &vaccine = result.Vaccine;
  if (vaccine.Done)
    _vaccineFailuresSaid.erase(result.Root);
  return vaccine.Failed && !vaccine.ByHand && !_vaccineFailuresSaid.insert(result.Root).second;
}

void TInspectionReporter::TakeAll(const TakeFn &take)
{
  TInspectionResult result;
  while (take(result))
  {
    TVaccination &vaccine = result.Vaccine;
    if (FailureSaidBefore(result))
      vaccine = TVaccination();
    if (result.Report.empty() && vaccine.Report.empty() && vaccine.Notice.empty())
      continue;
    if (_log)
      _log(result);
    if (_stopped)
      continue;
    if (result.InformUser && !result.Report.empty())
      _boxes.push_back({result.Report, MB_ICONWARNING});
    if (vaccine.Failed)
      _boxes.push_back({vaccine.Report, MB_ICONWARNING});
    if (!vaccine.Notice.empty())
      _boxes.push_back({vaccine.Notice, MB_ICONINFORMATION});
  }
}

void TInspectionReporter::Deliver(const TakeFn &take)
{
  TakeAll(take);
  if (_showing)
    return;
  _showing = true;
  while (!_boxes.empty() && !_stopped)
  {
    const TBox box = _boxes.front();
    _boxes.pop_front();
    ShowBox(box.Text, box.Icon);
    TakeAll(take);
  }
  _showing = false;
}
