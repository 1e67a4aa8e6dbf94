// How a dropped or chosen path is judged: by its last bytes, exactly.
#include "app/source_selection.h"

#include <gtest/gtest.h>

#include <string>

namespace app {
namespace {

TEST(DroppedTextTest, DataFoldersByTheirLastEightBytes) {
  EXPECT_EQ(SourceKind::kDataFolder, ClassifyDroppedText("D:\\phone\\MobileQQ"));
  EXPECT_EQ(SourceKind::kDataFolder, ClassifyDroppedText("D:\\phone\\MicroMsg"));
  EXPECT_EQ(SourceKind::kDataFolder, ClassifyDroppedText("D:\\phone\\OldMobileQQ")) << "only the end counts";
  EXPECT_EQ(SourceKind::kDataFolder, ClassifyDroppedText("D:\\x\\xxMicroMsg")) << "a file without suffix";
  EXPECT_EQ(SourceKind::kDataFolder, ClassifyDroppedText("MobileQQ")) << "exactly eight bytes";
  EXPECT_EQ(SourceKind::kDataFolder, ClassifyDroppedText("D:\\备份\\MobileQQ"));
}

TEST(DroppedTextTest, VoiceFilesByTheirLastFourBytes) {
  EXPECT_EQ(SourceKind::kVoiceFile, ClassifyDroppedText("D:\\phone\\voice.amr"));
  EXPECT_EQ(SourceKind::kVoiceFile, ClassifyDroppedText("D:\\x\\a.slk"));
  EXPECT_EQ(SourceKind::kVoiceFile, ClassifyDroppedText(".slk")) << "exactly four bytes";
  EXPECT_EQ(SourceKind::kVoiceFile, ClassifyDroppedText("D:\\语音 备份\\甲 乙.slk"));
  EXPECT_EQ(SourceKind::kVoiceFile, ClassifyDroppedText("D:\\MobileQQ\\a.slk")) << "the folder above is no matter";
}

TEST(DroppedTextTest, RefusedTexts) {
  // Several items: each path is followed by CR LF, so the end is a line feed.
  EXPECT_EQ(SourceKind::kRefused, ClassifyDroppedText("D:\\a.amr\r\nD:\\b.amr\r\n"));
  EXPECT_EQ(SourceKind::kRefused, ClassifyDroppedText("D:\\phone\\MobileQQ\r\n"));
  EXPECT_EQ(SourceKind::kRefused, ClassifyDroppedText("D:\\phone\\mobileqq")) << "case-sensitive";
  EXPECT_EQ(SourceKind::kRefused, ClassifyDroppedText("D:\\phone\\MICROMSG"));
  EXPECT_EQ(SourceKind::kRefused, ClassifyDroppedText("D:\\x\\a.SLK"));
  EXPECT_EQ(SourceKind::kRefused, ClassifyDroppedText("D:\\x\\a.silk"));
  EXPECT_EQ(SourceKind::kRefused, ClassifyDroppedText("D:\\x\\a.mp3"));
  EXPECT_EQ(SourceKind::kRefused, ClassifyDroppedText("D:\\phone\\MobileQQ\\")) << "a trailing separator";
  EXPECT_EQ(SourceKind::kRefused, ClassifyDroppedText("D:\\MobileQQ "));
}

TEST(DroppedTextTest, ShortAndEmptyTextsNeverMatch) {
  EXPECT_EQ(SourceKind::kRefused, ClassifyDroppedText(nullptr));
  EXPECT_EQ(SourceKind::kRefused, ClassifyDroppedText(""));
  EXPECT_EQ(SourceKind::kRefused, ClassifyDroppedText("slk"));
  EXPECT_EQ(SourceKind::kRefused, ClassifyDroppedText("amr"));
  EXPECT_EQ(SourceKind::kRefused, ClassifyDroppedText("a"));
  EXPECT_EQ(SourceKind::kRefused, ClassifyDroppedText("obileQQ")) << "seven bytes";
  EXPECT_EQ(SourceKind::kRefused, ClassifyDroppedText("C:\\")) << "a drive's root";
}

TEST(BrowsedFolderTest, OnlyDataFolders) {
  EXPECT_TRUE(IsDataFolderPath("Z:\\tmp\\MicroMsg"));
  EXPECT_TRUE(IsDataFolderPath("Z:\\tmp\\MobileQQ"));
  EXPECT_FALSE(IsDataFolderPath("Z:\\tmp\\a.slk")) << "a voice file is no folder for the dialog";
  EXPECT_FALSE(IsDataFolderPath("C:\\"));
  EXPECT_FALSE(IsDataFolderPath(""));
  EXPECT_FALSE(IsDataFolderPath(nullptr)) << "a cancelled dialog";
}

}  // namespace
}  // namespace app
