#include "Settings.h"

TSettings Settings;

void ResetDefaults(TSettings &record)
{
  for (int k = 0; k < DriveKindCount; ++k)
  {
    const bool on = k != dkCdRom;
    record.Flags[k] = BehaviourFlags{on, on, on, on};
  }
  record.RunMinimized = true;
  record.FirstRun = true;
  record.Locked = 0;
}

void LoadSettings(TSettings &, const std::string &, const std::string &, const ReportFn &) {}
void SaveSettings(const TSettings &, const std::string &) {}
