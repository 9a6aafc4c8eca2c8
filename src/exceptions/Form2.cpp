#include "Form2.h"
#include "../common/Messages.h"

TForm2 *Form2 = nullptr;

TForm2::TForm2()
{
  Form2 = this;
  const std::string caption = LoadMessage(IDS_EXCEPTIONS_SETUP);
  CreateFor("TForm2", caption.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME,
            CW_USEDEFAULT, CW_USEDEFAULT, 400, 300, nullptr);
}
