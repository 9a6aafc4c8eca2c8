// The notification source against Wine's real shell: reports are raised with
// SHChangeNotify inside this process (Wine delivers those, not other
// processes' ones) or, where the shell cannot produce a combination, posted
// to the component's own report message with real item lists.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <cstring>
#include <cwchar>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>
#include "shell/ShellNotification.h"

namespace
{
const char kBoxCaption[] = "Shell notification test";

void Pump(int rounds = 10)
{
  for (int i = 0; i < rounds; ++i)
  {
    MSG msg;
    bool any = false;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
      any = true;
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    if (!any)
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void RaisePath(LONG event, const char *path)
{
  ::SHChangeNotify(event, SHCNF_PATHA, path, nullptr);
}

// The box a handler shows, once it is up; closes it with its OK button.
void CloseBoxWhenShown(const std::function<void()> &whileOpen)
{
  HWND box = nullptr;
  for (int i = 0; i < 4000 && !box; ++i)
  {
    box = ::FindWindowA("#32770", kBoxCaption);
    if (!box)
      ::Sleep(5);
  }
  if (!box)
    return;
  whileOpen();
  ::SendMessageA(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
}

// Counts the drain messages the component's window receives.
WNDPROC g_originalProc = nullptr;
int g_drainMessages = 0;
LRESULT CALLBACK CountingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == kShellDrainMessage)
    ++g_drainMessages;
  return ::CallWindowProcA(g_originalProc, hwnd, message, wParam, lParam);
}

// ILClone and ILFree that count, so a test can see every copy freed.
int g_clones = 0;
int g_frees = 0;
LPITEMIDLIST WINAPI CountingClone(LPCITEMIDLIST list)
{
  LPITEMIDLIST copy = ShellFunctions().ILClone(list);
  if (copy)
    ++g_clones;
  return copy;
}
void WINAPI CountingFree(LPITEMIDLIST list)
{
  if (list)
    ++g_frees;
  ShellFunctions().ILFree(list);
}

struct ItemList
{
  explicit ItemList(const char *path) : list(::ILCreateFromPathA(path)) {}
  ~ItemList() { ::ILFree(list); }
  LPITEMIDLIST list;
};

class ShellNotificationTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ::CreateDirectoryA("C:\\Share", nullptr);
    Create(TStNotifyEventsSet{neDriveAdd, neShellDriveAdd, neMediaInsert, neNetShare});
  }
  void TearDown() override
  {
    component.reset();
  }

  // Set up as the main window does, with every handler recording its call.
  void Create(const TStNotifyEventsSet &events, const TShellFunctions &shell = ShellFunctions())
  {
    component.reset(new TStShellNotification(shell));
    component->BeginLoading();
    component->SetActive(true);
    component->SetNotifyEvents(events);
    auto record = [this](const char *kind)
    {
      return [this, kind](TStCustomShellNotification *sender, TStShellItem *item)
      {
        EXPECT_EQ(sender, component.get());
        calls.push_back(std::string(kind) + " " + (item ? item->Path : "(none)"));
        if (onCall)
          onCall();
      };
    };
    component->OnDriveAdd = record("DriveAdd");
    component->OnShellDriveAdd = record("ShellDriveAdd");
    component->OnMediaInsert = record("MediaInsert");
    component->OnNetShare = record("NetShare");
    component->OnFolderCreate = record("FolderCreate");
    component->OnShellChangeNotify = [this](TStCustomShellNotification *, TStShellItem *, TStShellItem *,
                                            TStNotifyEventsSet events)
    {
      notifySets.push_back(events);
    };
    EXPECT_FALSE(component->Registered());
    component->Loaded();
  }
  void CountDrainMessages()
  {
    g_drainMessages = 0;
    g_originalProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
      component->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc)));
  }
  // The component's own report message, as the shell would send it.
  LRESULT SendReport(DWORD mask, LPCITEMIDLIST first, LPCITEMIDLIST second)
  {
    LPCITEMIDLIST lists[2] = {first, second};
    return ::SendMessageA(component->Handle(), kShellReportMessage, reinterpret_cast<WPARAM>(lists),
                          static_cast<LPARAM>(mask));
  }

  std::unique_ptr<TStShellNotification> component;
  std::vector<std::string> calls;
  std::vector<TStNotifyEventsSet> notifySets;
  std::function<void()> onCall;
};
}

