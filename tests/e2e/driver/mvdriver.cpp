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
//   box CAPTION MS                 a message box appears; prints its text
//   nobox CAPTION MS               no message box appears for MS
//   click CAPTION BUTTON MS        presses a button of a message box: OK, YES, NO, CANCEL or an id
//   boxcount CAPTION               prints how many message boxes are open
//   volume ROOT                    prints the volume name of a drive root
//   memory CLASS CAPTION           of the window's process: working set, private bytes,
//                                  handle count, committed private bytes
//
// A CLASS or CAPTION of "-" matches any.
#include <windows.h>
#include <psapi.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>
#include "../../../src/platform/Handle.h"

static const char *Arg(const char *s) { return strcmp(s, "-") == 0 ? nullptr : s; }

static unsigned long Number(const char *s) { return strtoul(s, nullptr, 0); }

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

int main(int argc, char **argv)
{
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc < 2)
    return Usage();
  const std::string cmd = argv[1];

  if (cmd == "wait" && argc == 5)
  {
    HWND hwnd = WaitFor(Arg(argv[2]), Arg(argv[3]), Number(argv[4]));
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
      if (::GetTickCount() - start >= Number(argv[4]))
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
    if (!::SendMessageTimeoutA(all[0], msg, wp, lp, SMTO_NORMAL, 10000, &result))
      return 1;
    char text[32];
    snprintf(text, sizeof(text), "%lu\n", static_cast<unsigned long>(result));
    Print(text);
    return 0;
  }
  if (cmd == "box" && argc == 4)
  {
    HWND box = WaitFor("#32770", Arg(argv[2]), Number(argv[3]), true);
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
    return WaitFor("#32770", Arg(argv[2]), Number(argv[3]), true) ? 1 : 0;
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
    HWND box = WaitFor("#32770", Arg(argv[2]), Number(argv[4]), true);
    if (!box)
      return 1;
    HWND button = ::GetDlgItem(box, static_cast<int>(ButtonId(argv[3])));
    if (!button)
      return 1;
    // A posted BM_CLICK is lost across processes under Wine; it must be sent.
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, 10000, &result);
    const DWORD start = ::GetTickCount();
    while (::IsWindow(box) && ::GetTickCount() - start < 5000)
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
  return Usage();
}
