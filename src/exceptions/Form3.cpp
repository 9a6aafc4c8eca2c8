#include "Form3.h"
#include "../common/Messages.h"

TForm3 *Form3 = nullptr;

TForm3::TForm3()
{
  Form3 = this;
  CreateFor("TForm3", ProductTitle, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, CW_USEDEFAULT,
            CW_USEDEFAULT, 320, 120, nullptr);
}
