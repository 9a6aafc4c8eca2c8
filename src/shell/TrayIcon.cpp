#include "TrayIcon.h"
#include <cstring>
#include "../platform/Dpi.h"
#include "../platform/Window.h"

#if defined(__i386__)
// The first form of the record, which every shell accepts.
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "");
#endif
// SetWindowLongPtrA is SetWindowLongA on i686: a procedure must fit its LONG.
static_assert(sizeof(LONG_PTR) == sizeof(WNDPROC), "");

namespace
{
const char kComponentProp[] = "TStTrayIcon.Component";
const char kPreviousProp[] = "TStTrayIcon.Previous";
// Sent to the hidden window to rethrow a failure of the owner's procedure.
constexpr UINT kReportFailureMessage = WM_APP + 1;

const TStCustomTrayIcon *g_instance = nullptr;

HANDLE ProcAsHandle(WNDPROC proc) { return reinterpret_cast<HANDLE>(reinterpret_cast<LONG_PTR>(proc)); }

WNDPROC PreviousProcOf(HWND hwnd)
{
  return reinterpret_cast<WNDPROC>(reinterpret_cast<LONG_PTR>(::GetPropA(hwnd, kPreviousProp)));
}

WNDPROC CurrentProcOf(HWND hwnd) { return reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hwnd, GWLP_WNDPROC)); }

TShiftState ShiftStateNow(TShiftState extra)
{
  TShiftState shift = extra;
  if (::GetKeyState(VK_SHIFT) < 0)
    shift |= ssShift;
  if (::GetKeyState(VK_MENU) < 0)
    shift |= ssAlt;
  if (::GetKeyState(VK_CONTROL) < 0)
    shift |= ssCtrl;
  if (::GetKeyState(VK_LBUTTON) < 0)
    shift |= ssLeft;
  if (::GetKeyState(VK_RBUTTON) < 0)
    shift |= ssRight;
  if (::GetKeyState(VK_MBUTTON) < 0)
    shift |= ssMiddle;
  return shift;
}

