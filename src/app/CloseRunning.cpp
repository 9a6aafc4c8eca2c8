#include "CloseRunning.h"
#include <windows.h>
#include <string>
#include "../common/ProgramIds.h"
#include "../platform/Handle.h"
#include "../platform/Text.h"
#include "MainWindowLayout.h"
#include "ProductInfo.h"

bool IsCloseCommand(const char *commandLine)
{
  std::string text = commandLine ? commandLine : "";
  const size_t first = text.find_first_not_of(" \t");
  const size_t last = text.find_last_not_of(" \t");
  return first != std::string::npos && SameTextIgnoreCase(text.substr(first, last - first + 1), "/close");
}

bool CloseRunningMervane(unsigned long waitMs)
{
  const std::string title = WindowTitle();
  const HWND window = ::FindWindowA(MainWindowClass, title.c_str());
  if (!window)
    return true;
  DWORD processId = 0;
  ::GetWindowThreadProcessId(window, &processId);
  CHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
  DWORD_PTR answer = 0;
  ::SendMessageTimeoutA(window, WM_MERVANE_QUIT, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
  // The window goes before the process lets go of its file.
  if (!process.IsValid())
    return !::IsWindow(window);
  return ::WaitForSingleObject(process.Get(), waitMs) == WAIT_OBJECT_0;
}
