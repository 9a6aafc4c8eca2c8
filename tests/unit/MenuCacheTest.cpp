#include <gtest/gtest.h>
#include <cstring>
#include "ProtectionTestSupport.h"
#include "protection/MenuCache.h"

using namespace testsupport;

namespace
{
class MenuCacheTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    volumeId = VolumeIdOf("E:\\");
    cacheKey = kMountPoints2 + volumeId;
    DeleteKeyTree(cacheKey);
  }
  void TearDown() override
  {
    DeleteKeyTree(cacheKey);
    DeleteKeyTree(kMountPoints2 + "{sibling}");
  }
  std::string volumeId, cacheKey;
};
}

TEST_F(MenuCacheTest, VolumeIdentifiers)
{
  char name[500] = "";
  ASSERT_TRUE(::GetVolumeNameForVolumeMountPointA("E:\\", name, sizeof(name)));
  ASSERT_EQ(std::strncmp(name, "\\\\?\\Volume{", 11), 0);
  EXPECT_EQ("\\\\?\\Volume" + volumeId + "\\", name);
  EXPECT_EQ(volumeId.front(), '{');
  EXPECT_EQ(volumeId.back(), '}');
  EXPECT_EQ(cacheKey.find("MountPoints2\\{"), cacheKey.size() - volumeId.size() - 13);

  EXPECT_EQ(VolumeIdFromName("\\\\?\\Volume{abc}\\"), "{abc}");
  EXPECT_EQ(VolumeIdFromName("\\\\?\\Volume\\"), "");
  EXPECT_EQ(VolumeIdFromName("\\\\?\\Volume{\\"), "{");
  EXPECT_EQ(VolumeIdFromName(""), "");
  EXPECT_EQ(ShareKeyName("\\\\server\\share"), "##server#share");

  // A folder has no volume of its own, and an unmapped letter nothing at all.
  ::CreateDirectoryA("C:\\Share", nullptr);
  EXPECT_EQ(VolumeIdOf("C:\\Share"), "");
  EXPECT_EQ(VolumeIdOf("C:\\Share\\"), "");
  EXPECT_EQ(VolumeIdOf("Q:\\"), "");
  EXPECT_EQ(VolumeIdOf(""), "");
  EXPECT_TRUE(IsVolumeRoot("E:\\"));
  EXPECT_TRUE(IsVolumeRoot("i:\\"));
  EXPECT_FALSE(IsVolumeRoot("C:\\Share"));
  EXPECT_FALSE(IsVolumeRoot("C:\\Share\\"));
  EXPECT_FALSE(IsVolumeRoot("E:"));
  EXPECT_FALSE(IsVolumeRoot(""));
}

TEST_F(MenuCacheTest, NestedSubkeysGoWhileValuesAndTheKeyStay)
{
  ASSERT_TRUE(MakeKey(cacheKey, "BaseClass", "Drive"));
  ASSERT_TRUE(MakeKey(cacheKey + "\\Shell\\AutoRun\\command", "", "evil.exe"));
  ASSERT_TRUE(MakeKey(cacheKey + "\\Shell\\explore\\command", "", "evil.exe"));
  ASSERT_TRUE(MakeKey(cacheKey + "\\_Autorun\\DefaultIcon", "", "evil.ico"));
  ASSERT_TRUE(MakeKey(kMountPoints2 + "{sibling}\\Shell\\open"));

  EXPECT_TRUE(RemoveMenuCache(volumeId));
  EXPECT_EQ(SubKeyCount(cacheKey), 0);
  EXPECT_EQ(ReadValue(cacheKey, "BaseClass"), "Drive");
  EXPECT_TRUE(KeyExists(kMountPoints2 + "{sibling}\\Shell\\open"));

  // Now empty: nothing to do, and that counts as done.
  EXPECT_TRUE(RemoveMenuCache(volumeId));
  EXPECT_EQ(SubKeyCount(cacheKey), 0);
}

TEST_F(MenuCacheTest, MissingKeyOrEmptyIdentifierFailsWithoutTouchingTheRegistry)
{
  ASSERT_TRUE(MakeKey(kMountPoints2 + "{sibling}\\Shell"));
  EXPECT_FALSE(RemoveMenuCache(volumeId));
  EXPECT_FALSE(KeyExists(cacheKey));

  RecordedRegistryPaths().clear();
  EXPECT_FALSE(RemoveMenuCache("", RecordRegistryPaths));
  EXPECT_TRUE(RecordedRegistryPaths().empty());
  EXPECT_TRUE(KeyExists(kMountPoints2 + "{sibling}\\Shell"));
}

TEST_F(MenuCacheTest, SubkeyThatCannotBeDeletedFailsButTheOthersGo)
{
  ASSERT_TRUE(MakeKey(cacheKey + "\\Alpha\\Inner"));
  ASSERT_TRUE(MakeKey(cacheKey + "\\Locked\\Inner\\Deeper"));
  ASSERT_TRUE(MakeKey(cacheKey + "\\Zulu"));
  EXPECT_FALSE(RemoveMenuCache(volumeId, DenyDeletingLocked));
  EXPECT_FALSE(KeyExists(cacheKey + "\\Alpha"));
  EXPECT_FALSE(KeyExists(cacheKey + "\\Zulu"));
  // Its children went before its own deletion was refused.
  EXPECT_TRUE(KeyExists(cacheKey + "\\Locked"));
  EXPECT_EQ(SubKeyCount(cacheKey + "\\Locked"), 0);
}
