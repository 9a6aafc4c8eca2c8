#include "ShellNotification.h"
#include <cstring>
#include <vector>
#include "../platform/Text.h"
#include "../platform/Window.h"

namespace
{
// The order in which one report's bits are dispatched. The attributes bit is
// not here: such a report is handled when it arrives.
const TStNotifyEvents kDrainOrder[] = {
  neAssociationChange, neFileChange,   neFileCreate,      neFileDelete,   neFileRename,
  neDriveAdd,          neDriveRemove,  neShellDriveAdd,   neMediaInsert,  neMediaRemove,
  neFolderCreate,      neFolderDelete, neFolderRename,    neFolderUpdate, neNetShare,
  neNetUnShare,        neServerDisconnect, neImageListChange, neDriveSpaceChange};

int CsidlOf(TStSpecialRootFolder folder)
{
  switch (folder)
  {
  case sfNone: break;
  case sfDesktop: return CSIDL_DESKTOP;
  case sfPrograms: return CSIDL_PROGRAMS;
  case sfControlPanel: return CSIDL_CONTROLS;
  case sfPrinters: return CSIDL_PRINTERS;
  case sfPersonal: return CSIDL_PERSONAL;
  case sfFavorites: return CSIDL_FAVORITES;
  case sfStartup: return CSIDL_STARTUP;
  case sfRecent: return CSIDL_RECENT;
  case sfSendTo: return CSIDL_SENDTO;
  case sfRecycleBin: return CSIDL_BITBUCKET;
  case sfStartMenu: return CSIDL_STARTMENU;
  case sfDesktopDirectory: return CSIDL_DESKTOPDIRECTORY;
  case sfDrives: return CSIDL_DRIVES;
  case sfNetwork: return CSIDL_NETWORK;
  case sfNetHood: return CSIDL_NETHOOD;
  case sfFonts: return CSIDL_FONTS;
  case sfTemplates: return CSIDL_TEMPLATES;
  case sfAppData: return CSIDL_APPDATA;
  }
  return -1;
}

LPITEMIDLIST ParseFolder(const std::string &path)
{
  std::wstring wide = ToWide(path);
  if (wide.empty())
    return nullptr;
  IShellFolder *desktop = nullptr;
  if (FAILED(::SHGetDesktopFolder(&desktop)) || !desktop)
    return nullptr;
  LPITEMIDLIST list = nullptr;
  if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, &wide[0], nullptr, &list, nullptr)))
    list = nullptr;
  desktop->Release();
  return list;
}

// Calls an event property when one is assigned.
template <typename Event, typename... Args> void Fire(const Event &event, Args... args)
{
  if (event)
    event(args...);
}

// A free-space report carries the drive bits as a number where an item's
// data would begin.
DWORD DriveBitsOf(LPCITEMIDLIST list)
{
  DWORD drive = 0;
  if (list && list->mkid.cb >= sizeof(USHORT) + sizeof(DWORD))
    std::memcpy(&drive, list->mkid.abID, sizeof(drive));
  return drive;
}
}

TStCustomShellNotification::TStCustomShellNotification(const TShellFunctions &shell)
  : _shell(shell),
    _window(new TStComponentWindow("TStShellNotificationWindow", 0, HWND_MESSAGE))
{
  _window->SetProcedure([this](UINT message, WPARAM wParam, LPARAM lParam)
                        { return WndProc(message, wParam, lParam); });
}

TStCustomShellNotification::~TStCustomShellNotification()
{
  *_alive = false;
  ShellNotifyUnRegister();
  _window.reset();
  _queue.clear();
}

HWND TStCustomShellNotification::Handle() const { return _window ? _window->Handle() : nullptr; }

void TStCustomShellNotification::SetErrorReporter(CWindow::ErrorReporter reporter)
{
  if (_window)
    _window->SetErrorReporter(std::move(reporter));
}

void TStCustomShellNotification::Loaded()
{
  _loading = false;
  if (_active && !_registered)
    ShellNotifyRegister();
}

void TStCustomShellNotification::SetActive(bool value)
{
  _active = value;
  if (value && !_registered)
    ShellNotifyRegister();
  else if (!value && _registered)
    ShellNotifyUnRegister();
}

void TStCustomShellNotification::SetNotifyEvents(const TStNotifyEventsSet &value)
{
  _notifyEvents = value;
  if (_active)
    ShellNotifyRegister();
}

void TStCustomShellNotification::SetSpecialWatchFolder(TStSpecialRootFolder value)
{
  _specialWatchFolder = value;
  if (_active)
    ShellNotifyRegister();
}

void TStCustomShellNotification::SetWatchFolder(const std::string &value)
{
  _watchFolder = value;
  if (_active)
    ShellNotifyRegister();
}

void TStCustomShellNotification::SetWatchSubFolders(bool value)
{
  _watchSubFolders = value;
  if (_active)
    ShellNotifyRegister();
}

