#include "Report.h"
#include "Logger.h"

static TFileLogger *g_logger = nullptr;

void SetReportLogger(TFileLogger *logger) { g_logger = logger; }

void Report(const std::string &text)
{
  if (g_logger)
    g_logger->Log(6, std::string(), text + "\r\n");
}
