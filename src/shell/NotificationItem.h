#pragma once
#include <windows.h>
#include <shlobj.h>
#include "../platform/NonCopyable.h"
#include "ShellFunctions.h"

// One queued shell report: copies of its two item identifier lists (null
// where the report had none, or where lists cannot be copied) and its event
// mask as received. The copies are freed with the item.
class TStNotificationItem : CNonCopyable
{
public:
  TStNotificationItem(const TShellFunctions &shell, LPCITEMIDLIST first, LPCITEMIDLIST second, DWORD eventMask);
  ~TStNotificationItem();

  LPCITEMIDLIST First() const { return _first; }
  LPCITEMIDLIST Second() const { return _second; }
  DWORD EventMask() const { return _eventMask; }

private:
  TShellFunctions _shell;
  LPITEMIDLIST _first;
  LPITEMIDLIST _second;
  DWORD _eventMask;
};
