#include "InspectionReport.h"
#include <windows.h>
#include "../common/Messages.h"

namespace
{
void ShowWarning(const std::string &text)
{
  ::MessageBoxA(nullptr, text.c_str(), ProductTitle, MB_OK | MB_ICONWARNING);
}
}

void ReportInspection(const TInspectionResult &result, const ReportFn &log)
{
  TInspectionReporter reporter([&log](const TInspectionResult &taken) {
    if (log)
      log(taken.Report);
  });
  bool taken = false;
  reporter.Deliver([&](TInspectionResult &next) {
    if (taken)
      return false;
    next = result;
    return taken = true;
  });
}

void TInspectionReporter::TakeAll(const TakeFn &take)
{
  TInspectionResult result;
  while (take(result))
  {
    if (result.Report.empty())
      continue;
    if (_log)
      _log(result);
    if (result.InformUser && !_stopped)
      _boxes.push_back(result.Report);
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
    const std::string text = _boxes.front();
    _boxes.pop_front();
    ShowWarning(text);
    TakeAll(take);
  }
  _showing = false;
}
