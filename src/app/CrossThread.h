#pragma once
#include <windows.h>
#include "../common/ProgramIds.h"

// Every hand-over between the window's thread and the drive workers:
//
// 1. Window -> worker: a TDriveJob, copied into TDriveWork::Submit when a
//    shell report comes, the start-up scan begins or the user chooses to
//    vaccinate a drive or take its vaccine off (the job's Vaccine deed). It holds its own copy of
//    the settings (flags and both exception lists) and of the quarantine
//    path; the worker touches nothing the window owns.
// 2. Worker -> window: the TInspectionResult, moved into TDriveWork's outbox,
//    and WM_MERVANE_INSPECTED posted as a note that a result is ready. The
//    window takes every result there is on each note, again after each
//    warning box, and each time its own message loop comes round: a modal
//    loop that ends may drop the note it just took from the queue (seen
//    under Wine), never the result.
//
// Nothing else crosses: the log, the settings record, the windows and the
// message boxes stay with the window's thread.
#define WM_MERVANE_INSPECTED (WM_APP + 16)
