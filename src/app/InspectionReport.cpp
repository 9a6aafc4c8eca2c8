#include "InspectionReport.h"
#include <windows.h>
#include "../common/Messages.h"
#include "../log/Report.h"

void ReportInspection(const TInspectionResult &result)
{
  if (result.Report.empty())
    return;
  Report(result.Report);
  if (result.InformUser)
    ::MessageBoxA(nullptr, result.Report.c_str(), ProductTitle, MB_OK | MB_ICONWARNING);
}
