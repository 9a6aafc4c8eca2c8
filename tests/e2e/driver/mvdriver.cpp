// Acts on another program's windows as a user would, for the end-to-end
// scenarios. One command per run; results go to stdout as raw bytes, and the
// exit code is 0 on success, 1 when the condition was not met, 2 on bad usage.
//
//   wait CLASS CAPTION MS          a top-level window appears (prints its handle)
//   gone CLASS CAPTION MS          no such window is left
//   visible CLASS CAPTION          prints 1 or 0
//   count CLASS CAPTION            prints how many such top-level windows exist
//   post CLASS CAPTION MSG [WP LP] PostMessageA
//   send CLASS CAPTION MSG [WP LP] SendMessageTimeoutA; prints the result
//   answers CLASS CAPTION MS       the window's thread handles a message within MS
//   box CAPTION MS                 a message box appears; prints its text
//   nobox CAPTION MS               no message box appears for MS
//   click CAPTION BUTTON MS        presses a button of a message box: OK, YES, NO, CANCEL or an id
//   boxcount CAPTION               prints how many message boxes are open
//   volume ROOT                    prints the volume name of a drive root
//   attrs PATH [LETTERS]           sets the attributes to LETTERS (of RHSA, "-" for none)
//                                  first when given; prints them as letters, D for a folder
//   hold FILE MS                   keeps FILE open for reading (others may read and write
//                                  it, not delete it) for MS, printing "held" once it is open
//   memory CLASS CAPTION           of the window's process: working set, private bytes,
//                                  handle count, committed private bytes
//
// On the controls of a top-level window, found among all its descendants by
// their exact caption CONTROL ("-" for the window itself):
//   press CLASS CAPTION CONTROL    clicks a button (BM_CLICK) as a user can: fails when it or
//                                  its window is disabled; returns once the click is handled
//                                  or the handler has opened a window of its own (a message
//                                  box, a dialog) for a later run to answer
//   checked CLASS CAPTION CONTROL  prints 1 or 0 (2 for an indeterminate box)
//   enabled CLASS CAPTION CONTROL  prints 1 or 0
//   states CLASS CAPTION           one line per descendant, parents before their children:
//                                  class|caption|enabled|checked|x,y,w,h, with checked '-'
//                                  for all but check boxes and radio buttons and the place
//                                  relative to the window's client area
//   measure CLASS CAPTION FONT POINTS
//                                  one line per descendant: kind|caption|x,y,w,h|tw,th|item, kind
//                                  the class or Check or Group, tw x th the caption's extent (th
//                                  alone for none) in FONT of POINTS at the screen's dpi, item a
//                                  list box's item height ('-' for others)
//   select CLASS CAPTION INDEX     selects an item of the first list box and notifies its
//                                  parent (LBN_SELCHANGE) as a click does
//   selected CLASS CAPTION         prints the list box's selected index (-1: none)
//   items CLASS CAPTION            prints the first list box's items, one a line
//   type CLASS CAPTION KIND N TEXT puts TEXT into the Nth (from 1) descendant of window class
//                                  KIND, an edit field, as typing it would (WM_SETTEXT)
//   text CLASS CAPTION KIND N      prints the whole text of the Nth descendant of class KIND
//   client CLASS CAPTION           prints the client area's size: W H
//   place CLASS CAPTION            prints the window's place on the screen: X Y W H
//   focus CLASS CAPTION            prints the caption (the class when it has none) of the
//                                  window that has the keyboard focus in the window's thread;
//                                  fails while none of its windows is active
//   keys CLASS CAPTION KEY...      makes the visible window the foreground window and types
//                                  each KEY (TAB, SHIFT+TAB, SPACE, ENTER, ESC, UP, DOWN) into
//                                  the system's input queue (SendInput), as a keyboard does, so
//                                  the target's own message loop sees them; waits until each
//                                  one is handled
//
//   serve                          takes commands from stdin, one a line with its arguments
//                                  separated by TABs, and answers each with what it prints, a
//                                  line feed, and a line of "\x04" and its exit code; ends at the
//                                  line "quit" or the input's end. Starting a Wine process
//                                  costs a second or more, and several times that under emulation.
//
// A CLASS or CAPTION of "-" matches any. MERVANE_SLOW=N in the environment
// stretches every time limit N times, for a machine that emulates the processor.
#include <windows.h>
#include <psapi.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <algorithm>
#include <string>
#include <vector>
#include "../../../src/platform/Handle.h"

