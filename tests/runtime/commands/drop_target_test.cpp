// The drop target's rules: stored data, the effect of a drag and the text
// that a drop of files gives the application.
#include "runtime/commands/drop_target.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

constexpr uint32_t kAll = kDropEffectCopy | kDropEffectMove | kDropEffectLink;

TEST(DropEffectTest, RefusedWhileNotAccepting) {
  for (uint32_t keys : {0u, kKeyControl, kKeyShift, kKeyControl | kKeyShift}) {
    EXPECT_EQ(ComputeDropEffect(false, keys, kAll), kDropEffectNone) << keys;
  }
}

TEST(DropEffectTest, KeysChooseTheEffectWhenTheSourceAllowsIt) {
  EXPECT_EQ(ComputeDropEffect(true, kKeyControl, kAll), kDropEffectCopy);
  EXPECT_EQ(ComputeDropEffect(true, kKeyControl, kDropEffectMove), kDropEffectNone);
  EXPECT_EQ(ComputeDropEffect(true, kKeyShift, kAll), kDropEffectMove);
  EXPECT_EQ(ComputeDropEffect(true, kKeyShift, kDropEffectCopy), kDropEffectNone);
  // Ctrl and Shift ask for a link, which is never given.
  EXPECT_EQ(ComputeDropEffect(true, kKeyControl | kKeyShift, kAll), kDropEffectNone);
  EXPECT_EQ(ComputeDropEffect(true, kKeyControl | kKeyShift, kDropEffectLink), kDropEffectNone);
  // Mouse buttons and Alt in the key state choose nothing.
  EXPECT_EQ(ComputeDropEffect(true, 0x1 | 0x20, kDropEffectMove), kDropEffectMove);
}

TEST(DropEffectTest, WithoutKeysCopyThenMoveThenLink) {
  EXPECT_EQ(ComputeDropEffect(true, 0, kAll), kDropEffectCopy);
  EXPECT_EQ(ComputeDropEffect(true, 0, kDropEffectMove | kDropEffectLink), kDropEffectMove);
  EXPECT_EQ(ComputeDropEffect(true, 0, kDropEffectLink), kDropEffectLink);
  EXPECT_EQ(ComputeDropEffect(true, 0, 0), kDropEffectNone);
}

TEST(FileListTextTest, OneNameAloneSeveralEachWithCrLf) {
  EXPECT_EQ(FileListText({"D:\\x\\a.slk"}), "D:\\x\\a.slk");
  EXPECT_EQ(FileListText({"C:\\a", "C:\\b c"}), "C:\\a\r\nC:\\b c\r\n");
  EXPECT_EQ(FileListText({}), "");
}

TEST(DropTargetDataTest, FlagsAndVersions) {
  DropTargetData d;
  d.accept[kDropAcceptFiles] = 1;
  const std::vector<uint8_t> bytes = WriteDropTargetData(d);
  ASSERT_EQ(bytes.size(), 20u);
  EXPECT_EQ(bytes[0], 1);
  EXPECT_EQ(bytes[16], 1);
  DropTargetData read;
  ASSERT_TRUE(ReadDropTargetData(bytes.data(), bytes.size(), &read));
  EXPECT_EQ(read.accept[kDropAcceptText], 0);
  EXPECT_EQ(read.accept[kDropAcceptHtml], 0);
  EXPECT_EQ(read.accept[kDropAcceptUrl], 0);
  EXPECT_EQ(read.accept[kDropAcceptFiles], 1);

  std::vector<uint8_t> other = bytes;
  other[4] = 7;  // any nonzero word is true
  ASSERT_TRUE(ReadDropTargetData(other.data(), other.size(), &read));
  EXPECT_EQ(read.accept[kDropAcceptText], 1);

  other[0] = 2;
  EXPECT_FALSE(ReadDropTargetData(other.data(), other.size(), &read));
  EXPECT_FALSE(ReadDropTargetData(bytes.data(), 19, &read));

  ASSERT_TRUE(ReadDropTargetData(nullptr, 0, &read));
  for (int32_t flag : read.accept) EXPECT_EQ(flag, 0);
}

}  // namespace
}  // namespace rt
