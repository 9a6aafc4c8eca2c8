#pragma once
#include <windows.h>
#include "../platform/Registry.h"
#include "../settings/Settings.h"
#include "MainWindowLayout.h"

// The main window's boxes as its parts see them. Setting a box runs its click
// handler, as a click does.
class TBoxes
{
public:
  virtual bool Checked(TMainWindowControl box) const = 0;
  virtual void SetChecked(TMainWindowControl box, bool checked) = 0;
  virtual HWND Control(TMainWindowControl id) const = 0;

protected:
  ~TBoxes() = default;
};

// The AutoPlay boxes and the start-at-logon boxes: each shown from the
// registry and written back from the boxes as they change. The window runs
// the click handlers; the suppression flags here keep the handlers from
// writing what is only being shown.
class TPolicyBoxes
{
public:
  TPolicyBoxes(TBoxes &boxes, const TSettings &settings, RegistryDenyHook registryDeny);
  // At start-up, once the settings are shown.
  void Apply();
  void AutoPlayBoxClicked();
  void StartupBoxClicked();

private:
  void ShowAutoPlayMask(BYTE mask);
  void ReadAutoPlayPolicy();
  void WriteAutoPlayPolicy();
  void ReadStartupEntries();
  void WriteStartupEntries();
  void ClearDisabledUserEntry();

  TBoxes &_boxes;
  const TSettings &_settings;
  const RegistryDenyHook _registryDeny;
  bool _suppressAutoPlayClicks = false;
  bool _suppressStartupClicks = false;
  bool _clearingUserEntry = false;
};
