#include "Report.h"
#include "Logger.h"
#include "../common/ProgramIds.h"

void ReportTo(TFileLogger *logger, const std::string &text)
{
  if (logger)
    logger->Log(MERVANE_LOG_LEVEL, std::string(), text + "\r\n");
}