void ProcessPendingMessages()
{
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
  {
    if (msg.message == WM_QUIT)
    {
      // Left for the main loop, which ends on it.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}
}

TStCustomTrayIcon::TStCustomTrayIcon(HWND owner, TShellNotifyIconFn notifyIcon) : _owner(owner), _notifyIcon(notifyIcon)
{
  if (g_instance)
    throw ETrayIconError(kTrayErrorSecond, "Cannot have more than one StTrayIcon per application");
  _ownMenu.reset(::CreatePopupMenu());
  if (_ownMenu)
  {
    ::AppendMenuA(_ownMenu.get(), MF_STRING, kTrayMenuClose, "&Close");
    ::AppendMenuA(_ownMenu.get(), MF_STRING, kTrayMenuRestore, "&Restore");
  }
  _popupMenu = _ownMenu.get();
  _taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
  // The icon's owner is a hidden top-level window. A message-only window would
  // not do: some shells send it no icon messages, and no system broadcasts
  // TaskbarCreated to it.
  _window.reset(new TStComponentWindow("TStTrayIconWindow", WS_POPUP, nullptr));
  _window->SetProcedure([this](UINT message, WPARAM wParam, LPARAM lParam)
                        { return WndProc(message, wParam, lParam); });
  g_instance = this;
}

TStCustomTrayIcon::~TStCustomTrayIcon()
{
  *_alive = false;
  UnhookOwner();
  DeleteFromTray();
  _window.reset();
  g_instance = nullptr;
}

HWND TStCustomTrayIcon::Handle() const { return _window ? _window->Handle() : nullptr; }

void TStCustomTrayIcon::SetErrorReporter(CWindow::ErrorReporter reporter)
{
  if (_window)
    _window->SetErrorReporter(std::move(reporter));
}

void TStCustomTrayIcon::Loaded()
{
  _loading = false;
  if (_active)
  {
    _active = false;
    SetActive(true);
  }
}

void TStCustomTrayIcon::SetActive(bool value)
{
  if (!_loading)
  {
    if (value)
      AddToTray();
    else
      DeleteFromTray();
  }
  _active = value;
}

void TStCustomTrayIcon::SetHint(const std::string &value)
{
  if (value == _hint)
    return;
  _hint = value;
  if (_showHint && _inTray)
    Modify();
}

void TStCustomTrayIcon::SetShowHint(bool value)
{
  _showHint = value;
  if (_inTray)
    Modify();
}

void TStCustomTrayIcon::SetIcon(HICON value)
{
  _icon = value;
  if (_inTray && _active)
    Modify();
}

void TStCustomTrayIcon::AddToTray()
{
  if (_inTray)
    return;
  HookOwner();
  _inTray = NotifyIcon(NIM_ADD);
  if (!_inTray)
    throw ETrayIconError(kTrayErrorAdd, "Error adding tray icon");
}

void TStCustomTrayIcon::DeleteFromTray()
{
  if (!_inTray)
    return;
  NotifyIcon(NIM_DELETE);
  _inTray = false;
}

void TStCustomTrayIcon::Modify()
{
  if (!NotifyIcon(NIM_MODIFY))
    throw ETrayIconError(kTrayErrorModify, "Tray icon error");
}

HICON TStCustomTrayIcon::CurrentIcon()
{
  if (_icon)
    return _icon;
  // The notification area shows small icons at the system's dpi, which stays
  // the same while the program runs.
  if (!_programIcon)
    _programIcon.reset(LoadIconForDpi(1, true, SystemDpi()));
  HICON icon = _programIcon.get();
  if (!icon && _owner)
    icon = reinterpret_cast<HICON>(::GetClassLongPtrA(_owner, GCLP_HICON));
  if (!icon)
    icon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  return icon;
}

bool TStCustomTrayIcon::NotifyIcon(DWORD message)
{
  NOTIFYICONDATAA data;
  std::memset(&data, 0, sizeof(data));
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = Handle();
  data.uID = kTrayIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | (_showHint ? NIF_TIP : 0);
  data.uCallbackMessage = kTrayIconCallbackMessage;
  data.hIcon = CurrentIcon();
  // The first form has room for 63 characters and the terminator.
  _hint.copy(data.szTip, 63);
  return _notifyIcon(message, &data) != FALSE;
}

void TStCustomTrayIcon::HookOwner()
{
  if (_hooked || !::IsWindow(_owner))
    return;
  _previousProc = CurrentProcOf(_owner);
  // The previous procedure is kept on the window as well, so that a procedure
  // set over this one later still reaches it after the component is gone.
  if (!::SetPropA(_owner, kComponentProp, this) || !::SetPropA(_owner, kPreviousProp, ProcAsHandle(_previousProc)))
  {
    ::RemovePropA(_owner, kComponentProp);
    ::RemovePropA(_owner, kPreviousProp);
    return;
  }
  ::SetWindowLongPtrA(_owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AppWndProc));
  _hooked = true;
}

void TStCustomTrayIcon::UnhookOwner()
{
  if (!_hooked)
    return;
  _hooked = false;
  if (!::IsWindow(_owner) || ::GetPropA(_owner, kComponentProp) != this)
    return;
  ::RemovePropA(_owner, kComponentProp);
  if (CurrentProcOf(_owner) == &AppWndProc)
  {
    ::SetWindowLongPtrA(_owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(_previousProc));
    ::RemovePropA(_owner, kPreviousProp);
  }
}

LRESULT CALLBACK TStCustomTrayIcon::AppWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  const WNDPROC previous = PreviousProcOf(hwnd);
  if (TStCustomTrayIcon *self = static_cast<TStCustomTrayIcon *>(::GetPropA(hwnd, kComponentProp)))
  {
    const AliveToken alive = self->_alive;
    try
    {
      if (self->OwnerMessage(message, wParam))
        return 0;
    }
    catch (...)
    {
      if (*alive)
        self->ReportFailure(std::current_exception());
      return CWindow::NeutralAnswer(message);
    }
  }
  const LRESULT result = previous ? ::CallWindowProcA(previous, hwnd, message, wParam, lParam)
                                  : ::DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY)
  {
    if (TStCustomTrayIcon *self = static_cast<TStCustomTrayIcon *>(::GetPropA(hwnd, kComponentProp)))
      self->_hooked = false;
    ::RemovePropA(hwnd, kComponentProp);
    ::RemovePropA(hwnd, kPreviousProp);
  }
  return result;
}

bool TStCustomTrayIcon::OwnerMessage(UINT message, WPARAM wParam)
{
  if (message == WM_WINDOWPOSCHANGED && _positionChanges < 2)
  {
    // A program started minimized goes to the tray at once.
    if (::IsIconic(_owner))
    {
      ++_positionChanges;
      ::ShowWindow(_owner, SW_HIDE);
    }
    else
      _positionChanges = 2;
    return false;
  }
  if (message != WM_SYSCOMMAND)
    return false;
  const WPARAM command = wParam & 0xFFF0;
  if (command == SC_MINIMIZE)
  {
    const AliveToken alive = _alive;
    DoMinimize();
    if (!*alive)
      return false;
  }
  const bool toTray = (command == SC_MINIMIZE && _minimizeToTray) || (command == SC_CLOSE && _closeToTray);
  if (!toTray || !_active)
    return false;
  // Normally in the tray already; if the icon cannot be added the window
  // stays, rather than vanishing with nothing to bring it back.
  AddToTray();
  ::ShowWindow(_owner, SW_HIDE);
  return true;
}

