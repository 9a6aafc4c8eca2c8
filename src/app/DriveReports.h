#pragma once
#include <functional>
#include <memory>
#include <string>
#include "../platform/Window.h"

class TStShellNotification;
class TStShellItem;

// The shell's reports of a drive added, a medium inserted or a folder
// shared: each item's path is handed on as a root to inspect, saying
// whether it was shared (a shared folder or drive is never vaccinated). Registered at
// once; a report is handled once the message loop runs.
class TDriveReports
{
public:
  using InspectFn = std::function<void(const std::string &root, bool shared)>;
  explicit TDriveReports(InspectFn inspect);
  ~TDriveReports();
  void SetErrorReporter(CWindow::ErrorReporter reporter);

private:
  void ItemReported(const TStShellItem *item, bool shared);

  InspectFn _inspect;
  std::unique_ptr<TStShellNotification> _notification;
};
