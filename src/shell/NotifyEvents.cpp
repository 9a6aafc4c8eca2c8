#include "NotifyEvents.h"
#include <shlobj.h>

DWORD ShellEventBit(TStNotifyEvents member)
{
  switch (member)
  {
  case neAssociationChange: return SHCNE_ASSOCCHANGED;
  case neAttributesChange: return SHCNE_ATTRIBUTES;
  case neFileChange: return SHCNE_UPDATEITEM;
  case neFileCreate: return SHCNE_CREATE;
  case neFileDelete: return SHCNE_DELETE;
  case neFileRename: return SHCNE_RENAMEITEM;
  case neDriveAdd: return SHCNE_DRIVEADD;
  case neDriveRemove: return SHCNE_DRIVEREMOVED;
  case neShellDriveAdd: return SHCNE_DRIVEADDGUI;
  case neDriveSpaceChange: return SHCNE_FREESPACE;
  case neMediaInsert: return SHCNE_MEDIAINSERTED;
  case neMediaRemove: return SHCNE_MEDIAREMOVED;
  case neFolderCreate: return SHCNE_MKDIR;
  case neFolderDelete: return SHCNE_RMDIR;
  case neFolderRename: return SHCNE_RENAMEFOLDER;
  case neFolderUpdate: return SHCNE_UPDATEDIR;
  case neNetShare: return SHCNE_NETSHARE;
  case neNetUnShare: return SHCNE_NETUNSHARE;
  case neServerDisconnect: return SHCNE_SERVERDISCONNECT;
  case neImageListChange: return SHCNE_UPDATEIMAGE;
  }
  return 0;
}

DWORD ShellEventMask(const TStNotifyEventsSet &events)
{
  DWORD mask = 0;
  for (int i = 0; i < kNotifyEventCount; ++i)
  {
    const TStNotifyEvents member = static_cast<TStNotifyEvents>(i);
    if (events.Contains(member))
      mask |= ShellEventBit(member);
  }
  return mask;
}
