#include <windows.h>
#include <ole2.h>
#include <commctrl.h>
#include <exception>
#include <memory>
#include "../exceptions/Form2.h"
#include "../exceptions/Form3.h"
#include "Form1.h"
#include "ProductInfo.h"

static void ShowStartupError(const char *text)
{
  const std::string title = WindowTitle();
  ::MessageBoxA(nullptr, text, title.c_str(), MB_OK | MB_ICONERROR);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
  // The shell folders that name reported items want a single-threaded apartment.
  const HRESULT ole = ::OleInitialize(nullptr);
  // The manifest asks for the version 6 controls, which are registered once
  // their library is initialised.
  ::InitCommonControls();
  try
  {
    std::unique_ptr<TForm1> mainWindow(new TForm1());
    // Without its main window the program could never be told to end.
    if (mainWindow->Created())
    {
      std::unique_ptr<TForm3> prompt(new TForm3());
      std::unique_ptr<TForm2> exceptionsDialog(new TForm2(*prompt));
      MSG msg;
      while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
      {
        // Tab, Space, Enter and the arrow keys as in a dialog.
        if (::IsDialogMessageA(mainWindow->Handle(), &msg))
          continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
      }
    }
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
