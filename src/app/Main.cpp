#include <windows.h>
#include <ole2.h>
#include <commctrl.h>
#include <exception>
#include "CloseRunning.h"
#include "ProductInfo.h"
#include "Program.h"

static void ShowStartupError(const char *text)
{
  const std::string title = WindowTitle();
  ::MessageBoxA(nullptr, text, title.c_str(), MB_OK | MB_ICONERROR);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
  if (IsCloseCommand(commandLine))
    return CloseRunningMervane(30000) ? 0 : 1;
  // The shell folders that name reported items want a single-threaded apartment.
  const HRESULT ole = ::OleInitialize(nullptr);
  // The manifest asks for the version 6 controls, which are registered once
  // their library is initialised.
  ::InitCommonControls();
  try
  {
    TProgram program;
    if (program.Start())
      program.Run();
  }
  catch (const std::exception &e)
  {
    ShowStartupError(e.what());
  }
  catch (...)
  {
    ShowStartupError("");
  }
  if (SUCCEEDED(ole))
    ::OleUninitialize();
  return 0;
}
