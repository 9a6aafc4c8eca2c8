#include "DriveReports.h"
#include "../shell/ShellNotification.h"

TDriveReports::TDriveReports(InspectFn inspect)
  : _inspect(std::move(inspect)), _notification(new TStShellNotification())
{
  _notification->BeginLoading();
  _notification->SetActive(true);
  _notification->SetNotifyEvents({neDriveAdd, neShellDriveAdd, neMediaInsert, neNetShare});
  _notification->SetSpecialWatchFolder(sfNone);
  _notification->SetWatchSubFolders(false);
  const TStShellNotifyEvent1 reported = [this](TStCustomShellNotification *, TStShellItem *item)
  { ItemReported(item, false); };
  _notification->OnDriveAdd = reported;
  _notification->OnMediaInsert = reported;
  _notification->OnNetShare = [this](TStCustomShellNotification *, TStShellItem *item) { ItemReported(item, true); };
  _notification->OnShellDriveAdd = reported;
  _notification->Loaded();
}

TDriveReports::~TDriveReports() = default;

void TDriveReports::SetErrorReporter(CWindow::ErrorReporter reporter)
{
  _notification->SetErrorReporter(std::move(reporter));
}

// A report without an item, or an item the shell has no parsing name for,
// leaves nothing to inspect: an empty root would search the current folder.
void TDriveReports::ItemReported(const TStShellItem *item, bool shared)
{
  if (!item || item->Path.empty())
    return;
  const std::string root = item->Path;
  _inspect(root, shared);
}