static const char *Arg(const char *s) { return strcmp(s, "-") == 0 ? nullptr : s; }

static unsigned long Number(const char *s) { return strtoul(s, nullptr, 0); }

// A time limit in milliseconds, stretched by MERVANE_SLOW.
static DWORD Ms(unsigned long ms)
{
  static const unsigned long slow = [] {
    const char *text = getenv("MERVANE_SLOW");
    const unsigned long n = text ? strtoul(text, nullptr, 10) : 1;
    return n ? n : 1;
  }();
  return static_cast<DWORD>(ms * slow);
}

struct FindData
{
  const char *cls;
  const char *caption;
  std::vector<HWND> found;
};

static BOOL CALLBACK Collect(HWND hwnd, LPARAM param)
{
  FindData &data = *reinterpret_cast<FindData *>(param);
  char cls[256] = {}, caption[512] = {};
  ::GetClassNameA(hwnd, cls, sizeof(cls));
  ::GetWindowTextA(hwnd, caption, sizeof(caption));
  if (data.cls && strcmp(cls, data.cls) != 0)
    return TRUE;
  if (data.caption && strcmp(caption, data.caption) != 0)
    return TRUE;
  data.found.push_back(hwnd);
  return TRUE;
}

static std::vector<HWND> FindAll(const char *cls, const char *caption)
{
  FindData data{cls, caption, {}};
  ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&data));
  return data.found;
}

static HWND WaitFor(const char *cls, const char *caption, DWORD ms, bool visibleOnly = false)
{
  const DWORD start = ::GetTickCount();
  for (;;)
  {
    for (HWND hwnd : FindAll(cls, caption))
      if (!visibleOnly || ::IsWindowVisible(hwnd))
        return hwnd;
    if (::GetTickCount() - start >= ms)
      return nullptr;
    ::Sleep(50);
  }
}

static void Print(const std::string &text)
{
  fwrite(text.data(), 1, text.size(), stdout);
  fflush(stdout);
}

static int Usage()
{
  fprintf(stderr, "mvdriver: bad usage\n");
  return 2;
}

static UINT ButtonId(const char *name)
{
  if (!_stricmp(name, "OK")) return IDOK;
  if (!_stricmp(name, "YES")) return IDYES;
  if (!_stricmp(name, "NO")) return IDNO;
  if (!_stricmp(name, "CANCEL")) return IDCANCEL;
  return static_cast<UINT>(Number(name));
}

static std::string TextOf(HWND hwnd)
{
  char text[512] = {};
  ::GetWindowTextA(hwnd, text, sizeof(text));
  return text;
}

static std::string ClassOf(HWND hwnd)
{
  char cls[256] = {};
  ::GetClassNameA(hwnd, cls, sizeof(cls));
  return cls;
}

static HWND TopWindow(const char *cls, const char *caption)
{
  std::vector<HWND> all = FindAll(cls, caption);
  return all.empty() ? nullptr : all[0];
}

static BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param)
{
  reinterpret_cast<std::vector<HWND> *>(param)->push_back(hwnd);
  return TRUE;
}

// Every descendant, each followed by its own children, siblings in Z order.
static std::vector<HWND> Descendants(HWND top)
{
  std::vector<HWND> all;
  ::EnumChildWindows(top, CollectChild, reinterpret_cast<LPARAM>(&all));
  return all;
}

static HWND FindControl(HWND top, const char *caption)
{
  for (HWND hwnd : Descendants(top))
    if (TextOf(hwnd) == caption)
      return hwnd;
  return nullptr;
}

static HWND FindListBox(HWND top)
{
  for (HWND hwnd : Descendants(top))
    if (!_stricmp(ClassOf(hwnd).c_str(), "ListBox"))
      return hwnd;
  return nullptr;
}

static HWND FindOfClass(HWND top, const char *cls, unsigned long n)
{
  for (HWND hwnd : Descendants(top))
    if (!_stricmp(ClassOf(hwnd).c_str(), cls) && --n == 0)
      return hwnd;
  return nullptr;
}

static bool IsCheckable(HWND hwnd)
{
  if (_stricmp(ClassOf(hwnd).c_str(), "Button") != 0)
    return false;
  switch (::GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK)
  {
  case BS_CHECKBOX:
  case BS_AUTOCHECKBOX:
  case BS_3STATE:
  case BS_AUTO3STATE:
  case BS_RADIOBUTTON:
  case BS_AUTORADIOBUTTON:
    return true;
  default:
    return false;
  }
}