bool TStCustomShellNotification::BuildWatchedList()
{
  FreeWatchedList();
  if (_specialWatchFolder != sfNone)
  {
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, CsidlOf(_specialWatchFolder), &_watched)))
      _watched = nullptr;
    return _watched != nullptr;
  }
  if (_watchFolder.empty())
    return true;
  _watched = ParseFolder(_watchFolder);
  return _watched != nullptr;
}

void TStCustomShellNotification::FreeWatchedList()
{
  _shell.Free(_watched);
  _watched = nullptr;
}

void TStCustomShellNotification::ShellNotifyRegister()
{
  if (_loading)
    return;
  if (_registered)
    ShellNotifyUnRegister();
  // Without every function a report could not be copied or freed; staying
  // unregistered keeps the component silent instead.
  if (!_shell.Complete() || !Handle())
    return;
  // A folder that was asked for but cannot be found must not widen the watch
  // to everything.
  if (!BuildWatchedList())
    return;
  SHChangeNotifyEntry entry = {};
  entry.pidl = _watched;
  entry.fRecursive = _watchSubFolders ? static_cast<BOOL>(-1) : FALSE;
  _registration = _shell.SHChangeNotifyRegister(Handle(), SHCNRF_InterruptLevel | SHCNRF_ShellLevel,
                                                static_cast<LONG>(ShellEventMask(_notifyEvents)),
                                                kShellReportMessage, 1, &entry);
  _registered = _registration != 0;
  if (!_registered)
    FreeWatchedList();
}

void TStCustomShellNotification::ShellNotifyUnRegister()
{
  if (_registration != 0 && _shell.SHChangeNotifyDeregister)
    _shell.SHChangeNotifyDeregister(_registration);
  _registration = 0;
  _registered = false;
  FreeWatchedList();
}

LRESULT TStCustomShellNotification::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == kShellReportMessage)
  {
    ReceiveReport(wParam, lParam);
    return 0;
  }
  if (message == kShellDrainMessage)
  {
    Drain();
    return 0;
  }
  return ::DefWindowProcA(Handle(), message, wParam, lParam);
}

std::unique_ptr<TStShellItem> TStCustomShellNotification::MakeItem(LPCITEMIDLIST list) const
{
  if (!list)
    return nullptr;
  return std::unique_ptr<TStShellItem>(new TStShellItem(_shell, list));
}

void TStCustomShellNotification::ReceiveReport(WPARAM wParam, LPARAM lParam)
{
  // The two lists are valid only while this message is handled.
  const LPCITEMIDLIST *lists = reinterpret_cast<const LPCITEMIDLIST *>(wParam);
  const LPCITEMIDLIST first = lists ? lists[0] : nullptr;
  const LPCITEMIDLIST second = lists ? lists[1] : nullptr;
  const DWORD mask = static_cast<DWORD>(lParam);
  if (mask & SHCNE_ATTRIBUTES)
  {
    const AliveToken alive = _alive;
    std::unique_ptr<TStShellItem> oldItem = MakeItem(first);
    std::unique_ptr<TStShellItem> newItem = MakeItem(second);
    DoAttributesChange(oldItem.get(), newItem.get());
    if (*alive)
      DoShellChangeNotify(oldItem.get(), newItem.get(), {neAttributesChange});
    return;
  }
  _queue.emplace_back(new TStNotificationItem(_shell, first, second, mask));
  // While a drain runs its head stays queued, so only the first report of an
  // idle queue needs a drain message.
  if (_queue.size() == 1)
    ::PostMessageA(Handle(), kShellDrainMessage, 0, 0);
}

void TStCustomShellNotification::Drain()
{
  const AliveToken alive = _alive;
  while (!_queue.empty())
  {
    bool stillAlive = false;
    try
    {
      stillAlive = DispatchReport(*_queue.front(), alive);
    }
    catch (...)
    {
      // The report is finished either way; the rest must not be stranded
      // without a drain message.
      if (*alive)
      {
        _queue.pop_front();
        if (!_queue.empty())
          ::PostMessageA(Handle(), kShellDrainMessage, 0, 0);
      }
      throw;
    }
    if (!stillAlive)
      return;
    _queue.pop_front();
  }
}

bool TStCustomShellNotification::DispatchReport(const TStNotificationItem &report, const AliveToken &alive)
{
  TStNotifyEventsSet events;
  std::unique_ptr<TStShellItem> first = MakeItem(report.First());
  std::unique_ptr<TStShellItem> second = MakeItem(report.Second());
  const DWORD mask = report.EventMask();
  for (TStNotifyEvents member : kDrainOrder)
  {
    if (!(mask & ShellEventBit(member)))
      continue;
    events.Include(member);
    Dispatch(member, first.get(), second.get(), report.First());
    if (!*alive)
      return false;
  }
  DoShellChangeNotify(first.get(), second.get(), events);
  return *alive;
}

