#include <gtest/gtest.h>
#include <algorithm>
#include <set>
#include "MervaneEvents.h"
#include "ProtectionTestSupport.h"
#include "app/AppPaths.h"
#include "app/MainWindowLayout.h"
#include "app/ProductInfo.h"
#include "app/Program.h"
#include "app/ProgramEvents.h"
#include "log/EventLog.h"
#include "platform/Handle.h"
#include "platform/Text.h"

using namespace testsupport;

namespace
{
// Copied beside the tests by run-unit.sh (MERVANE_UNIT_FILES).
const char kProgram[] = "C:\\tests\\Mervane.exe";
const WORD kCategories[] = {CAT_CDROM, CAT_REMOVABLE, CAT_FIXED, CAT_REMOTE, CAT_OTHER, CAT_SETTINGS, CAT_PROGRAM};

std::string Formatted(HMODULE module, DWORD id, const std::vector<std::string> &inserts)
{
  std::vector<DWORD_PTR> args;
  for (const std::string &insert : inserts)
    args.push_back(reinterpret_cast<DWORD_PTR>(insert.c_str()));
  char *buffer = nullptr;
  const DWORD length =
      ::FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY |
                           (inserts.empty() ? FORMAT_MESSAGE_IGNORE_INSERTS : 0),
                       module, id, 0, reinterpret_cast<LPSTR>(&buffer), 0,
                       reinterpret_cast<va_list *>(args.data()));
  const std::string text = length && buffer ? std::string(buffer, length) : std::string();
  if (buffer)
    ::LocalFree(buffer);
  return text;
}

BOOL CALLBACK AddMessageIds(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR ids)
{
  const HRSRC info = ::FindResourceA(module, name, type);
  const auto *table =
      info ? static_cast<const MESSAGE_RESOURCE_DATA *>(::LockResource(::LoadResource(module, info))) : nullptr;
  for (DWORD b = 0; table && b < table->NumberOfBlocks; ++b)
    for (DWORD id = table->Blocks[b].LowId; id <= table->Blocks[b].HighId; ++id)
      reinterpret_cast<std::set<DWORD> *>(ids)->insert(id);
  return TRUE;
}

// Every message id of the module's message tables.
std::set<DWORD> MessageIds(HMODULE module)
{
  std::set<DWORD> ids;
  ::EnumResourceNamesA(module, RT_MESSAGETABLE, AddMessageIds, reinterpret_cast<LONG_PTR>(&ids));
  return ids;
}

// A write that waits until it is let go, as a hung event log service would.
struct TBlockingWrites
{
  CHandle Release{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  CCriticalSection Section;
  std::vector<DWORD> Written;
  DWORD ThreadId = 0;
  TEventLog::WriteFn Fn()
  {
    return [this](const TEvent &event) -> DWORD {
      ::WaitForSingleObject(Release.Get(), INFINITE);
      CLock lock(Section);
      Written.push_back(event.Id);
      ThreadId = ::GetCurrentThreadId();
      return event.Id == 2 ? ERROR_ACCESS_DENIED : 0;
    };
  }
};

TEvent Numbered(DWORD id)
{
  TEvent event;
  event.Id = id;
  return event;
}

TInspectionResult Removable(const std::string &report)
{
  TInspectionResult result;
  result.Root = "E:\\";
  result.Kind = dkRemovable;
  result.Flags = BehaviourFlags{true, true, true, true, true};
  result.Found = true;
  result.Report = report;
  return result;
}
}

TEST(EventLog, MervaneExeRendersEveryEventAndCategoryWithItsInserts)
{
  const HMODULE program = ::LoadLibraryExA(kProgram, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr) << kProgram;
  std::set<DWORD> expected(std::begin(kCategories), std::end(kCategories));
  for (int kind = 0; kind < DriveKindCount; ++kind)
    EXPECT_EQ(Formatted(program, kCategories[kind], {}), std::string(DriveKindNames[kind]) + "\r\n");
  for (const DWORD id : ProgramEventIds())
  {
    expected.insert(id);
    // Drive events below 4000 (in the id's low word), with the drive and its kind.
    const bool drive = LOWORD(id) < 4000;
    const std::string text = Formatted(program, id, drive ? std::vector<std::string>{"E:\\", "Removable", "one\r\ntwo"}
                                                          : std::vector<std::string>{"one\r\ntwo"});
    if (drive)
    {
      EXPECT_NE(text.find(" E:\\ (Removable)"), std::string::npos) << LOWORD(id) << ": " << text;
    }
    EXPECT_EQ(text.find('%'), std::string::npos) << text;
    const std::string ending = ".\r\n\r\none\r\ntwo\r\n";
    ASSERT_GT(text.size(), ending.size()) << LOWORD(id);
    EXPECT_EQ(text.substr(text.size() - ending.size()), ending) << "ends with the log entry's text: " << text;
  }
  EXPECT_EQ(MessageIds(program), expected) << "the table holds exactly the categories and the events the program writes";
  ::FreeLibrary(program);
}

