#pragma once
// Shell change notification source: registers with the shell for change
// reports, receives them on a hidden window of its own and calls one handler
// per kind of change. Handlers never run inside the shell's delivery: each
// report is copied into a queue that a message posted to the hidden window
// works off, so a handler may show a message box while later reports wait.
//
// Use (stored properties first, registration when loading is over):
//   notification.reset(new TStShellNotification());
//   notification->BeginLoading();
//   notification->SetActive(true);
//   notification->SetNotifyEvents({neDriveAdd, neShellDriveAdd, neMediaInsert, neNetShare});
//   notification->OnMediaInsert = [this](TStCustomShellNotification *Sender, TStShellItem *ShellItem)
//     { if (ShellItem) Inspect(ShellItem->Path); };
//   notification->Loaded();  // registers now
// ShellItem is nullptr when the report had no first item; it lives only for
// the handler's call, so copy what you keep.
#include <windows.h>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include "../platform/NonCopyable.h"
#include "ComponentWindow.h"
#include "NotificationItem.h"
#include "NotifyEvents.h"
#include "ShellFunctions.h"
#include "ShellItem.h"

class TStCustomShellNotification;

using TStNotifyEvent = std::function<void(TStCustomShellNotification *Sender)>;
using TStShellNotifyEvent1 = std::function<void(TStCustomShellNotification *Sender, TStShellItem *ShellItem)>;
using TStShellNotifyEvent2 = std::function<void(TStCustomShellNotification *Sender, TStShellItem *OldShellItem,
                                                TStShellItem *NewShellItem)>;
using TStShellNotifyEvent3 = std::function<void(TStCustomShellNotification *Sender, TStShellItem *OldShellItem,
                                                TStShellItem *NewShellItem, TStNotifyEventsSet Events)>;
using TStShellNotifyEvent4 = std::function<void(TStCustomShellNotification *Sender, DWORD Drive)>;

// A shell folder to watch instead of the whole name space.
enum TStSpecialRootFolder
{
  sfNone,
  sfDesktop,
  sfPrograms,
  sfControlPanel,
  sfPrinters,
  sfPersonal,
  sfFavorites,
  sfStartup,
  sfRecent,
  sfSendTo,
  sfRecycleBin,
  sfStartMenu,
  sfDesktopDirectory,
  sfDrives,
  sfNetwork,
  sfNetHood,
  sfFonts,
  sfTemplates,
  sfAppData
};

// The component's private messages on its hidden window.
constexpr UINT kShellReportMessage = WM_USER + 1;  // from the shell: wParam -> two lists, lParam mask
constexpr UINT kShellDrainMessage = WM_USER + 2;   // posted to itself: work off the queue

class TStCustomShellNotification : CNonCopyable
{
public:
  // Creates the hidden window and takes a copy of the shell functions: the
  // process's own, or a test's table for what this shell always has.
  // Inactive, all twenty kinds, no watched folder.
  explicit TStCustomShellNotification(const TShellFunctions &shell = ShellFunctions());
  // Unregisters, destroys the window and frees queued reports undispatched.
  virtual ~TStCustomShellNotification();

  // Stored properties are being applied: registration waits for Loaded.
  void BeginLoading() { _loading = true; }
  // Loading is over: registers if Active and not registered yet.
  virtual void Loaded();
  bool Loading() const { return _loading; }

  // Registers anew (removing an existing registration first). Nothing is done
  // while loading, when a shell function is missing, or when a set watch
  // folder cannot be found; a refused registration leaves the component
  // unregistered and silent.
  void ShellNotifyRegister();
  void ShellNotifyUnRegister();

  bool Registered() const { return _registered; }
  HWND Handle() const;
  // Where failures of the event handlers are reported.
  void SetErrorReporter(CWindow::ErrorReporter reporter);
  size_t QueuedReports() const { return _queue.size(); }

protected:
  bool GetActive() const { return _active; }
  void SetActive(bool value);
  TStNotifyEventsSet GetNotifyEvents() const { return _notifyEvents; }
  void SetNotifyEvents(const TStNotifyEventsSet &value);
  TStSpecialRootFolder GetSpecialWatchFolder() const { return _specialWatchFolder; }
  void SetSpecialWatchFolder(TStSpecialRootFolder value);
  const std::string &GetWatchFolder() const { return _watchFolder; }
  void SetWatchFolder(const std::string &value);
  bool GetWatchSubFolders() const { return _watchSubFolders; }
  void SetWatchSubFolders(bool value);

  TStNotifyEvent OnAssociationChange;
  TStShellNotifyEvent2 OnAttributeChange;
  TStShellNotifyEvent1 OnDriveAdd;
  TStShellNotifyEvent1 OnDriveRemove;
  TStShellNotifyEvent4 OnDriveSpaceChange;
  TStShellNotifyEvent1 OnFileChange;
  TStShellNotifyEvent1 OnFileCreate;
  TStShellNotifyEvent2 OnFileDelete;
  TStShellNotifyEvent2 OnFileRename;
  TStShellNotifyEvent1 OnFolderChange;
  TStShellNotifyEvent1 OnFolderCreate;
  TStShellNotifyEvent1 OnFolderDelete;
  TStShellNotifyEvent2 OnFolderRename;
  TStNotifyEvent OnImageListChange;
  TStShellNotifyEvent1 OnMediaInsert;
  TStShellNotifyEvent1 OnMediaRemove;
  TStShellNotifyEvent1 OnNetShare;
  TStShellNotifyEvent1 OnNetUnShare;
  TStShellNotifyEvent1 OnServerDisconnect;
  TStShellNotifyEvent1 OnShellDriveAdd;
  TStShellNotifyEvent3 OnShellChangeNotify;

