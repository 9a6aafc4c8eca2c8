#include "Form3.h"
#include "../common/Messages.h"
#include "Form3Layout.h"

TForm3::TForm3()
{
  CreateModal("TForm3", ProductTitle, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, Form3ClientWidth,
              Form3ClientHeight, Form3FontName, Form3FontPoints, Form3Controls, Form3ControlCount);
}

bool TForm3::AskText(HWND owner, const std::string &caption, const std::string &prompt, std::string &answer)
{
  if (!_hwnd || IsModal())
    return false;
  ::SetWindowTextA(_hwnd, caption.c_str());
  ::SetWindowTextA(Control(Label1), prompt.c_str());
  ::SetWindowTextA(Control(Edit1), "");
  if (ShowModal(owner) != IDOK)
    return false;
  const HWND edit = Control(Edit1);
  std::string text(static_cast<size_t>(::GetWindowTextLengthA(edit)) + 1, '\0');
  text.resize(static_cast<size_t>(::GetWindowTextA(edit, &text[0], static_cast<int>(text.size()))));
  answer = text;
  return true;
}

void TForm3::WMCommand(int id, int code)
{
  if (code != BN_CLICKED)
    return;
  switch (id)
  {
  case Button1: EndModal(IDOK); break;
  case Button2: EndModal(IDCANCEL); break;
  }
}
