#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
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

// Every cut of a valid file is refused, and no change of its bytes makes the
// reader read past them or fail to return.
TEST(ShortcutFile, CutsAreRefusedAndChangedBytesStayInside)
{
  std::mt19937 random(4711);
  for (int n = 0; n < 30; ++n)
  {
    const std::string bytes = MakeShortcut(RandomSpec(random));
    SCOPED_TRACE("case " + std::to_string(n));
    for (size_t cut = 0; cut < bytes.size(); ++cut)
    {
      TShortcut link;
      ASSERT_FALSE(TGuardedBytes(bytes.substr(0, cut)).Parse(link)) << "cut at " << cut;
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
