#include "Report.h"
#include "Logger.h"
#include "../common/ProgramIds.h"

static TFileLogger *g_logger = nullptr;

void SetReportLogger(TFileLogger *logger) { g_logger = logger; }

void Report(const std::string &text)
{
  if (g_logger)
    g_logger->Log(MERVANE_LOG_LEVEL, std::string(), text + "\r\n");
}
