#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <functional>
#include <random>
#include "ShortcutWriter.h"
#include "WorkFiles.h"
#include "protection/ShortcutFile.h"

using namespace testsupport;

namespace
{
// The bytes placed so that they end where an inaccessible page begins: a
// read past the data is an access violation, not a quiet look at the heap.
class TGuardedBytes
{
public:
  explicit TGuardedBytes(const std::string &bytes)
  {
    const size_t page = 4096;
    const size_t pages = (bytes.size() + page - 1) / page;
    _base = static_cast<unsigned char *>(::VirtualAlloc(nullptr, (pages + 1) * page, MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    ::VirtualProtect(_base + pages * page, page, PAGE_NOACCESS, &old);
    _data = _base + pages * page - bytes.size();
    if (!bytes.empty())
      std::memcpy(_data, bytes.data(), bytes.size());
    _size = bytes.size();
  }
  ~TGuardedBytes() { ::VirtualFree(_base, 0, MEM_RELEASE); }
  bool Parse(TShortcut &link) const { return ParseShortcut(_data, _size, link); }

private:
  unsigned char *_base;
  unsigned char *_data;
  size_t _size;
};

std::string RandomText(std::mt19937 &random, size_t longest)
{
  const char alphabet[] = "abcXYZ019 .\\:%~/&\"-_";
  std::string text(random() % (longest + 1), ' ');
  for (char &c : text)
    c = alphabet[random() % (sizeof(alphabet) - 1)];
  return text;
}

TLinkSpec RandomSpec(std::mt19937 &random)
{
  TLinkSpec spec;
  spec.Unicode = random() % 2;
  spec.FileAttributes = random();
  spec.HasIdList = random() % 2;
  spec.IdList = RandomText(random, 40);
  spec.HasLinkInfo = random() % 4 != 0;
  spec.LinkInfoUnicode = random() % 2;
  spec.LocalBasePath = RandomText(random, 60);
  spec.CommonPathSuffix = RandomText(random, 10);
  spec.Strings = random() & 0x7C;
  spec.Name = RandomText(random, 30);
  spec.RelativePath = RandomText(random, 30);
  spec.WorkingDir = RandomText(random, 30);
  spec.Arguments = RandomText(random, 120);
  spec.IconLocation = RandomText(random, 30);
  spec.HasEnvironment = random() % 2;
  spec.EnvironmentTarget = RandomText(random, 80);
  return spec;
}

std::string Present(unsigned strings, unsigned flag, const std::string &text) { return strings & flag ? text : ""; }
}

TEST(ShortcutFile, EveryFieldWrittenComesBack)
{
  std::mt19937 random(2311);
  for (int n = 0; n < 300; ++n)
  {
    const TLinkSpec spec = RandomSpec(random);
    SCOPED_TRACE("case " + std::to_string(n));
    TShortcut link;
    ASSERT_TRUE(TGuardedBytes(MakeShortcut(spec)).Parse(link));
    EXPECT_EQ(link.FileAttributes, spec.FileAttributes);
    EXPECT_EQ(link.LocalBasePath, spec.HasLinkInfo ? spec.LocalBasePath : "");
    EXPECT_EQ(link.CommonPathSuffix, spec.HasLinkInfo ? spec.CommonPathSuffix : "");
    const bool unicodeInfo = spec.HasLinkInfo && spec.LinkInfoUnicode;
    EXPECT_EQ(link.LocalBasePathUnicode, unicodeInfo ? spec.LocalBasePath : "");
    EXPECT_EQ(link.CommonPathSuffixUnicode, unicodeInfo ? spec.CommonPathSuffix : "");
    EXPECT_EQ(link.Name, Present(spec.Strings, LinkFlag::HasName, spec.Name));
    EXPECT_EQ(link.RelativePath, Present(spec.Strings, LinkFlag::HasRelativePath, spec.RelativePath));
    EXPECT_EQ(link.WorkingDir, Present(spec.Strings, LinkFlag::HasWorkingDir, spec.WorkingDir));
    EXPECT_EQ(link.Arguments, Present(spec.Strings, LinkFlag::HasArguments, spec.Arguments));
    EXPECT_EQ(link.IconLocation, Present(spec.Strings, LinkFlag::HasIconLocation, spec.IconLocation));
    EXPECT_EQ(link.EnvironmentTarget, spec.HasEnvironment ? spec.EnvironmentTarget : "");
    EXPECT_EQ(link.EnvironmentTargetUnicode, spec.HasEnvironment ? spec.EnvironmentTarget : "");
  }
}

// A cut of a valid file is refused while its header, ID list or LinkInfo is
// not whole; cut later, it is read as far as it goes: every text is the
// start of the one written. No change of its bytes makes the reader read past
// them or fail to return.
TEST(ShortcutFile, CutsAreReadAsFarAsTheyGoAndChangedBytesStayInside)
{
  std::mt19937 random(4711);
  for (int n = 0; n < 30; ++n)
  {
    const TLinkSpec spec = RandomSpec(random);
    const std::string bytes = MakeShortcut(spec);
    TLinkSpec head = spec;
    head.Strings = 0;
    head.HasEnvironment = false;
    const size_t stringsAt = MakeShortcut(head).size() - 4;
    TShortcut whole;
    ASSERT_TRUE(TGuardedBytes(bytes).Parse(whole));
    SCOPED_TRACE("case " + std::to_string(n));
    for (size_t cut = 0; cut < bytes.size(); ++cut)
    {
      TShortcut link;
      ASSERT_EQ(TGuardedBytes(bytes.substr(0, cut)).Parse(link), cut >= stringsAt) << "cut at " << cut;
      for (std::string TShortcut::*text : {&TShortcut::Name, &TShortcut::RelativePath, &TShortcut::WorkingDir,
                                           &TShortcut::Arguments, &TShortcut::IconLocation})
        ASSERT_EQ((whole.*text).compare(0, (link.*text).size(), link.*text), 0) << "cut at " << cut;
      ASSERT_TRUE(link.EnvironmentTarget.empty() || link.EnvironmentTarget == whole.EnvironmentTarget);
    }
    for (int change = 0; change < 100; ++change)
    {
      std::string changed = bytes;
      for (int k = 1 + random() % 3; k > 0; --k)
        changed[random() % changed.size()] = static_cast<char>(random());
      TShortcut link;
      TGuardedBytes(changed).Parse(link);
    }
  }
  std::string header = MakeShortcut("E:\\x.exe");
  TShortcut link;
  header[0] = 0x4D;
  EXPECT_FALSE(TGuardedBytes(header).Parse(link));
  header = MakeShortcut("E:\\x.exe");
  header[19] = 0x47;
  EXPECT_FALSE(TGuardedBytes(header).Parse(link));
}

// Shortcuts as found in the wild, read as the system reads them.
TEST(ShortcutFile, ShapesTheSystemReads)
{
  const std::string block = [] {
    std::string unknown;
    PutU32(unknown, 12);
    PutU32(unknown, 0xB0000001);
    PutU32(unknown, 0);
    return unknown;
  }();
  auto spec = [](const std::function<void(TLinkSpec &)> &change) {
    TLinkSpec s;
    s.HasLinkInfo = false;
    s.Strings = LinkFlag::HasWorkingDir | LinkFlag::HasArguments;
    s.WorkingDir = "B:\\";
    s.Arguments = "/c start x.vbs";
    s.HasEnvironment = true;
    s.EnvironmentTarget = "%COMSPEC%";
    change(s);
    return MakeShortcut(s);
  };
  const struct
  {
    const char *What;
    std::string Bytes;
    std::string IdListPath, WorkingDir, Arguments, Environment;
  } cases[] = {
      {"bytes after the terminal block", spec([](TLinkSpec &s) { s.Trailing = "\x01\x02\x03garbage"; }), "",
       "B:\\", "/c start x.vbs", "%COMSPEC%"},
      {"no terminal block", spec([](TLinkSpec &) {}).substr(0, spec([](TLinkSpec &) {}).size() - 4), "", "B:\\",
       "/c start x.vbs", "%COMSPEC%"},
      {"an unknown block after the environment block", spec([&](TLinkSpec &s) { s.ExtraBlocks = block; }), "",
       "B:\\", "/c start x.vbs", "%COMSPEC%"},
      {"a damaged block after it", spec([&](TLinkSpec &s) { s.ExtraBlocks = block.substr(0, 4) + "\x01\xA0"; }),
       "", "B:\\", "/c start x.vbs", "%COMSPEC%"},
      {"a damaged environment block", spec([](TLinkSpec &s) { s.EnvironmentTarget.assign(300, 'x'); }), "", "B:\\",
       "/c start x.vbs", ""},
      {"padded working folder", spec([](TLinkSpec &s) { s.WorkingDirPadding = 200; }), "", "B:\\",
       "/c start x.vbs", "%COMSPEC%"},
      {"arguments whose count runs past the data", spec([](TLinkSpec &s) { s.LastStringOverrun = 3000; }), "",
       "B:\\", "/c start x.vbs", ""},
      {"ANSI working folder running past the data", spec([](TLinkSpec &s) {
         s.Unicode = false;
         s.Strings = LinkFlag::HasWorkingDir;
         s.LastStringOverrun = 1;
       }),
       "", "B:\\", "", ""},
      {"ID list, long names (version 9)", spec([](TLinkSpec &s) {
         s.HasIdList = true;
         s.IdList = IdListOf("C:\\Windows\\system32\\cmd.exe");
       }),
       "C:\\Windows\\system32\\cmd.exe", "B:\\", "/c start x.vbs", "%COMSPEC%"},
  };
  for (const auto &c : cases)
  {
    SCOPED_TRACE(c.What);
    TShortcut link;
    ASSERT_TRUE(TGuardedBytes(c.Bytes).Parse(link));
    EXPECT_EQ(link.IdListPath, c.IdListPath);
    EXPECT_EQ(link.WorkingDir, c.WorkingDir);
    EXPECT_EQ(link.Arguments, c.Arguments);
    EXPECT_EQ(link.EnvironmentTargetUnicode, c.Environment);
  }
}

// The target ID list gives a path only through the computer or a drive and
// file entries; the long names where the items hold them.
TEST(ShortcutFile, TargetIdListAsAPath)
{
  const std::string unknownRoot = [] {
    std::string list = IdListOf("C:\\x.exe");
    list[8] = 0x11; // another folder than the computer
    return list;
  }();
  const std::string withoutComputer = IdListOf("E:\\Photos", 9, true).substr(20);
  const std::string networkItem = [] {
    std::string list = IdListOf("C:\\a\\x.exe", 0);
    list.insert(list.size() - 2, std::string("\x08\x00\x41\x01\x00\x00\x00\x00", 8));
    return list;
  }();
  const std::string unicodeName = [] {
    std::string list = IdListOf("C:\\", 0);
    const std::string item = std::string("\x36\0", 2) + std::string(10, '\0') + Utf16("\xDC" "ber.exe") +
                             std::string(2, '\0');
    std::string sized;
    PutU16(sized, static_cast<unsigned>(item.size()) + 2);
    list.insert(list.size() - 2, sized + item);
    return list;
  }();
  const struct
  {
    const char *What;
    std::string IdList, Path;
  } cases[] = {
      {"a file entry named in UTF-16", unicodeName, "C:\\\xDC" "ber.exe"},
      {"version 3 (Windows XP)", IdListOf("C:\\Program Files\\Long Name.exe", 3),
       "C:\\Program Files\\Long Name.exe"},
      {"version 7", IdListOf("C:\\Program Files\\Long Name.exe", 7), "C:\\Program Files\\Long Name.exe"},
      {"version 8", IdListOf("C:\\Program Files\\Long Name.exe", 8), "C:\\Program Files\\Long Name.exe"},
      {"short names only", IdListOf("C:\\PROGRA~1\\LONGNA~1.EXE", 0), "C:\\PROGRA~1\\LONGNA~1.EXE"},
      {"a folder, from the drive on", withoutComputer, "E:\\Photos"},
      {"odd names", IdListOf("E:\\ \\\xA0\\.x\\y.vbs"), "E:\\ \\\xA0\\.x\\y.vbs"},
      {"the drive alone", IdListOf("E:\\"), "E:\\"},
      {"another root folder", unknownRoot, ""},
      {"an item of another kind after the file", networkItem, ""},
      {"a name \"..\"", IdListOf("C:\\a\\..\\x.exe"), ""},
      {"an item running past the list", IdListOf("C:\\x.exe").substr(0, 60) + std::string(2, '\0'), ""},
      {"no end", IdListOf("C:\\x.exe").substr(0, IdListOf("C:\\x.exe").size() - 2), ""},
  };
  for (const auto &c : cases)
  {
    SCOPED_TRACE(c.What);
    TLinkSpec spec;
    spec.HasLinkInfo = false;
    spec.HasIdList = true;
    spec.IdList = c.IdList;
    const std::string bytes = MakeShortcut(spec);
    TShortcut link;
    ASSERT_TRUE(TGuardedBytes(bytes).Parse(link));
    EXPECT_EQ(link.IdListPath, c.Path);
  }
}

TEST(ShortcutFile, FilesAboveTheLimitAreNotRead)
{
  const std::string path = WorkPath("limit.lnk");
  TLinkSpec spec;
  spec.LocalBasePath = "E:\\x.exe";
  spec.Strings = LinkFlag::HasArguments;
  spec.Arguments = std::string(ShortcutSizeLimit / 2 - 400, 'a');
  const std::string atLimit = MakeShortcut(spec);
  ASSERT_LE(atLimit.size(), ShortcutSizeLimit);
  TShortcut link;
  ASSERT_TRUE(WriteBytes(path, atLimit));
  EXPECT_TRUE(ReadShortcutFile(path, link));
  EXPECT_EQ(link.Arguments, spec.Arguments);
  ASSERT_TRUE(WriteBytes(path, atLimit + std::string(ShortcutSizeLimit + 1 - atLimit.size(), '\0')));
  EXPECT_FALSE(ReadShortcutFile(path, link));
  ::DeleteFileA(path.c_str());
  EXPECT_FALSE(ReadShortcutFile(path, link));
}
