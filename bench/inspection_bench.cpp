// Time of one drive inspection against the bare system calls the same work
// needs, under the same conditions. Runs on drive E: of its prefix (a folder
// inside the prefix mapped as a removable drive). Prints a table of medians.
#include <windows.h>
#include <stdio.h>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>
#include "settings/ExceptionEncoding.h"
#include "settings/Settings.h"
#include "exceptions/ExceptionRecords.h"
#include "log/Logger.h"
#include "log/Report.h"
#include "protection/DriveInspection.h"
#include "protection/DriveWork.h"
#include "protection/MenuCache.h"
#include "protection/ShortcutWorm.h"
#include "../tests/unit/ShortcutWriter.h"

static TFileLogger *BenchLog = nullptr;

// One inspection as the program runs it, its log entry included.
static void InspectAndLog(const std::string &root, const TSettings &settings, const std::string &quarantine = {})
{
  const TInspectionResult result = InspectDrive(root, settings, quarantine);
  if (!result.Report.empty())
    ReportTo(BenchLog, result.Report);
}

namespace
{
const char *const Root = "E:\\";
TSettings Record;
const char *const LogPath = "C:\\bench\\inspection.log";
const char *const QuarantineFolder = "C:\\bench\\Quarantine\\";
const char *const AutorunText = "[autorun]\r\nopen=setup.exe\r\nicon=setup.ico\r\n";

double Now()
{
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  ::QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void WriteFileBytes(const std::string &path, const std::string &bytes)
{
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
}

struct Timing
{
  double inspection;
  double bare;
};

double Median(std::vector<double> &times)
{
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// Medians, in ms, of `runs` timings each of `inspect` and `bare`, every one
// after `prepare` (untimed). The two alternate, so that load from other
// processes on the machine falls on both alike.
Timing Measure(int runs, const std::function<void()> &prepare, const std::function<void()> &inspect,
               const std::function<void()> &bare)
{
  std::vector<double> inspections, bares;
  for (int i = 0; i < 2 * runs; ++i)
  {
    const bool inspecting = (i % 4 == 0 || i % 4 == 3);
    prepare();
    const double start = Now();
    (inspecting ? inspect : bare)();
    (inspecting ? inspections : bares).push_back((Now() - start) * 1000.0);
  }
  return Timing{Median(inspections), Median(bares)};
}

bool BareExists(const char *path)
{
  ::SetErrorMode(SEM_FAILCRITICALERRORS);
  WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA(path, &data);
  const bool found = find != INVALID_HANDLE_VALUE && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  if (find != INVALID_HANDLE_VALUE)
    ::FindClose(find);
  ::SetErrorMode(0);
  return found;
}

bool BareExistsWide(const wchar_t *pattern)
{
  ::SetErrorMode(SEM_FAILCRITICALERRORS);
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW(pattern, &data);
  if (find != INVALID_HANDLE_VALUE)
    ::FindClose(find);
  ::SetErrorMode(0);
  return find != INVALID_HANDLE_VALUE;
}

// What one log entry costs: the locale's time stamp, open, seek, write, close.
void BareLog(const std::string &text)
{
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  char stamp[128];
  ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, stamp, sizeof(stamp));
  ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, stamp, sizeof(stamp));
  HANDLE file = ::CreateFileA(LogPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0,
                              nullptr);
  ::SetFilePointer(file, 0, nullptr, FILE_END);
  DWORD written = 0;
  ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::CloseHandle(file);
}

std::string BareRead(const char *path)
{
  HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  char buffer[4096];
  DWORD got = 0;
  std::string text;
  while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got)
    text.append(buffer, got);
  ::CloseHandle(file);
  return text;
}

void Row(const char *name, const Timing &t)
{
  printf("| %-44s | %10.3f | %10.3f | %5.2f |\n", name, t.inspection, t.bare, t.inspection / t.bare);
}

