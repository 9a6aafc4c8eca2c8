#include "NotificationItem.h"

TStNotificationItem::TStNotificationItem(const TShellFunctions &shell, LPCITEMIDLIST first,
                                         LPCITEMIDLIST second, DWORD eventMask)
  : _shell(shell), _first(shell.Clone(first)), _second(shell.Clone(second)), _eventMask(eventMask)
{
}

TStNotificationItem::~TStNotificationItem()
{
  _shell.Free(_second);
  _shell.Free(_first);
}