void TStCustomTrayIcon::ReportFailure(std::exception_ptr failure)
{
  // The owner's procedure has no barrier of its own; the hidden window's one
  // reports the failure through the program's reporter.
  if (!Handle())
    return;
  _failure = failure;
  ::SendMessageA(Handle(), kReportFailureMessage, 0, 0);
  _failure = nullptr;
}

LRESULT TStCustomTrayIcon::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == kTrayIconCallbackMessage)
  {
    switch (static_cast<UINT>(lParam))
    {
    case WM_LBUTTONDOWN: DoClick(mbLeft, ShiftStateNow(0)); break;
    case WM_LBUTTONDBLCLK: DoDblClick(mbLeft, ShiftStateNow(ssDouble)); break;
    case WM_RBUTTONDOWN: DoPopupMenu(); break;
    case WM_RBUTTONDBLCLK: DoDblClick(mbRight, ShiftStateNow(ssDouble)); break;
    case WM_MBUTTONDOWN: DoClick(mbMiddle, ShiftStateNow(0)); break;
    case WM_MBUTTONDBLCLK: DoDblClick(mbMiddle, ShiftStateNow(ssDouble)); break;
    default: break;
    }
    return 0;
  }
  if (message == kReportFailureMessage && _failure)
  {
    const std::exception_ptr failure = _failure;
    _failure = nullptr;
    std::rethrow_exception(failure);
  }
  if (_taskbarCreated != 0 && message == _taskbarCreated)
  {
    // The shell started again and knows no icon of ours.
    if (_active && !_loading)
    {
      _inTray = false;
      try
      {
        AddToTray();
      }
      catch (const ETrayIconError &)
      {
        // No retry: the next minimize or close to the tray adds it.
      }
    }
    return 0;
  }
  // Never the default handling: a hidden window answering 0 would hold up
  // the end of the session, and DefWindowProc of WM_CLOSE would destroy it.
  return message == WM_QUERYENDSESSION ? TRUE : 0;
}

void TStCustomTrayIcon::DoClick(TMouseButton Button, TShiftState Shift)
{
  if (OnClick)
    OnClick(this, Button, Shift);
}

void TStCustomTrayIcon::DoDblClick(TMouseButton Button, TShiftState Shift)
{
  const AliveToken alive = _alive;
  bool restoreApp = true;
  if (OnDblClick)
    OnDblClick(this, Button, Shift, restoreApp);
  if (*alive && restoreApp)
    DoRestore();
}

void TStCustomTrayIcon::DoMinimize()
{
  if (OnMinimize)
    OnMinimize(this);
}

void TStCustomTrayIcon::DoRestore()
{
  const AliveToken alive = _alive;
  if (OnRestore)
    OnRestore(this);
  if (!*alive)
    return;
  if (::IsIconic(_owner) && _positionChanges >= 2)
    ::ShowWindow(_owner, SW_RESTORE);
  ::ShowWindow(_owner, SW_SHOW);
  ::SetForegroundWindow(_owner);
  ::ShowWindow(_owner, SW_SHOWNORMAL);
  ::BringWindowToTop(_owner);
  if (_hideOnRestore)
    DeleteFromTray();
}

void TStCustomTrayIcon::DoPopupMenu()
{
  if (!_popupMenu)
    return;
  const AliveToken alive = _alive;
  const HWND owner = _owner;
  // A menu whose owner is not in the foreground does not close when the
  // user clicks elsewhere.
  ::SetForegroundWindow(owner);
  ProcessPendingMessages();
  if (!*alive)
    return;
  POINT cursor = {};
  ::GetCursorPos(&cursor);
  // The owner's own menu sends its WM_COMMAND to the owner; the component's
  // menu is answered here.
  const bool ownMenu = _popupMenu == _ownMenu.get();
  const UINT flags = TPM_LEFTALIGN | TPM_RIGHTBUTTON | (ownMenu ? TPM_RETURNCMD : 0);
  const UINT command = static_cast<UINT>(::TrackPopupMenu(_popupMenu, flags, cursor.x, cursor.y, 0, owner, nullptr));
  // The known remedy for a tray menu that stays open the next time: a
  // message to its owner after it.
  ::PostMessageA(owner, WM_NULL, 0, 0);
  if (!ownMenu || !*alive)
    return;
  if (command == kTrayMenuClose)
    ::PostQuitMessage(0);
  else if (command == kTrayMenuRestore)
    DoRestore();
}