static bool SendWait(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, DWORD_PTR &result)
{
  return ::SendMessageTimeoutA(hwnd, msg, wp, lp, SMTO_NORMAL, Ms(10000), &result) != 0;
}

static std::vector<HWND> VisibleThreadWindows(DWORD thread)
{
  std::vector<HWND> shown;
  for (HWND hwnd : FindAll(nullptr, nullptr))
    if (::GetWindowThreadProcessId(hwnd, nullptr) == thread && ::IsWindowVisible(hwnd))
      shown.push_back(hwnd);
  return shown;
}

struct SendJob
{
  HWND hwnd;
  UINT msg;
  WPARAM wp;
  LPARAM lp;
};

static DWORD WINAPI SendWorker(void *param)
{
  const SendJob job = *static_cast<SendJob *>(param);
  DWORD_PTR result = 0;
  return SendWait(job.hwnd, job.msg, job.wp, job.lp, result) ? 0 : 1;
}

// Sends as a user's action arrives: the handler may open a modal message box
// or dialog, which only a later run of the driver answers, so this returns as
// soon as a window of the target's thread appears that was not shown before.
static bool SendAsInput(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
  const DWORD thread = ::GetWindowThreadProcessId(hwnd, nullptr);
  const std::vector<HWND> before = VisibleThreadWindows(thread);
  // Static: the worker may still be waiting for the answer when this returns.
  static SendJob job;
  job = SendJob{hwnd, msg, wp, lp};
  CHandle worker(::CreateThread(nullptr, 0, SendWorker, &job, 0, nullptr));
  if (!worker.IsValid())
    return false;
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < Ms(10000))
  {
    if (::WaitForSingleObject(worker.Get(), 20) == WAIT_OBJECT_0)
    {
      DWORD code = 1;
      ::GetExitCodeThread(worker.Get(), &code);
      // A handler that ends the program leaves no one to answer.
      return code == 0 || !::IsWindow(hwnd);
    }
    for (HWND shown : VisibleThreadWindows(thread))
      if (std::find(before.begin(), before.end(), shown) == before.end())
        return true;
  }
  return false;
}

struct Key
{
  WORD vk;
  bool shift;
  bool extended;
};

static bool ParseKey(const char *name, Key &key)
{
  static const struct
  {
    const char *name;
    Key key;
  } keys[] = {{"TAB", {VK_TAB, false, false}},      {"SHIFT+TAB", {VK_TAB, true, false}},
              {"SPACE", {VK_SPACE, false, false}},  {"ENTER", {VK_RETURN, false, false}},
              {"ESC", {VK_ESCAPE, false, false}},   {"UP", {VK_UP, false, true}},
              {"DOWN", {VK_DOWN, false, true}}};
  for (const auto &k : keys)
    if (!_stricmp(name, k.name))
    {
      key = k.key;
      return true;
    }
  return false;
}

static INPUT KeyEvent(WORD vk, bool extended, bool up)
{
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = (extended ? KEYEVENTF_EXTENDEDKEY : 0) | (up ? KEYEVENTF_KEYUP : 0);
  return input;
}

static bool Type(const Key &key)
{
  std::vector<INPUT> events;
  if (key.shift)
    events.push_back(KeyEvent(VK_SHIFT, false, false));
  events.push_back(KeyEvent(key.vk, key.extended, false));
  events.push_back(KeyEvent(key.vk, key.extended, true));
  if (key.shift)
    events.push_back(KeyEvent(VK_SHIFT, false, true));
  return ::SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT)) == events.size();
}

// The thread handles sent messages before it takes the next queued one, so
// more round trips than one key queues messages (Shift and the key, down and
// up, and the character TranslateMessage posts) mean the key has been handled.
static void Settle(HWND hwnd)
{
  DWORD_PTR result = 0;
  for (int i = 0; i < 8; i++)
    SendWait(hwnd, WM_NULL, 0, 0, result);
}