// A user's own shortcut number `i` as the shell writes one (target ID list,
// LinkInfo, relative path, working folder, arguments): a document on the
// stick (4 in 10), a program elsewhere with a document as argument (3 in 10),
// a program on the stick (2 in 10), a command prompt (1 in 10).
std::string UserShortcut(int i)
{
  const std::string n = std::to_string(i);
  testsupport::TLinkSpec spec;
  spec.LinkInfoUnicode = true;
  spec.Strings = LinkFlag::HasRelativePath | LinkFlag::HasWorkingDir;
  switch (i % 10)
  {
  case 0:
  case 1:
  case 2:
  case 3:
    spec.LocalBasePath = "E:\\Docs\\report " + n + ".docx";
    spec.RelativePath = ".\\Docs\\report " + n + ".docx";
    spec.WorkingDir = "E:\\Docs";
    break;
  case 4:
  case 5:
  case 6:
    spec.LocalBasePath = "C:\\Program Files\\Editor " + n + "\\edit.exe";
    spec.RelativePath = "..\\Program Files\\Editor " + n + "\\edit.exe";
    spec.WorkingDir = "C:\\Program Files\\Editor " + n;
    spec.Arguments = "\"E:\\Docs\\report " + n + ".docx\"";
    break;
  case 7:
  case 8:
    spec.LocalBasePath = "E:\\Apps\\tool.exe";
    spec.RelativePath = ".\\Apps\\tool.exe";
    spec.WorkingDir = "E:\\Apps";
    spec.Arguments = "/open \"report " + n + ".docx\"";
    break;
  default:
    spec.LocalBasePath = "C:\\Windows\\system32\\cmd.exe";
    spec.RelativePath = "..\\Windows\\system32\\cmd.exe";
    spec.WorkingDir = "E:\\";
    spec.Arguments = "/k cd Docs";
  }
  if (!spec.Arguments.empty())
    spec.Strings |= LinkFlag::HasArguments;
  spec.HasIdList = true;
  spec.IdList = testsupport::IdListOf(spec.LocalBasePath);
  return testsupport::MakeShortcut(spec);
}

// What the check of the shortcuts needs at least: list them, read each one.
void BareReadShortcuts()
{
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW(L"E:\\*.lnk", &data);
  if (find == INVALID_HANDLE_VALUE)
    return;
  do
  {
    HANDLE file = ::CreateFileW((std::wstring(L"E:\\") + data.cFileName).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got)
    {
    }
    ::CloseHandle(file);
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
}

void Fill(ExceptionList &list, int count)
{
  list.Clear();
  for (int i = 0; i < count - 1; ++i)
    list.Add("Disc " + std::to_string(i), EncodeBody("[autorun]\r\nopen=setup" + std::to_string(i) + ".exe\r\n"));
  std::string text;
  ReadNormalisedText(std::string(Root) + "Autorun.inf", text);
  list.Add("The accepted one", EncodeBody(text)); // the last entry: every body is compared
}
} // namespace