TEST_F(ShellNotificationTest, EachReportCallsItsHandlerOnceWithTheParsingName)
{
  ASSERT_TRUE(component->Registered());
  EXPECT_EQ(ShellEventMask(component->GetNotifyEvents()), 0x10320u);
  EXPECT_EQ(ShellEventMask(TStNotifyEventsSet::All()), 0x0807FFFFu);

  RaisePath(SHCNE_DRIVEADD, "E:\\");
  RaisePath(SHCNE_MEDIAINSERTED, "E:\\");
  RaisePath(SHCNE_DRIVEADDGUI, "E:\\");
  RaisePath(SHCNE_NETSHARE, "E:\\");
  RaisePath(SHCNE_NETSHARE, "C:\\Share");
  // Not among the registered kinds: the shell keeps it, although a handler is set.
  RaisePath(SHCNE_MKDIR, "C:\\Share");
  // Nothing runs inside the shell's delivery.
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(component->QueuedReports(), 5u);
  Pump();

  const std::vector<std::string> expected = {"DriveAdd E:\\", "MediaInsert E:\\", "ShellDriveAdd E:\\",
                                             "NetShare E:\\", "NetShare C:\\Share"};
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(notifySets.size(), 5u);
  EXPECT_EQ(component->QueuedReports(), 0u);

  // Registered again with a wider set, the folder report comes through.
  component->SetNotifyEvents({neFolderCreate});
  EXPECT_TRUE(component->Registered());
  calls.clear();
  RaisePath(SHCNE_MKDIR, "C:\\Share");
  RaisePath(SHCNE_MEDIAINSERTED, "E:\\");
  Pump();
  EXPECT_EQ(calls, std::vector<std::string>{"FolderCreate C:\\Share"});
}

TEST_F(ShellNotificationTest, OneReportDispatchesItsBitsInOrderThenNotifiesOnce)
{
  ItemList drive("E:\\");
  ASSERT_NE(drive.list, nullptr);
  // The interrupt flag the shell may add is not a kind.
  SendReport(SHCNE_NETSHARE | SHCNE_MEDIAINSERTED | SHCNE_DRIVEADD | SHCNE_INTERRUPT, drive.list, nullptr);
  Pump();
  const std::vector<std::string> expected = {"DriveAdd E:\\", "MediaInsert E:\\", "NetShare E:\\"};
  EXPECT_EQ(calls, expected);
  ASSERT_EQ(notifySets.size(), 1u);
  EXPECT_EQ(notifySets[0], (TStNotifyEventsSet{neDriveAdd, neMediaInsert, neNetShare}));

  // No first list: the handler gets no item. No known bit: only the notification, with an empty set.
  calls.clear();
  notifySets.clear();
  SendReport(SHCNE_DRIVEADD, nullptr, nullptr);
  SendReport(SHCNE_INTERRUPT, drive.list, nullptr);
  SendReport(SHCNE_MEDIAREMOVED, drive.list, nullptr);  // no handler assigned
  Pump();
  EXPECT_EQ(calls, std::vector<std::string>{"DriveAdd (none)"});
  ASSERT_EQ(notifySets.size(), 3u);
  EXPECT_TRUE(notifySets[1].Empty());
  EXPECT_EQ(notifySets[2], TStNotifyEventsSet{neMediaRemove});

  // An attributes report is handled inside its delivery, with both items.
  std::vector<std::string> attributes;
  component->OnAttributeChange = [&](TStCustomShellNotification *, TStShellItem *oldItem, TStShellItem *newItem)
  {
    attributes.push_back(oldItem->Path + "|" + (newItem ? newItem->Path : "(none)"));
  };
  ItemList share("C:\\Share");
  notifySets.clear();
  SendReport(SHCNE_ATTRIBUTES | SHCNE_DRIVEADD, share.list, drive.list);
  EXPECT_EQ(attributes, std::vector<std::string>{"C:\\Share|E:\\"});
  ASSERT_EQ(notifySets.size(), 1u);
  EXPECT_EQ(notifySets[0], TStNotifyEventsSet{neAttributesChange});
  EXPECT_EQ(component->QueuedReports(), 0u);

  // A free-space report carries the drive bits where the first list's item data begins.
  DWORD drives = 0;
  component->OnDriveSpaceChange = [&](TStCustomShellNotification *, DWORD bits) { drives = bits; };
#pragma pack(push, 1)
  struct
  {
    USHORT cb;
    DWORD drive;
    USHORT end;
  } freeSpace = {sizeof(USHORT) + sizeof(DWORD), 1u << 4, 0};
#pragma pack(pop)
  const DWORD eBit = 1u << 4;
  SendReport(SHCNE_FREESPACE, reinterpret_cast<LPCITEMIDLIST>(&freeSpace), nullptr);
  Pump();
  EXPECT_EQ(drives, eBit);
}