static int Run(int argc, char **argv)
{
  if (argc < 2)
    return Usage();
  const std::string cmd = argv[1];

  if (cmd == "wait" && argc == 5)
  {
    HWND hwnd = WaitFor(Arg(argv[2]), Arg(argv[3]), Ms(Number(argv[4])));
    if (!hwnd)
      return 1;
    char text[32];
    snprintf(text, sizeof(text), "%p\n", static_cast<void *>(hwnd));
    Print(text);
    return 0;
  }
  if (cmd == "gone" && argc == 5)
  {
    const DWORD start = ::GetTickCount();
    while (!FindAll(Arg(argv[2]), Arg(argv[3])).empty())
    {
      if (::GetTickCount() - start >= Ms(Number(argv[4])))
        return 1;
      ::Sleep(50);
    }
    return 0;
  }
  if (cmd == "visible" && argc == 4)
  {
    bool visible = false;
    for (HWND hwnd : FindAll(Arg(argv[2]), Arg(argv[3])))
      visible = visible || ::IsWindowVisible(hwnd);
    Print(visible ? "1\n" : "0\n");
    return 0;
  }
  if (cmd == "count" && argc == 4)
  {
    Print(std::to_string(FindAll(Arg(argv[2]), Arg(argv[3])).size()) + "\n");
    return 0;
  }
  if ((cmd == "post" || cmd == "send") && (argc == 5 || argc == 7))
  {
    std::vector<HWND> all = FindAll(Arg(argv[2]), Arg(argv[3]));
    if (all.empty())
      return 1;
    const UINT msg = Number(argv[4]);
    const WPARAM wp = argc == 7 ? Number(argv[5]) : 0;
    const LPARAM lp = argc == 7 ? static_cast<LPARAM>(Number(argv[6])) : 0;
    if (cmd == "post")
      return ::PostMessageA(all[0], msg, wp, lp) ? 0 : 1;
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(all[0], msg, wp, lp, SMTO_NORMAL, Ms(10000), &result))
      return 1;
    char text[32];
    snprintf(text, sizeof(text), "%lu\n", static_cast<unsigned long>(result));
    Print(text);
    return 0;
  }
  if (cmd == "answers" && argc == 5)
  {
    const std::vector<HWND> all = FindAll(Arg(argv[2]), Arg(argv[3]));
    DWORD_PTR result = 0;
    return !all.empty() && ::SendMessageTimeoutA(all[0], WM_NULL, 0, 0, SMTO_NORMAL, Ms(Number(argv[4])), &result)
               ? 0
               : 1;
  }
  if (cmd == "box" && argc == 4)
  {
    HWND box = WaitFor("#32770", Arg(argv[2]), Ms(Number(argv[3])), true);
    if (!box)
      return 1;
    // The text control of a message box has the id 0xFFFF.
    HWND label = ::GetDlgItem(box, 0xFFFF);
    int length = label ? ::GetWindowTextLengthA(label) : 0;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    if (label)
      ::GetWindowTextA(label, &text[0], length + 1);
    text.resize(static_cast<size_t>(length));
    Print(text);
    return 0;
  }
  if (cmd == "nobox" && argc == 4)
    return WaitFor("#32770", Arg(argv[2]), Ms(Number(argv[3])), true) ? 1 : 0;
  if (cmd == "boxcount" && argc == 3)
  {
    int count = 0;
    for (HWND hwnd : FindAll("#32770", Arg(argv[2])))
      count += ::IsWindowVisible(hwnd) ? 1 : 0;
    Print(std::to_string(count) + "\n");
    return 0;
  }
  if (cmd == "click" && argc == 5)
  {
    HWND box = WaitFor("#32770", Arg(argv[2]), Ms(Number(argv[4])), true);
    if (!box)
      return 1;
    HWND button = ::GetDlgItem(box, static_cast<int>(ButtonId(argv[3])));
    if (!button)
      return 1;
    // A posted BM_CLICK is lost across processes under Wine; it must be sent.
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, Ms(10000), &result);
    const DWORD start = ::GetTickCount();
    while (::IsWindow(box) && ::GetTickCount() - start < Ms(5000))
      ::Sleep(20);
    return ::IsWindow(box) ? 1 : 0;
  }
  if (cmd == "volume" && argc == 3)
  {
    char name[500] = {};
    if (!::GetVolumeNameForVolumeMountPointA(argv[2], name, sizeof(name)))
      return 1;
    Print(std::string(name) + "\n");
    return 0;
  }
  if (cmd == "attrs" && (argc == 3 || argc == 4))
  {
    const std::string letters = "RHSAD";
    const DWORD bits[] = {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM,
                          FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_DIRECTORY};
    if (argc == 4)
    {
      DWORD wanted = 0;
      for (const char *c = argv[3]; *c; ++c)
        if (letters.find(*c) < 4)
          wanted |= bits[letters.find(*c)];
      if (!::SetFileAttributesA(argv[2], wanted ? wanted : FILE_ATTRIBUTE_NORMAL))
        return 1;
    }
    const DWORD attributes = ::GetFileAttributesA(argv[2]);
    if (attributes == INVALID_FILE_ATTRIBUTES)
      return 1;
    std::string shown;
    for (size_t i = 0; i < letters.size(); ++i)
      if (attributes & bits[i])
        shown += letters[i];
    Print((shown.empty() ? "-" : shown) + "\n");
    return 0;
  }
  if (cmd == "hold" && argc == 4)
  {
    CHandle file(::CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               0, nullptr));
    if (!file.IsValid())
      return 1;
    Print("held\n");
    ::Sleep(static_cast<DWORD>(atoi(argv[3])));
    return 0;
  }
  if (cmd == "memory" && argc == 4)
  {
    std::vector<HWND> all = FindAll(Arg(argv[2]), Arg(argv[3]));
    if (all.empty())
      return 1;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(all[0], &pid);
    CHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    if (!process.IsValid())
      return 1;
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(process.Get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&counters),
                           sizeof(counters));
    DWORD handles = 0;
    ::GetProcessHandleCount(process.Get(), &handles);
    // Wine leaves PrivateUsage at 0; the committed private pages of the address
    // space are the same quantity, counted region by region.
    unsigned long long committedPrivate = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char *at = nullptr; ::VirtualQueryEx(process.Get(), at, &region, sizeof(region)) == sizeof(region);
         at = static_cast<const char *>(region.BaseAddress) + region.RegionSize)
    {
      if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
        committedPrivate += region.RegionSize;
      if (region.RegionSize == 0)
        break;
    }
    char text[200];
    snprintf(text, sizeof(text), "%lu %lu %lu %llu\n", static_cast<unsigned long>(counters.WorkingSetSize),
             static_cast<unsigned long>(counters.PrivateUsage), static_cast<unsigned long>(handles),
             committedPrivate);
    Print(text);
    return 0;
  }
  if ((cmd == "press" || cmd == "checked" || cmd == "enabled") && argc == 5)
  {
    HWND top = TopWindow(Arg(argv[2]), Arg(argv[3]));
    HWND control = top ? (strcmp(argv[4], "-") == 0 ? top : FindControl(top, argv[4])) : nullptr;
    if (!control)
      return 1;
    if (cmd == "enabled")
    {
      Print(::IsWindowEnabled(control) ? "1\n" : "0\n");
      return 0;
    }
    if (cmd == "checked")
    {
      DWORD_PTR state = 0;
      if (!SendWait(control, BM_GETCHECK, 0, 0, state))
        return 1;
      Print(std::to_string(state) + "\n");
      return 0;
    }
    // A user cannot click a disabled button, nor one behind an open modal box.
    for (HWND hwnd = control;; hwnd = ::GetAncestor(hwnd, GA_PARENT))
    {
      if (!::IsWindowEnabled(hwnd))
        return 1;
      if (hwnd == top)
        break;
    }
    // A posted BM_CLICK is lost across processes under Wine; it must be sent.
    return SendAsInput(control, BM_CLICK, 0, 0) ? 0 : 1;
  }
  if (cmd == "states" && argc == 4)
  {
    HWND top = TopWindow(Arg(argv[2]), Arg(argv[3]));
    if (!top)
      return 1;
    std::string lines;
    for (HWND hwnd : Descendants(top))
    {
      std::string checked = "-";
      DWORD_PTR state = 0;
      if (IsCheckable(hwnd) && SendWait(hwnd, BM_GETCHECK, 0, 0, state))
        checked = std::to_string(state);
      RECT r;
      ::GetWindowRect(hwnd, &r);
      ::MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT *>(&r), 2);
      char place[80];
      snprintf(place, sizeof(place), "%ld,%ld,%ld,%ld", r.left, r.top, r.right - r.left, r.bottom - r.top);
      lines += ClassOf(hwnd) + "|" + TextOf(hwnd) + "|" + (::IsWindowEnabled(hwnd) ? "1" : "0") + "|" + checked +
               "|" + place + "\n";
    }
    Print(lines);
    return 0;
  }
  if (cmd == "measure" && argc == 6)
  {
    HWND top = TopWindow(Arg(argv[2]), Arg(argv[3]));
    if (!top)
      return 1;
    // Wine answers WM_GETFONT from another process with 0, so the captions
    // are measured in a font made as the window makes its own, at this dpi.
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    const HFONT font = ::CreateFontA(-::MulDiv(static_cast<int>(Number(argv[5])), dpi, 72), 0, 0, 0, FW_NORMAL, FALSE,
                                     FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, argv[4]);
    const HGDIOBJ old = ::SelectObject(screen, font);
    std::string lines;
    for (HWND hwnd : Descendants(top))
    {
      RECT r;
      ::GetWindowRect(hwnd, &r);
      ::MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT *>(&r), 2);
      const std::string caption = TextOf(hwnd);
      SIZE extent = {0, 0};
      // An empty caption measures the font's height.
      ::GetTextExtentPoint32A(screen, caption.empty() ? "Xg" : caption.c_str(),
                              caption.empty() ? 2 : static_cast<int>(caption.size()), &extent);
      if (caption.empty())
        extent.cx = 0;
      std::string kind = ClassOf(hwnd);
      const LONG style = ::GetWindowLongA(hwnd, GWL_STYLE);
      if (IsCheckable(hwnd))
        kind = "Check";
      else if (!_stricmp(kind.c_str(), "Button") && (style & BS_TYPEMASK) == BS_GROUPBOX)
        kind = "Group";
      DWORD_PTR item = 0;
      const bool list = !_stricmp(kind.c_str(), "ListBox");
      if (list && !SendWait(hwnd, LB_GETITEMHEIGHT, 0, 0, item))
        return 1;
      char place[120];
      snprintf(place, sizeof(place), "%ld,%ld,%ld,%ld|%ld,%ld|", r.left, r.top, r.right - r.left, r.bottom - r.top,
               extent.cx, extent.cy);
      lines += kind + "|" + caption + "|" + place + (list ? std::to_string(item) : "-") + "\n";
    }
    ::SelectObject(screen, old);
    ::DeleteObject(font);
    ::ReleaseDC(nullptr, screen);
    Print(lines);
    return 0;
  }
  if ((cmd == "select" && argc == 5) || (cmd == "selected" && argc == 4))
  {
    HWND top = TopWindow(Arg(argv[2]), Arg(argv[3]));
    HWND list = top ? FindListBox(top) : nullptr;
    if (!list)
      return 1;
    DWORD_PTR index = 0;
    if (cmd == "selected")
    {
      if (!SendWait(list, LB_GETCURSEL, 0, 0, index))
        return 1;
      Print(std::to_string(static_cast<long>(index)) + "\n");
      return 0;
    }
    const WPARAM wanted = Number(argv[4]);
    // A list of many selections: this one item alone, as a click selects it.
    if (::GetWindowLongA(list, GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL))
    {
      if (!SendWait(list, LB_SETSEL, FALSE, static_cast<LPARAM>(-1), index) ||
          !SendWait(list, LB_SETSEL, TRUE, static_cast<LPARAM>(wanted), index) || index == static_cast<DWORD_PTR>(LB_ERR) ||
          !SendWait(list, LB_SETCARETINDEX, wanted, 0, index))
        return 1;
    }
    else if (!SendWait(list, LB_SETCURSEL, wanted, 0, index) || index != wanted)
      return 1;
    const WPARAM notification = MAKEWPARAM(::GetDlgCtrlID(list), LBN_SELCHANGE);
    return SendAsInput(::GetParent(list), WM_COMMAND, notification, reinterpret_cast<LPARAM>(list)) ? 0 : 1;
  }
  if (cmd == "items" && argc == 4)
  {
    HWND top = TopWindow(Arg(argv[2]), Arg(argv[3]));
    HWND list = top ? FindListBox(top) : nullptr;
    DWORD_PTR count = 0;
    if (!list || !SendWait(list, LB_GETCOUNT, 0, 0, count))
      return 1;
    // Wine hands the items of another process's list box over in UTF-16
    // whatever the call, so they are asked for that way and converted here.
    std::string lines;
    for (DWORD_PTR i = 0; i < count; i++)
    {
      DWORD_PTR length = 0;
      if (!::SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_NORMAL, Ms(10000), &length))
        return 1;
      std::wstring item(length + 1, L'\0');
      if (!::SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&item[0]), SMTO_NORMAL, Ms(10000),
                                 &length))
        return 1;
      std::string ansi(length * 2 + 1, '\0');
      const int size = ::WideCharToMultiByte(CP_ACP, 0, item.data(), static_cast<int>(length), &ansi[0],
                                             static_cast<int>(ansi.size()), nullptr, nullptr);
      ansi.resize(size > 0 ? static_cast<size_t>(size) : 0);
      lines += ansi + "\n";
    }
    Print(lines);
    return 0;
  }
  if ((cmd == "type" && argc == 7) || (cmd == "text" && argc == 6))
  {
    HWND top = TopWindow(Arg(argv[2]), Arg(argv[3]));
    HWND field = top ? FindOfClass(top, argv[4], Number(argv[5])) : nullptr;
    if (!field)
      return 1;
    DWORD_PTR result = 0;
    if (cmd == "type")
      return SendWait(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[6]), result) && result ? 0 : 1;
    DWORD_PTR length = 0;
    if (!SendWait(field, WM_GETTEXTLENGTH, 0, 0, length))
      return 1;
    std::string text(length + 1, '\0');
    if (!SendWait(field, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]), length))
      return 1;
    text.resize(length);
    Print(text);
    return 0;
  }
  if ((cmd == "client" || cmd == "place") && argc == 4)
  {
    HWND top = TopWindow(Arg(argv[2]), Arg(argv[3]));
    RECT r;
    if (!top || !(cmd == "client" ? ::GetClientRect(top, &r) : ::GetWindowRect(top, &r)))
      return 1;
    const std::string size = std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top) + "\n";
    Print(cmd == "client" ? size : std::to_string(r.left) + " " + std::to_string(r.top) + " " + size);
    return 0;
  }
  if (cmd == "focus" && argc == 4)
  {
    HWND top = TopWindow(Arg(argv[2]), Arg(argv[3]));
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!top || !::GetGUIThreadInfo(::GetWindowThreadProcessId(top, nullptr), &info) || !info.hwndFocus)
      return 1;
    const std::string caption = TextOf(info.hwndFocus);
    Print((caption.empty() ? ClassOf(info.hwndFocus) : caption) + "\n");
    return 0;
  }
  if (cmd == "keys" && argc >= 5)
  {
    std::vector<Key> keys(static_cast<size_t>(argc - 4));
    for (int i = 4; i < argc; i++)
      if (!ParseKey(argv[i], keys[static_cast<size_t>(i - 4)]))
        return Usage();
    HWND top = TopWindow(Arg(argv[2]), Arg(argv[3]));
    if (!top || !::IsWindowVisible(top))
      return 1;
    // Typed keys go to the foreground window's thread only.
    ::SetForegroundWindow(top);
    const DWORD start = ::GetTickCount();
    while (::GetForegroundWindow() != top)
    {
      if (::GetTickCount() - start >= Ms(2000))
        return 1;
      ::Sleep(20);
    }
    Settle(top);
    for (const Key &key : keys)
    {
      if (!Type(key))
        return 1;
      Settle(top);
    }
    return 0;
  }
  return Usage();
}