int main()
{
  ::CreateDirectoryA("C:\\bench", nullptr);
  TFileLogger logger(LogPath);
  logger.Threshold = 6;
  BenchLog = &logger;
  ResetDefaults(Record);
  Record.Flags[dkRemovable].InformUser = false;
  const int runs = 200;

  printf("| inspection of E:                             | Mervane ms |   bare ms | ratio |\n");
  printf("|----------------------------------------------|-----------:|----------:|------:|\n");

  // (a) No Autorun.inf and no shortcut: the drive's kind, an existence test,
  // and the shortcut look-up that the kind's repair switch asks for.
  ::DeleteFileA("E:\\Autorun.inf");
  Row("(a) no Autorun.inf", Measure(runs, [] {}, [] { InspectAndLog(Root, Record); }, [] {
        ::GetDriveTypeA(Root);
        BareExists("E:\\Autorun.inf");
        BareExistsWide(L"\\\\?\\E:\\*.lnk");
      }));

  // (b) An accepted Autorun.inf: existence, one read, the look-up, one log entry.
  WriteFileBytes("E:\\Autorun.inf", AutorunText);
  for (int count : {1000, 10000})
  {
    Fill(Record.UserExceptions, count);
    const ExceptionList &list = Record.UserExceptions;
    const Timing t = Measure(runs / 4, [] {}, [] { InspectAndLog(Root, Record); }, [&list] {
      BareExists("E:\\Autorun.inf");
      // Bodies are held encoded, so the file's text is compared in that form.
      const std::string text = EncodeBody(BareRead("E:\\Autorun.inf"));
      for (const std::string &body : list.Bodies)
        if (::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, body.data(), static_cast<int>(body.size()),
                             text.data(), static_cast<int>(text.size())) == CSTR_EQUAL)
          break;
      BareLog("12/9/2026 6:00:00 AM\t6\t\tE:\\Autorun.inf file listed in exceptions under name \"x\" found\r\n");
    });
    if (::GetFileAttributesA("E:\\Autorun.inf") == INVALID_FILE_ATTRIBUTES)
      printf("warning: the file was not accepted but deleted; (b) measured the wrong path\n");
    Row(count == 1000 ? "(b) accepted, 1,000 exception entries" : "(b) accepted, 10,000 exception entries",
        t);
  }
  Record.UserExceptions.Clear();

  // (c) 100 Autorun.* files to delete, menu cache and log included.
  const std::string cacheKey =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MountPoints2\\" + VolumeIdOf(Root);
  auto prepare = [&cacheKey] {
    WriteFileBytes("E:\\Autorun.inf", AutorunText);
    for (int i = 0; i < 99; ++i)
      WriteFileBytes("E:\\Autorun." + std::to_string(i), "x");
    HKEY key;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, (cacheKey + "\\Shell").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr);
    ::RegCloseKey(key);
  };
  auto bareCleanup = [&cacheKey] {
    BareExists("E:\\Autorun.inf");
    BareRead("E:\\Autorun.inf");
    char volume[500];
    ::GetVolumeNameForVolumeMountPointA(Root, volume, sizeof(volume));
    ::GetDriveTypeA(Root);
    HKEY key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, cacheKey.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS)
    {
      DWORD count = 0, longest = 0;
      ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr);
      char name[256];
      DWORD length = sizeof(name);
      if (::RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        ::RegDeleteKeyA(key, name);
      ::RegCloseKey(key);
    }
    ::DeleteFileA("E:\\Autorun.inf");
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA("E:\\Autorun.*", &data);
    std::string list;
    if (find != INVALID_HANDLE_VALUE)
    {
      do
      {
        const std::string path = std::string("E:\\") + data.cFileName;
        if (::DeleteFileA(path.c_str()))
          list += path + "\r\n";
      } while (::FindNextFileA(find, &data));
      ::FindClose(find);
    }
    BareLog("12/9/2026 6:00:00 AM\t6\t\tAttention!\r\n" + list);
  };
  Row("(c) 100 Autorun.* files deleted", Measure(runs / 4, prepare, [] { InspectAndLog(Root, Record); }, bareCleanup));
  // (d) The same with a copy of each file kept first, each run in a folder of
  // its own; the fair baseline copies each file before it deletes it.
  int copyRun = 0;
  auto bareCopies = [&copyRun] {
    const std::string folder = "C:\\bench\\bare-copies-" + std::to_string(++copyRun) + "\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA("E:\\Autorun.*", &data);
    std::string list;
    if (find != INVALID_HANDLE_VALUE)
    {
      do
      {
        const std::string path = std::string("E:\\") + data.cFileName;
        ::CopyFileA(path.c_str(), (folder + data.cFileName + ".quarantined").c_str(), TRUE);
        if (::DeleteFileA(path.c_str()))
          list += path + "\r\n";
      } while (::FindNextFileA(find, &data));
      ::FindClose(find);
    }
    BareLog("12/9/2026 6:00:00 AM\t6\t\tAttention!\r\n" + list);
  };
  Row("(d) the same, copies kept in quarantine",
      Measure(runs / 4, prepare, [] { InspectAndLog(Root, Record, QuarantineFolder); }, bareCopies));
  prepare();
  InspectAndLog(Root, Record);
  WIN32_FIND_DATAA left;
  HANDLE find = ::FindFirstFileA("E:\\Autorun.*", &left);
  if (find != INVALID_HANDLE_VALUE)
  {
    ::FindClose(find);
    printf("warning: the inspection left Autorun.* files behind; (c) measured less than it should\n");
  }

  // (f) The shortcut-worm check of a stick holding 1,000 of a user's own
  // shortcuts, against listing and reading them.
  ::DeleteFileA("E:\\Autorun.inf");
  ::CreateDirectoryA("E:\\Docs", nullptr);
  ::CreateDirectoryA("E:\\Apps", nullptr);
  WriteFileBytes("E:\\Apps\\tool.exe", "MZ");
  for (int i = 0; i < 1000; ++i)
  {
    WriteFileBytes("E:\\Docs\\report " + std::to_string(i) + ".docx", "PK");
    WriteFileBytes("E:\\shortcut " + std::to_string(i) + ".lnk", UserShortcut(i));
  }
  bool found = false;
  const Timing worm = Measure(
      runs / 4, [] {},
      [&found] {
        TQuarantine quarantine(QuarantineFolder, Root);
        found = RepairShortcutWorm(Root, quarantine).Found || found;
      },
      BareReadShortcuts);
  Row("(f) worm check, 1,000 of a user's shortcuts", worm);
  if (found)
    printf("warning: a user's shortcut was taken for the worm's; (f) measured the wrong path\n");
  for (int i = 0; i < 1000; ++i)
  {
    ::DeleteFileA(("E:\\Docs\\report " + std::to_string(i) + ".docx").c_str());
    ::DeleteFileA(("E:\\shortcut " + std::to_string(i) + ".lnk").c_str());
  }

  // (e) The start-up scan on the drive workers, D: a network drive that
  // stalls every call (bench/run-inspection-bench.sh mounts one) and E: after
  // it: the time until E:'s check is done, against the same scan without D:.
  if (::GetLogicalDrives() & (1u << 3))
  {
    auto scan = [](const char *networkRoot) {
      // Woken as the program's window is, not by spinning beside the workers.
      static HANDLE ready = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
      TDriveWork work([] { ::SetEvent(ready); });
      TDriveJob job;
      job.Settings = Record;
      job.OnlyIfReadable = true;
      if (networkRoot)
      {
        job.Root = networkRoot;
        work.Submit(job);
      }
      job.Root = Root;
      work.Submit(job);
      for (TInspectionResult result;;)
      {
        if (work.TakeResult(result))
        {
          if (result.Report.find("in E:\\!") != std::string::npos)
            break;
          continue;
        }
        ::WaitForSingleObject(ready, INFINITE);
      }
      // The stalled check is left to its drive, as at the program's end.
      work.Abandon(0);
    };
    const auto prepare = [] { WriteFileBytes("E:\\Autorun.inf", AutorunText); };
    const Timing t = Measure(runs / 10, prepare, [&scan] { scan("D:\\"); }, [&scan] { scan(nullptr); });
    // D: stalls only the reads of a file's data (see run-inspection-bench.sh).
    printf("\n| start-up scan until E: is clean              | D: stalled | without D: | ratio |\n");
    printf("|----------------------------------------------|-----------:|-----------:|------:|\n");
    Row("(e) E: after a network D: whose reads stall", t);
    if (::GetLogicalDrives() & (1u << 5))
    {
      printf("\n| start-up scan until E: is clean              | D: stalled | F: answers | ratio |\n");
      printf("|----------------------------------------------|-----------:|-----------:|------:|\n");
      Row("(e') the same against a network F: answering", Measure(runs / 10, prepare, [&scan] { scan("D:\\"); },
                                                                  [&scan] { scan("F:\\"); }));
    }
  }
  BenchLog = nullptr;
  return 0;
}