TEST_F(ShellNotificationTest, ReportsDuringAMessageBoxWaitAndFollowInArrivalOrder)
{
  CountDrainMessages();
  size_t queuedAfterBox = 0;
  onCall = [&]()
  {
    if (calls.size() != 1)
      return;
    std::thread watcher(CloseBoxWhenShown, []()
    {
      RaisePath(SHCNE_MEDIAINSERTED, "F:\\");
      RaisePath(SHCNE_DRIVEADD, "G:\\");
      RaisePath(SHCNE_NETSHARE, "C:\\Share");
    });
    ::MessageBoxA(nullptr, "A report is being handled", kBoxCaption, MB_OK);
    watcher.join();
    queuedAfterBox = component->QueuedReports();
  };
  RaisePath(SHCNE_MEDIAINSERTED, "E:\\");
  Pump();
  const std::vector<std::string> expected = {"MediaInsert E:\\", "MediaInsert F:\\", "DriveAdd G:\\",
                                             "NetShare C:\\Share"};
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(queuedAfterBox, 4u);
  EXPECT_EQ(g_drainMessages, 1);
  EXPECT_EQ(component->QueuedReports(), 0u);
}

TEST_F(ShellNotificationTest, ABurstDuringAMessageBoxIsHandledCompletelyInOrder)
{
  const int kReports = 1000;
  ::CreateDirectoryA("C:\\Burst", nullptr);
  std::vector<std::string> folders;
  for (int i = 0; i < kReports; ++i)
  {
    folders.push_back("C:\\Burst\\" + std::to_string(i));
    ::CreateDirectoryA(folders.back().c_str(), nullptr);
  }
  CountDrainMessages();
  onCall = [&]()
  {
    if (calls.size() != 1)
      return;
    std::thread watcher(CloseBoxWhenShown, [&]()
    {
      for (const std::string &folder : folders)
        RaisePath(SHCNE_NETSHARE, folder.c_str());
    });
    ::MessageBoxA(nullptr, "A report is being handled", kBoxCaption, MB_OK);
    watcher.join();
  };
  RaisePath(SHCNE_DRIVEADD, "E:\\");
  Pump();
  ASSERT_EQ(calls.size(), static_cast<size_t>(kReports + 1));
  for (int i = 0; i < kReports; ++i)
    ASSERT_EQ(calls[i + 1], "NetShare " + folders[i]) << i;
  EXPECT_EQ(g_drainMessages, 1);
}

