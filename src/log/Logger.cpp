#include "Logger.h"

void TFileLogger::Log(int, const std::string &, const std::string &) {}
