#pragma once
#include "../protection/DriveInspection.h"

// Hands one inspection's result to the user: its log entry, and the warning
// box when the drive kind's flags ask for one. The box has no owner window:
// it warns about a drive, not about anything the window is doing.
void ReportInspection(const TInspectionResult &result);
