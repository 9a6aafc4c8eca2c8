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
#include "app/Program.h"
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

// Counts the log's entries as it grows, reading only what was added, and
// among them D:'s (its name in the entry's first or second line).
class TLogTail
{
public:
  explicit TLogTail(const std::string &path) : _path(path) {}
  size_t Entries() { return Read(), _entries; }
  size_t EntriesOfD() { return Read(), _entriesOfD; }

private:
  void Read()
  {
    HANDLE file = ::CreateFileA(_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
      return;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(_offset);
    ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got)
      for (DWORD i = 0; i < got; ++i, ++_offset)
      {
        if (buffer[i] != '\n')
        {
          _line += buffer[i];
          continue;
        }
        // An entry's first line starts with its time stamp; the lines after it with a TAB.
        const bool first = !_line.empty() && _line[0] != '\t';
        _lineOfEntry = first ? 1 : _lineOfEntry + 1;
        _entries += first;
        if (_lineOfEntry <= 2 && _line.find("D:\\") != std::string::npos)
          ++_entriesOfD;
        _line.clear();
      }
    ::CloseHandle(file);
  }
  std::string _path;
  unsigned long long _offset = 0;
  std::string _line;
  int _lineOfEntry = 0;
  size_t _entries = 0, _entriesOfD = 0;
};
}

int main(int argc, char **argv)
{
  const int reports = argc > 1 ? atoi(argv[1]) : 10000;
  ::OleInitialize(nullptr);
  ::InitCommonControls();
  // No boxes from the start-up scan either: the user's file says so before the start.
  const AppPaths paths = ResolveAppPaths(ProgramFilePath());
  Write(paths.IniPath, "[General]\r\nFirstRun=0\r\nRunMinimized=1\r\nBehaviour=10111011101110111011\r\n");
  std::unique_ptr<TProgram> program(new TProgram());
  if (!program->Start())
  {
    printf("the main window did not start\n");
    return 2;
  }
  // The start-up scan first: its checks work on the settings of the start.
  while (program->DriveChecksPending() > 0)
  {
    Pump();
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  Pump();
  // No boxes, and copies kept as usual; the accepted file is on the user's list.
  for (BehaviourFlags &flags : program->Settings().Flags)
    flags = BehaviourFlags{true, false, true, true};
  program->Settings().UserExceptions.Add("Accepted", EncodeBody(Accepted));
  TLogTail log(program->Paths().LogPath);
  const size_t entriesBefore = log.Entries(), entriesOfDBefore = log.EntriesOfD();

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
        printf("round %d: not every report had its log entry after 30 s\n", round);
        for (int d = 0; d < 4; ++d)
          printf("  %s to go %d, there %d\n", Drives[d], removed[d], Exists(std::string(Drives[d]) + "Autorun.inf"));
        printf("  checks pending %u, threads %d\n", static_cast<unsigned>(program->DriveChecksPending()), Threads());
        return 1;
      }
      Pump();
      // Every report of E: to H: has its entry; D:'s come when they come.
      if (log.Entries() - log.EntriesOfD() - entriesBefore + entriesOfDBefore >= static_cast<size_t>(sent - stalledSent))
        break;
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    for (int d = 0; d < 4; ++d)
      lost += removed[d] == Exists(std::string(Drives[d]) + "Autorun.inf");
    if (memoryAt100 == 0 && sent >= 100)
    {
      memoryAt100 = CommittedPrivate();
      threadsAt100 = Threads();
    }
  }
  // The stalled drive's checks too, so that every report has had its turn.
  while (program->DriveChecksPending() > 0)
  {
    Pump();
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  Pump();
  const DWORD elapsed = ::GetTickCount() - start;
  const unsigned long long memoryAtEnd = CommittedPrivate();
  const int threadsAtEnd = Threads();
  const size_t entries = log.Entries() - entriesBefore;

  printf("| reports | of them to D: | seconds | files wrongly kept or lost | log entries |\n");
  printf("|--------:|--------------:|--------:|---------------------------:|------------:|\n");
  printf("| %7d | %13d | %7.1f | %26d | %11u |\n", sent, stalledSent, elapsed / 1000.0, lost,
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
  program.reset();
  ::OleUninitialize();
  return ok ? 0 : 1;
}