  // Each calls the event property of its kind when one is assigned.
  virtual void DoAssociationChange();
  virtual void DoAttributesChange(TStShellItem *OldShellItem, TStShellItem *NewShellItem);
  virtual void DoDriveAdd(TStShellItem *ShellItem);
  virtual void DoDriveRemove(TStShellItem *ShellItem);
  virtual void DoDriveSpaceChange(DWORD Drive);
  virtual void DoFileChange(TStShellItem *ShellItem);
  virtual void DoFileCreate(TStShellItem *ShellItem);
  virtual void DoFileDelete(TStShellItem *OldShellItem, TStShellItem *NewShellItem);
  virtual void DoFileRename(TStShellItem *OldShellItem, TStShellItem *NewShellItem);
  virtual void DoFolderChange(TStShellItem *ShellItem);
  virtual void DoFolderCreate(TStShellItem *ShellItem);
  virtual void DoFolderDelete(TStShellItem *ShellItem);
  virtual void DoFolderRename(TStShellItem *OldShellItem, TStShellItem *NewShellItem);
  virtual void DoImageListChange();
  virtual void DoMediaInsert(TStShellItem *ShellItem);
  virtual void DoMediaRemove(TStShellItem *ShellItem);
  virtual void DoNetShare(TStShellItem *ShellItem);
  virtual void DoNetUnShare(TStShellItem *ShellItem);
  virtual void DoServerDisconnect(TStShellItem *ShellItem);
  virtual void DoShellDriveAdd(TStShellItem *ShellItem);
  virtual void DoShellChangeNotify(TStShellItem *OldShellItem, TStShellItem *NewShellItem,
                                   TStNotifyEventsSet Events);

  // The hidden window's procedure.
  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
  using AliveToken = std::shared_ptr<bool>;

  void ReceiveReport(WPARAM wParam, LPARAM lParam);
  void Drain();
  // False when a handler destroyed the component; nothing of it may be
  // touched then.
  bool DispatchReport(const TStNotificationItem &report, const AliveToken &alive);
  void Dispatch(TStNotifyEvents member, TStShellItem *first, TStShellItem *second, LPCITEMIDLIST firstList);
  std::unique_ptr<TStShellItem> MakeItem(LPCITEMIDLIST list) const;
  bool BuildWatchedList();
  void FreeWatchedList();

  TShellFunctions _shell;
  std::unique_ptr<TStComponentWindow> _window;
  std::deque<std::unique_ptr<TStNotificationItem>> _queue;
  AliveToken _alive = std::make_shared<bool>(true);
  bool _loading = false;
  bool _active = false;
  bool _registered = false;
  ULONG _registration = 0;
  LPITEMIDLIST _watched = nullptr;
  TStNotifyEventsSet _notifyEvents = TStNotifyEventsSet::All();
  TStSpecialRootFolder _specialWatchFolder = sfNone;
  std::string _watchFolder;
  bool _watchSubFolders = false;
};

// The component as its owner sets it up: the properties made public.
class TStShellNotification : public TStCustomShellNotification
{
public:
  using TStCustomShellNotification::TStCustomShellNotification;
  using TStCustomShellNotification::GetActive;
  using TStCustomShellNotification::SetActive;
  using TStCustomShellNotification::GetNotifyEvents;
  using TStCustomShellNotification::SetNotifyEvents;
  using TStCustomShellNotification::GetSpecialWatchFolder;
  using TStCustomShellNotification::SetSpecialWatchFolder;
  using TStCustomShellNotification::GetWatchFolder;
  using TStCustomShellNotification::SetWatchFolder;
  using TStCustomShellNotification::GetWatchSubFolders;
  using TStCustomShellNotification::SetWatchSubFolders;

  using TStCustomShellNotification::OnAssociationChange;
  using TStCustomShellNotification::OnAttributeChange;
  using TStCustomShellNotification::OnDriveAdd;
  using TStCustomShellNotification::OnDriveRemove;
  using TStCustomShellNotification::OnDriveSpaceChange;
  using TStCustomShellNotification::OnFileChange;
  using TStCustomShellNotification::OnFileCreate;
  using TStCustomShellNotification::OnFileDelete;
  using TStCustomShellNotification::OnFileRename;
  using TStCustomShellNotification::OnFolderChange;
  using TStCustomShellNotification::OnFolderCreate;
  using TStCustomShellNotification::OnFolderDelete;
  using TStCustomShellNotification::OnFolderRename;
  using TStCustomShellNotification::OnImageListChange;
  using TStCustomShellNotification::OnMediaInsert;
  using TStCustomShellNotification::OnMediaRemove;
  using TStCustomShellNotification::OnNetShare;
  using TStCustomShellNotification::OnNetUnShare;
  using TStCustomShellNotification::OnServerDisconnect;
  using TStCustomShellNotification::OnShellDriveAdd;
  using TStCustomShellNotification::OnShellChangeNotify;
};
