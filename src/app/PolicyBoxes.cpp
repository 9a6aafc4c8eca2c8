#include "PolicyBoxes.h"
#include <string>
#include "../policy/AutoPlayPolicy.h"
#include "../policy/StartupEntries.h"
#include "ProductInfo.h"

namespace
{
const TMainWindowControl AutoPlayBoxes[AutoPlayBoxCount] = {AutoPlayCdRomBox, AutoPlayRemovableBox, AutoPlayFixedBox,
                                                             AutoPlayRemoteBox, AutoPlayOtherBox};
}

TPolicyBoxes::TPolicyBoxes(TBoxes &boxes, const TSettings &settings, RegistryDenyHook registryDeny)
  : _boxes(boxes), _settings(settings), _registryDeny(registryDeny)
{
}

void TPolicyBoxes::Apply()
{
  // AutoPlay: a first run offers its own choice, written as each box changes.
  if (_settings.FirstRun)
    ShowAutoPlayMask(FirstRunAutoPlayMask);
  else
  {
    _suppressAutoPlayClicks = true;
    ReadAutoPlayPolicy();
    _suppressAutoPlayClicks = false;
  }
  WriteAutoPlayPolicy();

  // Start at logon: existing entries are rewritten with this program's path.
  _suppressStartupClicks = true;
  ReadStartupEntries();
  _suppressStartupClicks = false;
  WriteStartupEntries();
  ClearDisabledUserEntry();
}

void TPolicyBoxes::ShowAutoPlayMask(BYTE mask)
{
  const TAutoPlayBoxes boxes = AutoPlayBoxesOf(mask);
  for (int i = 0; i < AutoPlayBoxCount; ++i)
    _boxes.SetChecked(AutoPlayBoxes[i], boxes[i]);
}

void TPolicyBoxes::ReadAutoPlayPolicy()
{
  BYTE mask = 0;
  if (ReadAutoPlayMask(mask, _registryDeny))
    ShowAutoPlayMask(mask);
}

void TPolicyBoxes::WriteAutoPlayPolicy()
{
  if (_settings.IsLocked(LockSettings))
    return;
  TAutoPlayBoxes boxes{};
  for (int i = 0; i < AutoPlayBoxCount; ++i)
    boxes[i] = _boxes.Checked(AutoPlayBoxes[i]);
  const bool written = WriteAutoPlayMask(AutoPlayMaskOf(boxes), _registryDeny);
  for (TMainWindowControl box : AutoPlayBoxes)
    ::EnableWindow(_boxes.Control(box), written);
}

void TPolicyBoxes::AutoPlayBoxClicked()
{
  if (_suppressAutoPlayClicks)
    return;
  WriteAutoPlayPolicy();
  _suppressAutoPlayClicks = true;
  ReadAutoPlayPolicy();
  _suppressAutoPlayClicks = false;
}

void TPolicyBoxes::ReadStartupEntries()
{
  bool exists = false;
  if (ReadStartupEntry(psUser, exists, _registryDeny))
    _boxes.SetChecked(CurrentUserLogonBox, exists);
  if (ReadStartupEntry(psMachine, exists, _registryDeny))
    _boxes.SetChecked(AnyUserLogonBox, exists);
  ::EnableWindow(_boxes.Control(CurrentUserLogonBox), !_boxes.Checked(AnyUserLogonBox));
}

void TPolicyBoxes::WriteStartupEntries()
{
  if (_settings.IsLocked(LockSettings))
    return;
  const std::string program = ProgramFilePath();
  const TStartupWrite machine = WriteStartupEntry(psMachine, _boxes.Checked(AnyUserLogonBox), program, _registryDeny);
  if (machine == swFailed)
    return;
  ::EnableWindow(_boxes.Control(AnyUserLogonBox), machine == swDone);
  WriteStartupEntry(psUser, _boxes.Checked(CurrentUserLogonBox), program, _registryDeny);
}

void TPolicyBoxes::StartupBoxClicked()
{
  if (_suppressStartupClicks)
    return;
  WriteStartupEntries();
  _suppressStartupClicks = true;
  ReadStartupEntries();
  _suppressStartupClicks = false;
  ClearDisabledUserEntry();
}

// The every-user entry excludes the user's own: clearing the user's box runs
// the handler, whose write removes the entry.
void TPolicyBoxes::ClearDisabledUserEntry()
{
  if (::IsWindowEnabled(_boxes.Control(CurrentUserLogonBox)))
    return;
  if (!_clearingUserEntry)
  {
    _clearingUserEntry = true;
    _boxes.SetChecked(CurrentUserLogonBox, false);
    _clearingUserEntry = false;
  }
  // An entry that could not be removed is read back ticked; clearing it with
  // the handler again would never end.
  if (_boxes.Checked(CurrentUserLogonBox))
  {
    _suppressStartupClicks = true;
    _boxes.SetChecked(CurrentUserLogonBox, false);
    _suppressStartupClicks = false;
  }
}
