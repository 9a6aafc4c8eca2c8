#pragma once
// Notification area icon for the main window: shows the icon, reports clicks,
// shows a popup menu, and takes the main window to the tray when it is
// minimized or closed. The component hooks the owner window's procedure the
// first time it adds its icon and puts the previous one back when destroyed.
// Only one may exist at a time.
//
// Use (stored properties first, the icon when loading is over):
//   trayIcon.reset(new TStTrayIcon(ownerWindow));
//   trayIcon->BeginLoading();
//   trayIcon->SetActive(false);
//   trayIcon->SetMinimizeToTray(true);
//   trayIcon->SetCloseToTray(false);
//   trayIcon->SetPopupMenu(ownerPopupMenu);  // its items arrive as WM_COMMAND at the owner
//   trayIcon->OnDblClick = [this](TStCustomTrayIcon *Sender, TMouseButton Button, TShiftState Shift,
//                                 bool &RestoreApp) { ... };
//   trayIcon->Loaded();
//   trayIcon->SetActive(true);  // throws ETrayIconError 119 when the shell refuses the icon
// The icon, the popup menu and the owner window stay the caller's; the
// component never destroys them. Destroy the component before the owner
// window, or after it: both are safe.
#include <windows.h>
#include <shellapi.h>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include "../platform/GdiHandle.h"
#include "../platform/NonCopyable.h"
#include "ComponentWindow.h"

class TStCustomTrayIcon;

// Thrown where a property cannot be applied; Code is the message number.
class ETrayIconError : public std::runtime_error
{
public:
  ETrayIconError(int code, const std::string &message) : std::runtime_error(message), Code(code) {}
  int Code;
};

constexpr int kTrayErrorAdd = 119;        // "Error adding tray icon"
constexpr int kTrayErrorModify = 121;     // "Tray icon error"
constexpr int kTrayErrorSecond = 133;     // "Cannot have more than one StTrayIcon per application"

// The icon's id and the message the shell sends to the hidden window
// (lParam: the mouse message).
constexpr UINT kTrayIconId = 2;
constexpr UINT kTrayIconCallbackMessage = 0x6FF;
// Item ids of the component's own popup menu.
constexpr UINT kTrayMenuClose = 1;
constexpr UINT kTrayMenuRestore = 2;

enum TMouseButton
{
  mbLeft,
  mbRight,
  mbMiddle
};

// Keys and buttons held at a click, as bits.
using TShiftState = unsigned;
constexpr TShiftState ssShift = 0x01;
constexpr TShiftState ssAlt = 0x02;
constexpr TShiftState ssCtrl = 0x04;
constexpr TShiftState ssLeft = 0x08;
constexpr TShiftState ssRight = 0x10;
constexpr TShiftState ssMiddle = 0x20;
constexpr TShiftState ssDouble = 0x40;

using TStTrayNotifyEvent = std::function<void(TStCustomTrayIcon *Sender)>;
using TStTrayMouseEvent = std::function<void(TStCustomTrayIcon *Sender, TMouseButton Button, TShiftState Shift)>;
using TStTrayDblClickEvent =
  std::function<void(TStCustomTrayIcon *Sender, TMouseButton Button, TShiftState Shift, bool &RestoreApp)>;

// Every Shell_NotifyIconA call of the component goes through the function it
// is given: the system's, or a test's that answers as no shell here can.
using TShellNotifyIconFn = BOOL(WINAPI *)(DWORD, PNOTIFYICONDATAA);
static_assert(std::is_same<TShellNotifyIconFn, decltype(&::Shell_NotifyIconA)>::value, "");

class TStCustomTrayIcon : CNonCopyable
{
public:
  // Creates the hidden window and the own popup menu; owner is the main
  // window. Throws ETrayIconError 133 while another component exists.
  explicit TStCustomTrayIcon(HWND owner, TShellNotifyIconFn notifyIcon = &::Shell_NotifyIconA);
  // Removes the icon, unhooks the owner if it still lives, destroys the
  // hidden window.
  virtual ~TStCustomTrayIcon();

  // Stored properties are being applied: Active waits for Loaded. A new
  // component reads Active true but shows nothing before Loaded or
  // SetActive(true).
  void BeginLoading() { _loading = true; }
  // Loading is over: adds the icon if Active (ETrayIconError 119 then, and
  // Active is false again).
  virtual void Loaded();
  bool Loading() const { return _loading; }

  // Hooks the owner (once), then adds the icon; throws ETrayIconError 119
  // when the shell refuses it. Nothing is done while it is in the tray.
  void AddToTray();
  void DeleteFromTray();
  bool InTray() const { return _inTray; }

  // Brings the owner back from the tray, as a double click does.
  virtual void DoRestore();

