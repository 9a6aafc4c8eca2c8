#pragma once

// "Mervane.exe /close", for the Windows Installer package: ends a Mervane
// running in this session as the NSIS uninstaller does, with WM_USER + 1 to
// its main window (found by class and caption), which saves the settings and
// ends the program; then waits up to `waitMs` for its process, whose file
// cannot be replaced or removed before. True when none runs or it ended.
bool CloseRunningMervane(unsigned long waitMs);

// Whether the command line (without the program's name) is "/close".
bool IsCloseCommand(const char *commandLine);