static int Serve(char *self)
{
  for (;;)
  {
    std::string line;
    int c;
    while ((c = getchar()) != EOF && c != '\n')
      line += static_cast<char>(c);
    if ((c == EOF && line.empty()) || line == "quit")
      return 0;
    std::vector<std::string> fields;
    for (size_t from = 0;;)
    {
      const size_t tab = line.find('\t', from);
      fields.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
      if (tab == std::string::npos)
        break;
      from = tab + 1;
    }
    std::vector<char *> args{self};
    for (std::string &field : fields)
      args.push_back(&field[0]);
    args.push_back(nullptr);
    const int code = Run(static_cast<int>(args.size() - 1), args.data());
    Print("\n\x04" + std::to_string(code) + "\n");
  }
}

int main(int argc, char **argv)
{
  // Aware of the dpi, as the program is: Wine would otherwise give every
  // place and size of its windows scaled back to 96 dpi.
  using SetAwareFn = BOOL(WINAPI *)();
  if (const auto setAware = reinterpret_cast<SetAwareFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleA("user32.dll"), "SetProcessDPIAware"))))
    setAware();
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stdin), _O_BINARY);
  if (argc == 2 && strcmp(argv[1], "serve") == 0)
    return Serve(argv[0]);
  return Run(argc, argv);
}
