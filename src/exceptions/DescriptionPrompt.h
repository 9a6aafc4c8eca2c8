#pragma once
#include <string>
#include "../platform/ModalWindow.h"

// The one-line text prompt; created hidden at start.
class TDescriptionPrompt : public CModalWindow
{
public:
  TDescriptionPrompt();
  // Shows `prompt` under `caption` with an empty field, modally over `owner`.
  // True on OK, with the field's text as typed in `answer`; on Cancel (or the
  // close box) false, with `answer` left alone.
  bool AskText(HWND owner, const std::string &caption, const std::string &prompt, std::string &answer);

private:
  void WMCommand(int id, int code) override;
};
