#pragma once
#include "../log/EventLog.h"
#include "../platform/Registry.h"
#include "../shell/TrayIcon.h"

// What tests put between the program and the platform, for conditions this
// machine cannot make. The defaults are the platform's own calls.
struct TProgramSeams
{
  // Every call of the tray icon to the notification area.
  TShellNotifyIconFn NotifyIcon = &::Shell_NotifyIconA;
  // Every registry key the program opens, creates or changes.
  RegistryDenyHook RegistryDeny = nullptr;
  // Every event the program writes; none: the event log's source "Mervane".
  TEventLog::WriteFn WriteEvent;
};
