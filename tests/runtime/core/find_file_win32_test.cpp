#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "runtime/core/entry_operations.h"
#include "runtime/core/find_file.h"
#include "runtime/core/heap.h"
#include "tests/support/temp_dir.h"

namespace rt {
namespace {

// Collects every name a search returns, continuing with the empty pattern.
std::multiset<std::string> Collect(const std::string& pattern, int32_t mask, int32_t all_files) {
  std::multiset<std::string> names;
  uintptr_t handle = 0;
  char* name = FindFile(pattern.c_str(), mask, all_files, &handle);
  while (name != nullptr) {
    names.insert(name);
    FreeMemory(name);
    name = FindFile(nullptr, mask, all_files, &handle);
  }
  EXPECT_EQ(0u, handle) << "a search that ran out is closed";
  return names;
}

class FindFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.MakeDir("sub");
    dir_.MakeDir("中文目录");
    normal_ = dir_.WriteFile("normal.slk");
    SetFileAttributesA(normal_.c_str(), FILE_ATTRIBUTE_NORMAL);
    archive_ = dir_.WriteFile("archive.slk");
    SetFileAttributesA(archive_.c_str(), FILE_ATTRIBUTE_ARCHIVE);
    readonly_ = dir_.WriteFile("readonly.amr");
    SetFileAttributesA(readonly_.c_str(), FILE_ATTRIBUTE_READONLY);
  }
  std::string All() const { return dir_.path() + "\\*.*"; }

  test_support::ScopedTempDir dir_;
  std::string normal_, archive_, readonly_;
};

TEST_F(FindFileTest, DirectoryMaskReturnsFoldersWithDotEntries) {
  EXPECT_EQ((std::multiset<std::string>{".", "..", "sub", "中文目录"}), Collect(All(), 0x10, 0));
}

TEST_F(FindFileTest, MaskSkipsFilesWithOnlyTheNormalAttribute) {
  std::multiset<std::string> expected{".", "..", "sub", "中文目录", "archive.slk", "readonly.amr"};
  // Windows reports a file whose attributes were set to NORMAL as 0x80 and
  // the mask skips it; Wine always reports such a file as archive (0x20).
  const DWORD normal = GetFileAttributesA(normal_.c_str());
  ASSERT_TRUE(normal == FILE_ATTRIBUTE_NORMAL || normal == FILE_ATTRIBUTE_ARCHIVE) << normal;
  if (normal == FILE_ATTRIBUTE_ARCHIVE) expected.insert("normal.slk");
  EXPECT_EQ(expected, Collect(All(), 0x37, 0));
  // Bits outside 0x37 are ignored: 0x80 alone matches nothing.
  EXPECT_EQ(0u, Collect(All(), 0x80, 0).size());
  // Mask 0 wants entries whose attribute word is 0, which the platform never reports.
  EXPECT_EQ(0u, Collect(All(), 0, 0).size());
}

TEST_F(FindFileTest, AllFilesReturnsEveryEntryThatIsNotAFolder) {
  EXPECT_EQ((std::multiset<std::string>{"normal.slk", "archive.slk", "readonly.amr"}),
            Collect(All(), 0x10, 1));
  EXPECT_EQ((std::multiset<std::string>{"normal.slk", "archive.slk"}),
            Collect(dir_.path() + "\\*.slk", 0, 1));
}

TEST_F(FindFileTest, ASecondPatternClosesTheFirstSearch) {
  uintptr_t handle = 0;
  char* first = FindFile(All().c_str(), 0x10, 0, &handle);
  ASSERT_NE(nullptr, first);
  FreeMemory(first);
  const uintptr_t first_handle = handle;
  char* other = FindFile((dir_.path() + "\\*.amr").c_str(), 0, 1, &handle);
  EXPECT_STREQ("readonly.amr", other);
  FreeMemory(other);
  EXPECT_NE(0u, handle);
  // The first handle was closed: the platform no longer knows it.
  WIN32_FIND_DATAA entry;
  EXPECT_FALSE(FindNextFileA(reinterpret_cast<HANDLE>(first_handle), &entry));
  EXPECT_EQ(nullptr, FindFile("", 0, 1, &handle));
  EXPECT_EQ(0u, handle);
  // Continuing without a search gives nothing.
  EXPECT_EQ(nullptr, FindFile(nullptr, 0, 1, &handle));
}

TEST_F(FindFileTest, MissingFolderGivesNothingAndLeavesNoHandle) {
  uintptr_t handle = 0;
  EXPECT_EQ(nullptr, FindFile((dir_.path() + "\\missing\\*.*").c_str(), 0x10, 0, &handle));
  EXPECT_EQ(0u, handle);
}

TEST_F(FindFileTest, ServicesReachTheSearchThroughCallService) {
  uintptr_t handle = 0;
  auto* name = reinterpret_cast<char*>(
      CallService(kServiceFindFile, (dir_.path() + "\\*.amr").c_str(), 0x37, 0, &handle));
  EXPECT_STREQ("readonly.amr", name);
  FreeMemory(name);
  CallService(kServiceCloseFind, handle);
}

}  // namespace
}  // namespace rt