TEST_F(ShellNotificationTest, QueuedReportsOutliveDeactivationButNotDestruction)
{
  RaisePath(SHCNE_DRIVEADD, "E:\\");
  RaisePath(SHCNE_MEDIAINSERTED, "F:\\");
  component->SetActive(false);
  EXPECT_FALSE(component->Registered());
  RaisePath(SHCNE_MEDIAINSERTED, "G:\\");  // no longer registered
  EXPECT_EQ(component->QueuedReports(), 2u);
  Pump();
  EXPECT_EQ(calls, (std::vector<std::string>{"DriveAdd E:\\", "MediaInsert F:\\"}));

  component->SetActive(true);
  EXPECT_TRUE(component->Registered());
  calls.clear();
  RaisePath(SHCNE_DRIVEADD, "E:\\");
  RaisePath(SHCNE_DRIVEADD, "F:\\");
  EXPECT_EQ(component->QueuedReports(), 2u);
  component.reset();
  Pump();
  EXPECT_TRUE(calls.empty());

  // The queued copies are freed with the component.
  TShellFunctions counting = ShellFunctions();
  counting.ILClone = CountingClone;
  counting.ILFree = CountingFree;
  g_clones = g_frees = 0;
  Create(TStNotifyEventsSet{neDriveAdd}, counting);
  RaisePath(SHCNE_DRIVEADD, "E:\\");
  RaisePath(SHCNE_DRIVEADD, "F:\\");
  EXPECT_EQ(g_clones, 2);
  component.reset();
  Pump();
  EXPECT_EQ(g_frees, g_clones);
  EXPECT_TRUE(calls.empty());

  // A handler that ends the component ends the drain with it.
  Create(TStNotifyEventsSet{neDriveAdd});
  onCall = [this]() { component.reset(); };
  RaisePath(SHCNE_DRIVEADD, "E:\\");
  RaisePath(SHCNE_DRIVEADD, "F:\\");
  Pump();
  EXPECT_EQ(calls, std::vector<std::string>{"DriveAdd E:\\"});
}

TEST_F(ShellNotificationTest, AThrowingHandlerDoesNotStrandLaterReports)
{
  onCall = [this]()
  {
    if (calls.size() == 1)
      throw std::runtime_error("handler failed");
  };
  RaisePath(SHCNE_DRIVEADD, "E:\\");
  RaisePath(SHCNE_DRIVEADD, "F:\\");
  RaisePath(SHCNE_DRIVEADD, "G:\\");
  Pump();
  const std::vector<std::string> expected = {"DriveAdd E:\\", "DriveAdd F:\\", "DriveAdd G:\\"};
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(component->QueuedReports(), 0u);
}

TEST_F(ShellNotificationTest, ItemsFromRealLists)
{
  const TShellFunctions &shell = ShellFunctions();
  ASSERT_TRUE(shell.Complete());
  ItemList share("C:\\Share");
  TStShellItem item(shell, share.list);
  EXPECT_EQ(item.Path, "C:\\Share");
  EXPECT_EQ(item.DisplayName, "Share");
  EXPECT_NE(item.AbsoluteList(), share.list);
  EXPECT_TRUE(::ILIsEqual(item.AbsoluteList(), share.list));
  ASSERT_NE(item.RelativeList(), nullptr);
  EXPECT_EQ(item.RelativeList()->mkid.cb, ::ILFindLastID(share.list)->mkid.cb);
  EXPECT_NE(item.ParentFolder(), nullptr);
  EXPECT_EQ(item.IconIndex, -1);
  item.RefreshMedia();
  EXPECT_GE(item.IconIndex, 0);
  EXPECT_EQ(item.Path, "C:\\Share");

  ItemList drive("E:\\");
  TStShellItem root(shell, drive.list);
  EXPECT_EQ(root.Path, "E:\\");
  EXPECT_FALSE(root.DisplayName.empty());

  // The display name record's three kinds, and one it does not know.
  STRRET name = {};
  name.uType = STRRET_CSTR;
  std::strcpy(name.cStr, "Removable Disk (E:)");
  EXPECT_EQ(DisplayNameText(name, nullptr), "Removable Disk (E:)");
  name.uType = STRRET_WSTR;
  name.pOleStr = static_cast<LPWSTR>(::CoTaskMemAlloc(sizeof(L"Share")));
  std::wcscpy(name.pOleStr, L"Share");
  EXPECT_EQ(DisplayNameText(name, nullptr), "Share");
  BYTE relative[16] = {12};
  std::memcpy(relative + 4, "Offset", 7);
  name.uType = STRRET_OFFSET;
  name.uOffset = 4;
  EXPECT_EQ(DisplayNameText(name, reinterpret_cast<LPCITEMIDLIST>(relative)), "Offset");
  name.uType = 7;
  EXPECT_EQ(DisplayNameText(name, reinterpret_cast<LPCITEMIDLIST>(relative)), "");
}

