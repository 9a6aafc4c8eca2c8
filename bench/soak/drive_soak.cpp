// 10,000 shell reports raised inside the running program: the real main
// window, its shell notification and its drive workers, in this process
// (Wine delivers only a process's own reports). Drives E: to H: come and go
// in rounds, about half of the time with an Autorun.inf that is not on the
// list and otherwise with one that is; D:, a network drive that stalls every
// call, is reported now and then. After each round every file that should go
// is gone and every accepted one is still there; at the end every report has
// its log entry. Prints the committed private memory and the thread count
// after the first 100 reports and after the run.
#include <windows.h>
#include <ole2.h>
#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <stdio.h>
#include <stdlib.h>
#include <memory>
#include <string>
#include "app/AppPaths.h"
#include "app/Form1.h"
#include "app/ProductInfo.h"
#include "exceptions/ExceptionRecords.h"
#include "settings/ExceptionEncoding.h"

namespace
{
const char *const Drives[] = {"E:\\", "F:\\", "G:\\", "H:\\"};
const char *const Accepted = "[autorun]\r\nopen=accepted.exe\r\n";

void Pump()
{
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
  {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

bool Exists(const std::string &path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void Write(const std::string &path, const std::string &bytes)
{
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
}

unsigned long long CommittedPrivate()
{
  unsigned long long bytes = 0;
  MEMORY_BASIC_INFORMATION info;
  for (const char *at = nullptr; ::VirtualQuery(at, &info, sizeof(info)) == sizeof(info);
       at = static_cast<const char *>(info.BaseAddress) + info.RegionSize)
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE)
      bytes += info.RegionSize;
  return bytes;
}

int Threads()
{
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry;
  entry.dwSize = sizeof(entry);
  int count = 0;
  for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
    count += entry.th32OwnerProcessID == ::GetCurrentProcessId();
  ::CloseHandle(snapshot);
  return count;
}

size_t LogEntries(const std::string &path)
{
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
  std::string text;
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got)
    text.append(buffer, got);
  ::CloseHandle(file);
  // An entry's first line starts with its time stamp; the lines after it with a TAB.
  size_t entries = 0;
  for (size_t at = 0; at < text.size(); at = text.find('\n', at) + 1)
  {
    if (text[at] != '\t' && text[at] != '\r')
      ++entries;
    if (text.find('\n', at) == std::string::npos)
      break;
  }
  return entries;
}
}

int main(int argc, char **argv)
{
  const int reports = argc > 1 ? atoi(argv[1]) : 10000;
  ::OleInitialize(nullptr);
  ::InitCommonControls();
  // No boxes from the start-up scan either: the user's file says so before the start.
  const AppPaths paths = ResolveAppPaths(ProgramFilePath());
  Write(paths.IniPath, "[General]\r\nFirstRun=0\r\nRunMinimized=1\r\nBehaviour=10111011101110111011\r\n");
  std::unique_ptr<TForm1> form(new TForm1());
  if (!form->IsFirstInstance())
  {
    printf("the main window did not start\n");
    return 2;
  }
  // The start-up scan first: its checks work on the settings of the start.
  while (form->DriveChecksPending() > 0)
  {
    Pump();
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  Pump();
  // No boxes, and copies kept as usual; the accepted file is on the user's list.
  for (BehaviourFlags &flags : Settings.Flags)
    flags = BehaviourFlags{true, false, true, true};
  Settings.UserExceptions.Add("Accepted", EncodeBody(Accepted));
  const std::string log = form->Paths().LogPath;
  const size_t entriesBefore = LogEntries(log);

  int sent = 0, stalledSent = 0, lost = 0, round = 0;
  unsigned long long memoryAt100 = 0;
  int threadsAt100 = 0;
  const DWORD start = ::GetTickCount();
  while (sent < reports)
  {
    ++round;
    bool removed[4];
    for (int d = 0; d < 4 && sent < reports; ++d)
    {
      const std::string inf = std::string(Drives[d]) + "Autorun.inf";
      removed[d] = (rand() % 2) == 0;
      Write(inf, removed[d] ? "[autorun]\r\nopen=worm" + std::to_string(round) + ".exe\r\n" : Accepted);
      // A drive that comes and goes: added, or its medium inserted.
      ::SHChangeNotify(d % 2 ? SHCNE_MEDIAINSERTED : SHCNE_DRIVEADD, SHCNF_PATHA, Drives[d], nullptr);
      ++sent;
    }
    if (round % 50 == 0 && sent < reports)
    {
      ::SHChangeNotify(SHCNE_DRIVEADD, SHCNF_PATHA, "D:\\", nullptr);
      ++sent;
      ++stalledSent;
    }
    // Until the four drives are done; D: is left to itself.
    const DWORD roundStart = ::GetTickCount();
    for (;;)
    {
      if (::GetTickCount() - roundStart > 30000)
      {
        printf("round %d: a file that should have gone was still there after 30 s\n", round);
        return 1;
      }
      Pump();
      bool done = true;
      for (int d = 0; d < 4; ++d)
        done = done && (!removed[d] || !Exists(std::string(Drives[d]) + "Autorun.inf"));
      if (done && form->DriveChecksPending() <= static_cast<size_t>(stalledSent))
        break;
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    for (int d = 0; d < 4; ++d)
      lost += !removed[d] && !Exists(std::string(Drives[d]) + "Autorun.inf");
    if (memoryAt100 == 0 && sent >= 100)
    {
      memoryAt100 = CommittedPrivate();
      threadsAt100 = Threads();
    }
  }
  // The stalled drive's checks too, so that every report has had its turn.
  while (form->DriveChecksPending() > 0)
  {
    Pump();
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  Pump();
  const DWORD elapsed = ::GetTickCount() - start;
  const unsigned long long memoryAtEnd = CommittedPrivate();
  const int threadsAtEnd = Threads();
  const size_t entries = LogEntries(log) - entriesBefore;

  printf("| reports | of them to D: | seconds | accepted files lost | log entries |\n");
  printf("|--------:|--------------:|--------:|--------------------:|------------:|\n");
  printf("| %7d | %13d | %7.1f | %19d | %11u |\n", sent, stalledSent, elapsed / 1000.0, lost,
         static_cast<unsigned>(entries));
  printf("\n| after             | committed private KiB | threads |\n");
  printf("|-------------------|----------------------:|--------:|\n");
  printf("| the first 100     | %21llu | %7d |\n", memoryAt100 / 1024, threadsAt100);
  printf("| all %-13d | %21llu | %7d |\n", sent, memoryAtEnd / 1024, threadsAtEnd);
  printf("\ngrowth: committed private %+.1f %%, threads %+d (goal: within 5 %%)\n",
         100.0 * (static_cast<double>(memoryAtEnd) - static_cast<double>(memoryAt100)) /
             static_cast<double>(memoryAt100),
         threadsAtEnd - threadsAt100);
  const bool ok = lost == 0 && entries == static_cast<size_t>(sent);
  printf("%s\n", ok ? "no report lost" : "REPORTS LOST");
  form.reset();
  ::OleUninitialize();
  return ok ? 0 : 1;
}