void TStCustomShellNotification::Dispatch(TStNotifyEvents member, TStShellItem *first, TStShellItem *second,
                                          LPCITEMIDLIST firstList)
{
  switch (member)
  {
  case neAssociationChange: DoAssociationChange(); break;
  case neAttributesChange: DoAttributesChange(first, second); break;
  case neFileChange: DoFileChange(first); break;
  case neFileCreate: DoFileCreate(first); break;
  case neFileDelete: DoFileDelete(first, second); break;
  case neFileRename: DoFileRename(first, second); break;
  case neDriveAdd: DoDriveAdd(first); break;
  case neDriveRemove: DoDriveRemove(first); break;
  case neShellDriveAdd: DoShellDriveAdd(first); break;
  case neDriveSpaceChange: DoDriveSpaceChange(DriveBitsOf(firstList)); break;
  case neMediaInsert:
    if (first)
      first->RefreshMedia();
    DoMediaInsert(first);
    break;
  case neMediaRemove:
    if (first)
      first->RefreshMedia();
    DoMediaRemove(first);
    break;
  case neFolderCreate: DoFolderCreate(first); break;
  case neFolderDelete: DoFolderDelete(first); break;
  case neFolderRename: DoFolderRename(first, second); break;
  case neFolderUpdate: DoFolderChange(first); break;
  case neNetShare: DoNetShare(first); break;
  case neNetUnShare: DoNetUnShare(first); break;
  case neServerDisconnect: DoServerDisconnect(first); break;
  case neImageListChange: DoImageListChange(); break;
  }
}

void TStCustomShellNotification::DoAssociationChange() { Fire(OnAssociationChange, this); }
void TStCustomShellNotification::DoAttributesChange(TStShellItem *OldShellItem, TStShellItem *NewShellItem)
{
  Fire(OnAttributeChange, this, OldShellItem, NewShellItem);
}
void TStCustomShellNotification::DoDriveAdd(TStShellItem *ShellItem) { Fire(OnDriveAdd, this, ShellItem); }
void TStCustomShellNotification::DoDriveRemove(TStShellItem *ShellItem) { Fire(OnDriveRemove, this, ShellItem); }
void TStCustomShellNotification::DoDriveSpaceChange(DWORD Drive) { Fire(OnDriveSpaceChange, this, Drive); }
void TStCustomShellNotification::DoFileChange(TStShellItem *ShellItem) { Fire(OnFileChange, this, ShellItem); }
void TStCustomShellNotification::DoFileCreate(TStShellItem *ShellItem) { Fire(OnFileCreate, this, ShellItem); }
void TStCustomShellNotification::DoFileDelete(TStShellItem *OldShellItem, TStShellItem *NewShellItem)
{
  Fire(OnFileDelete, this, OldShellItem, NewShellItem);
}
void TStCustomShellNotification::DoFileRename(TStShellItem *OldShellItem, TStShellItem *NewShellItem)
{
  Fire(OnFileRename, this, OldShellItem, NewShellItem);
}
void TStCustomShellNotification::DoFolderChange(TStShellItem *ShellItem) { Fire(OnFolderChange, this, ShellItem); }
void TStCustomShellNotification::DoFolderCreate(TStShellItem *ShellItem) { Fire(OnFolderCreate, this, ShellItem); }
void TStCustomShellNotification::DoFolderDelete(TStShellItem *ShellItem) { Fire(OnFolderDelete, this, ShellItem); }
void TStCustomShellNotification::DoFolderRename(TStShellItem *OldShellItem, TStShellItem *NewShellItem)
{
  Fire(OnFolderRename, this, OldShellItem, NewShellItem);
}
void TStCustomShellNotification::DoImageListChange() { Fire(OnImageListChange, this); }
void TStCustomShellNotification::DoMediaInsert(TStShellItem *ShellItem) { Fire(OnMediaInsert, this, ShellItem); }
void TStCustomShellNotification::DoMediaRemove(TStShellItem *ShellItem) { Fire(OnMediaRemove, this, ShellItem); }
void TStCustomShellNotification::DoNetShare(TStShellItem *ShellItem) { Fire(OnNetShare, this, ShellItem); }
void TStCustomShellNotification::DoNetUnShare(TStShellItem *ShellItem) { Fire(OnNetUnShare, this, ShellItem); }
void TStCustomShellNotification::DoServerDisconnect(TStShellItem *ShellItem)
{
  Fire(OnServerDisconnect, this, ShellItem);
}
void TStCustomShellNotification::DoShellDriveAdd(TStShellItem *ShellItem)
{
  Fire(OnShellDriveAdd, this, ShellItem);
}
void TStCustomShellNotification::DoShellChangeNotify(TStShellItem *OldShellItem, TStShellItem *NewShellItem,
                                                     TStNotifyEventsSet Events)
{
  Fire(OnShellChangeNotify, this, OldShellItem, NewShellItem, Events);
}