  HWND Handle() const;  // the hidden window that owns the icon
  // Where failures of the hidden window's messages, and of the owner's that
  // the component handles, are reported.
  void SetErrorReporter(CWindow::ErrorReporter reporter);
  HWND Owner() const { return _owner; }

protected:
  bool GetActive() const { return _active; }
  void SetActive(bool value);
  bool GetAnimate() const { return _animate; }
  void SetAnimate(bool value) { _animate = value; }
  bool GetCloseToTray() const { return _closeToTray; }
  void SetCloseToTray(bool value) { _closeToTray = value; }
  bool GetHideOnRestore() const { return _hideOnRestore; }
  void SetHideOnRestore(bool value) { _hideOnRestore = value; }
  const std::string &GetHint() const { return _hint; }
  void SetHint(const std::string &value);
  HICON GetIcon() const { return _icon; }
  void SetIcon(HICON value);
  bool GetMinimizeToTray() const { return _minimizeToTray; }
  void SetMinimizeToTray(bool value) { _minimizeToTray = value; }
  // A popup menu (CreatePopupMenu, or GetSubMenu of a loaded menu); nullptr
  // for none. By default the component's own "&Close" / "&Restore" menu.
  HMENU GetPopupMenu() const { return _popupMenu; }
  void SetPopupMenu(HMENU value) { _popupMenu = value; }
  bool GetShowHint() const { return _showHint; }
  void SetShowHint(bool value);

  TStTrayMouseEvent OnClick;
  TStTrayDblClickEvent OnDblClick;
  TStTrayNotifyEvent OnMinimize;
  TStTrayNotifyEvent OnRestore;

  virtual void DoClick(TMouseButton Button, TShiftState Shift);
  virtual void DoDblClick(TMouseButton Button, TShiftState Shift);
  virtual void DoMinimize();
  virtual void DoPopupMenu();

  // Fills the icon record and hands it to the shell.
  bool NotifyIcon(DWORD message);
  // The hidden window's procedure.
  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
  using AliveToken = std::shared_ptr<bool>;
  struct MenuDeleter
  {
    void operator()(HMENU menu) const { ::DestroyMenu(menu); }
  };

  static LRESULT CALLBACK AppWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // True when the owner's message was taken here and is not passed on.
  bool OwnerMessage(UINT message, WPARAM wParam);
  void HookOwner();
  void UnhookOwner();
  void Modify();
  HICON CurrentIcon();
  void ReportFailure(std::exception_ptr failure);

  HWND _owner;
  const TShellNotifyIconFn _notifyIcon;
  std::unique_ptr<TStComponentWindow> _window;
  std::unique_ptr<std::remove_pointer<HMENU>::type, MenuDeleter> _ownMenu;
  AliveToken _alive = std::make_shared<bool>(true);
  UINT _taskbarCreated = 0;
  WNDPROC _previousProc = nullptr;
  bool _hooked = false;
  bool _inTray = false;
  int _positionChanges = 0;
  std::exception_ptr _failure;

  bool _loading = false;
  bool _active = true;
  bool _animate = false;
  bool _closeToTray = true;
  bool _hideOnRestore = false;
  std::string _hint;
  HICON _icon = nullptr;
  CIcon _programIcon;
  bool _minimizeToTray = false;
  HMENU _popupMenu = nullptr;
  bool _showHint = true;
};

// The component as its owner sets it up: the properties made public.
class TStTrayIcon : public TStCustomTrayIcon
{
public:
  explicit TStTrayIcon(HWND owner, TShellNotifyIconFn notifyIcon = &::Shell_NotifyIconA)
    : TStCustomTrayIcon(owner, notifyIcon)
  {
  }

  using TStCustomTrayIcon::GetActive;
  using TStCustomTrayIcon::SetActive;
  using TStCustomTrayIcon::GetAnimate;
  using TStCustomTrayIcon::SetAnimate;
  using TStCustomTrayIcon::GetCloseToTray;
  using TStCustomTrayIcon::SetCloseToTray;
  using TStCustomTrayIcon::GetHideOnRestore;
  using TStCustomTrayIcon::SetHideOnRestore;
  using TStCustomTrayIcon::GetHint;
  using TStCustomTrayIcon::SetHint;
  using TStCustomTrayIcon::GetIcon;
  using TStCustomTrayIcon::SetIcon;
  using TStCustomTrayIcon::GetMinimizeToTray;
  using TStCustomTrayIcon::SetMinimizeToTray;
  using TStCustomTrayIcon::GetPopupMenu;
  using TStCustomTrayIcon::SetPopupMenu;
  using TStCustomTrayIcon::GetShowHint;
  using TStCustomTrayIcon::SetShowHint;

  using TStCustomTrayIcon::OnClick;
  using TStCustomTrayIcon::OnDblClick;
  using TStCustomTrayIcon::OnMinimize;
  using TStCustomTrayIcon::OnRestore;
};
