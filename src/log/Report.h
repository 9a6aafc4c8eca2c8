#pragma once
#include <string>

class TFileLogger;

// The one way the program writes to its log: an entry at level 6, empty
// category, text followed by CR LF. Dropped when there is no logger (before
// the log is opened, after it is closed, in a second instance).
void ReportTo(TFileLogger *logger, const std::string &text);
