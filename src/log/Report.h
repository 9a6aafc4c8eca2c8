#pragma once
#include <string>

class TFileLogger;

// The one way the program writes to its log: an entry at level 6, empty
// category, text followed by CR LF. Dropped while no logger is set (before the
// main window made one, or in a second instance).
void Report(const std::string &text);
// The main window sets its logger here and clears it before deleting it.
void SetReportLogger(TFileLogger *logger);