TEST(EventLog, AnInspectionsWorstPartDecidesItsEvent)
{
  TInspectionResult result = Removable("report");
  EXPECT_EQ(InspectionEvent(result).Id, static_cast<DWORD>(EVT_AUTORUN_REMOVED));
  EXPECT_EQ(InspectionEvent(result).Category, CAT_REMOVABLE);
  EXPECT_EQ(InspectionEvent(result).Strings, (std::vector<std::string>{"E:\\", "Removable", "report"}));
  result.Flags.DeleteAutorunInf = result.Flags.DeleteAutorunAll = false;
  EXPECT_EQ(InspectionEvent(result).Id, static_cast<DWORD>(EVT_AUTORUN_LEFT));
  result.Worm.Found = true;
  result.Worm.MadeVisible = {"E:\\Photos"};
  EXPECT_EQ(InspectionEvent(result).Id, static_cast<DWORD>(EVT_WORM_REPAIRED));
  result.Worm.NotRepaired = {"E:\\x.vbs (no copy)"};
  EXPECT_EQ(InspectionEvent(result).Id, static_cast<DWORD>(EVT_WORM_NOT_REPAIRED));
  result.Outcome.MenuItemsRemoved = false;
  EXPECT_EQ(InspectionEvent(result).Id, static_cast<DWORD>(EVT_MENU_NOT_REMOVED));
  result.Outcome.AllAutorunDeleted = false;
  EXPECT_EQ(InspectionEvent(result).Id, static_cast<DWORD>(EVT_AUTORUN_NOT_DELETED));
  EXPECT_EQ(EventTypeOf(InspectionEvent(result).Id), EVENTLOG_ERROR_TYPE);

  TInspectionResult accepted = Removable("accepted");
  accepted.Kind = dkCdRom;
  accepted.Accepted = true;
  accepted.Outcome.AutorunInfDeleted = false; // not acted on at all
  EXPECT_EQ(InspectionEvent(accepted).Id, static_cast<DWORD>(EVT_AUTORUN_ACCEPTED));
  EXPECT_EQ(InspectionEvent(accepted).Category, CAT_CDROM);
  EXPECT_EQ(EntryEvent(EVT_POLICY_VALUE_INVALID, "x").Category, CAT_SETTINGS);
  EXPECT_EQ(EventTypeOf(EVT_POLICY_VALUE_INVALID), EVENTLOG_WARNING_TYPE);
  EXPECT_EQ(EventTypeOf(EVT_AUTORUN_ACCEPTED), EVENTLOG_INFORMATION_TYPE);
}

TEST(EventLog, EventsAreHeldUntilBeginThenWrittenInOrderWithoutWaitingForTheService)
{
  TBlockingWrites writes;
  TEventLog events(writes.Fn());
  events.Write(Numbered(1));
  events.Begin(true);
  for (DWORD id = 2; id <= 4; ++id)
    events.Write(Numbered(id)); // returns although the first write hangs
  ::SetEvent(writes.Release.Get());
  events.Flush(10000);
  CLock lock(writes.Section);
  EXPECT_EQ(writes.Written, (std::vector<DWORD>{1, 2, 3, 4}));
  EXPECT_NE(writes.ThreadId, ::GetCurrentThreadId());
  const TEventFailures failures = events.TakeFailures();
  EXPECT_EQ(failures.Count, 1u);
  EXPECT_EQ(failures.FirstError, static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(events.TakeFailures().Count, 0u);
}

TEST(EventLog, AHungServiceHoldsUpTheEndOnlyForTheFlushTimeAndItsQueueCountsAsFailed)
{
  TBlockingWrites writes;
  TEventLog events(writes.Fn());
  events.Begin(true);
  for (DWORD id = 1; id <= 3; ++id)
    events.Write(Numbered(id));
  const DWORD start = ::GetTickCount();
  events.Flush(300);
  EXPECT_LT(::GetTickCount() - start, 5000u);
  const TEventFailures failures = events.TakeFailures();
  // The first is with the service; the two behind it are given up.
  EXPECT_EQ(failures.Count, 2u);
  EXPECT_EQ(failures.FirstError, static_cast<DWORD>(ERROR_TIMEOUT));
  ::SetEvent(writes.Release.Get());
  events.Flush(10000);
}

TEST(EventLog, SwitchedOffNothingIsWrittenNorCounted)
{
  TBlockingWrites writes;
  ::SetEvent(writes.Release.Get());
  TEventLog events(writes.Fn());
  events.Write(Numbered(1));
  events.Begin(false);
  events.Write(Numbered(3));
  events.Flush(10000);
  EXPECT_TRUE(writes.Written.empty());
  EXPECT_EQ(events.TakeFailures().Count, 0u);
}

TEST(EventLog, TheProgramLogsEventsThatCouldNotBeWrittenOnceAtItsEnd)
{
  const AppPaths paths = ResolveAppPaths(ProgramFilePath());
  ::DeleteFileA(paths.LogPath.c_str());
  ASSERT_TRUE(WriteBytes(paths.IniPath, "[General]\r\nFirstRun=0\r\nBehaviour=12\r\nRepairShortcuts=x\r\n"));
  std::vector<TEvent> written;
  TProgramSeams seams;
  seams.WriteEvent = [&written](const TEvent &event) -> DWORD {
    written.push_back(event);
    return ERROR_ACCESS_DENIED;
  };
  {
    TProgram program(seams);
    ASSERT_TRUE(program.Start());
  }
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
  {
  }
  const std::vector<std::string> entries = LogMessages(ReadBytes(paths.LogPath));
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[2], "2 events could not be written to the Windows event log: " + SystemErrorText(ERROR_ACCESS_DENIED));
  ASSERT_EQ(written.size(), 2u);
  EXPECT_EQ(written[0].Id, static_cast<DWORD>(EVT_SETTING_INVALID));
  EXPECT_EQ(written[0].Category, CAT_SETTINGS);
  EXPECT_EQ(written[0].Strings, std::vector<std::string>{entries[0]});
  ::DeleteFileA(paths.LogPath.c_str());
  ::DeleteFileA(paths.IniPath.c_str());
}