TEST_F(ShellNotificationTest, MissingShellFunctionsLeaveTheComponentSilent)
{
  // The test program exports nothing.
  const TShellFunctions none = ResolveShellFunctions(::GetModuleHandleA(nullptr));
  EXPECT_EQ(none.SHChangeNotifyRegister, nullptr);
  EXPECT_EQ(none.ILFree, nullptr);
  EXPECT_FALSE(none.Complete());
  EXPECT_FALSE(ResolveShellFunctions(nullptr).Complete());
  const TShellFunctions real = ResolveShellFunctions(::GetModuleHandleA("shell32.dll"));
  EXPECT_TRUE(real.Complete());
  EXPECT_EQ(real.ILClone, ShellFunctions().ILClone);

  ItemList drive("E:\\");
  Create(TStNotifyEventsSet{neDriveAdd}, none);
  EXPECT_FALSE(component->Registered());
  RaisePath(SHCNE_DRIVEADD, "E:\\");
  EXPECT_EQ(component->QueuedReports(), 0u);
  // A report that reaches the window anyway cannot be copied: no item.
  SendReport(SHCNE_DRIVEADD, drive.list, nullptr);
  Pump();
  EXPECT_EQ(calls, std::vector<std::string>{"DriveAdd (none)"});
  EXPECT_EQ(notifySets.size(), 1u);

  // Only ILClone missing: still no registration, and an item made at once holds no copies.
  TShellFunctions noClone = real;
  noClone.ILClone = nullptr;
  Create(TStNotifyEventsSet{neDriveAdd}, noClone);
  EXPECT_FALSE(component->Registered());
  TStShellItem item(noClone, drive.list);
  EXPECT_EQ(item.AbsoluteList(), nullptr);
  EXPECT_EQ(item.RelativeList(), nullptr);
  EXPECT_NE(item.ParentFolder(), nullptr);
  EXPECT_EQ(item.Path, "");

  Create(TStNotifyEventsSet{neDriveAdd});
  EXPECT_TRUE(component->Registered());
}

TEST_F(ShellNotificationTest, AWatchedFolderNarrowsTheRegistration)
{
  ::CreateDirectoryA("C:\\Share\\Sub", nullptr);
  component->SetWatchFolder("C:\\Share");
  EXPECT_TRUE(component->Registered());
  RaisePath(SHCNE_NETSHARE, "C:\\Share");
  RaisePath(SHCNE_NETSHARE, "C:\\Share\\Sub");
  RaisePath(SHCNE_NETSHARE, "E:\\");
  Pump();
  EXPECT_EQ(calls, std::vector<std::string>{"NetShare C:\\Share"});

  calls.clear();
  component->SetWatchSubFolders(true);
  EXPECT_TRUE(component->Registered());
  RaisePath(SHCNE_NETSHARE, "C:\\Share\\Sub");
  RaisePath(SHCNE_NETSHARE, "E:\\");
  Pump();
  EXPECT_EQ(calls, std::vector<std::string>{"NetShare C:\\Share\\Sub"});

  // A folder that cannot be found must not widen the watch to everything.
  component->SetWatchFolder("C:\\Missing");
  EXPECT_FALSE(component->Registered());
  component->SetWatchFolder("");
  component->SetSpecialWatchFolder(sfDrives);
  EXPECT_TRUE(component->Registered());
  calls.clear();
  RaisePath(SHCNE_DRIVEADD, "E:\\");
  RaisePath(SHCNE_NETSHARE, "C:\\Share");
  Pump();
  EXPECT_EQ(calls, (std::vector<std::string>{"DriveAdd E:\\", "NetShare C:\\Share"}));
}
