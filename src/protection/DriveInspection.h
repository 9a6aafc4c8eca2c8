#pragma once
#include <windows.h>
#include <string>
#include "../app/Settings.h"

DriveKind DriveKindOf(UINT driveType);
bool DeleteFileForced(const std::string &path);
// Deletes every file matching `pattern`; `deleted` receives the full paths of
// the files that went, joined by CR LF. True when every match was deleted.
bool DeleteMatchingFiles(const std::string &pattern, std::string &deleted);

// What one inspection did, for building its report.
struct InspectionOutcome
{
  bool MenuItemsRemoved = true;
  bool MenuItemsApplicable = true; // false for a folder that is not a volume root
  bool AutorunInfDeleted = true;
  bool AllAutorunDeleted = true;
  std::string DeletedFiles;
};

std::string BuildInspectionReport(const std::string &root, const std::string &filePath,
                                  const BehaviourFlags &flags, const InspectionOutcome &outcome);

// Inspects one drive root (or shared folder) with the process-wide Settings.
void InspectDrive(const std::string &root);
