#include "DescriptionPrompt.h"
#include "../common/Messages.h"
#include "DescriptionPromptLayout.h"

TDescriptionPrompt::TDescriptionPrompt()
{
  CreateModal(DescriptionPromptClass, ProductTitle, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME,
              DescriptionPromptClientWidth, DescriptionPromptClientHeight, DescriptionPromptFontName,
              DescriptionPromptFontPoints, DescriptionPromptControls, DescriptionPromptControlCount);
}

bool TDescriptionPrompt::AskText(HWND owner, const std::string &caption, const std::string &prompt, std::string &answer)
{
  if (!_hwnd || IsModal())
    return false;
  ::SetWindowTextA(_hwnd, caption.c_str());
  ::SetWindowTextA(Control(PromptLabel), prompt.c_str());
  ::SetWindowTextA(Control(PromptField), "");
  if (ShowModal(owner) != IDOK)
    return false;
  const HWND edit = Control(PromptField);
  std::string text(static_cast<size_t>(::GetWindowTextLengthA(edit)) + 1, '\0');
  text.resize(static_cast<size_t>(::GetWindowTextA(edit, &text[0], static_cast<int>(text.size()))));
  answer = text;
  return true;
}

void TDescriptionPrompt::WMCommand(int id, int code)
{
  if (code != BN_CLICKED)
    return;
  switch (id)
  {
  case PromptOkButton: EndModal(IDOK); break;
  case PromptCancelButton: EndModal(IDCANCEL); break;
  }
}
