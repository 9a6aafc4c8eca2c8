#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "../log/EventLog.h"
#include "../protection/DriveInspection.h"

// Every log entry has its event in the Application log, with the entry's
// text among its strings (ids and texts in res/MervaneEvents.mc).

// The event of an inspection's entry: the drive's kind is its category, its
// strings are the drive, the kind's name and the entry's text. What decides
// the id, first to last: an Autorun.inf file or its menu entries not removed,
// worm damage not all repaired, worm damage repaired, an accepted file, a
// file removed, a file left as the kind's flags chose.
TEvent InspectionEvent(const TInspectionResult &result);
// The event of the entry of a vaccine made or removed, or not, on a drive:
// category and strings as an inspection's.
TEvent VaccineEvent(const TInspectionResult &result);
// The event of any other entry; `id` says what the entry reports.
TEvent EntryEvent(DWORD id, const std::string &text);
// Every event id the program writes.
std::vector<DWORD> ProgramEventIds();
