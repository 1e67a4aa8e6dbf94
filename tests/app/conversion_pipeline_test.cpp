// The single-file run: file names from the path box and the program folder,
// and the message that ends it.
#include "app/conversion_pipeline.h"

#include <gtest/gtest.h>

namespace app {
namespace {

TEST(SingleFilePlanTest, TheExampleRun) {
  const SingleFilePlan plan = PlanSingleFile("D:\\bak\\a1.slk", "E:\\Tools\\vc");
  EXPECT_EQ("D:\\bak\\a1", plan.base);
  EXPECT_EQ("E:\\Tools\\vc\\silk_v3_decoder.exe", plan.decoder);
  EXPECT_EQ("E:\\Tools\\vc\\ffmpeg.exe", plan.encoder);
  EXPECT_EQ("D:\\bak\\a1.slk D:\\bak\\a1.pcm", plan.decoder_parameters);
  EXPECT_EQ("D:\\bak\\a1.pcm", plan.pcm);
  EXPECT_EQ("D:\\bak\\a1.mp3", plan.mp3);
}

TEST(SingleFilePlanTest, TheLastFourBytesGoWhateverTheyAre) {
  const SingleFilePlan silk = PlanSingleFile("D:\\x\\a.silk", "C:\\p");
  EXPECT_EQ("D:\\x\\a.", silk.base);
  EXPECT_EQ("D:\\x\\a..pcm", silk.pcm);
  EXPECT_EQ("D:\\x\\a..mp3", silk.mp3);
  for (const char* short_path : {"a.sl", "abc", "", static_cast<const char*>(nullptr)}) {
    const SingleFilePlan plan = PlanSingleFile(short_path, "C:\\p");
    EXPECT_EQ("", plan.base) << (short_path != nullptr ? short_path : "(null)");
    EXPECT_EQ(".pcm", plan.pcm);
    EXPECT_EQ(".mp3", plan.mp3);
  }
  // No program folder: the programs are looked for at the root.
  EXPECT_EQ("\\ffmpeg.exe", PlanSingleFile("D:\\a.amr", nullptr).encoder);
}

TEST(SingleFilePlanTest, PathsWithSpacesAreQuotedForTheDecoder) {
  const SingleFilePlan plan = PlanSingleFile("D:\\语音 备份\\甲 乙.amr", "C:\\转换 工具");
  EXPECT_EQ("D:\\语音 备份\\甲 乙", plan.base);
  EXPECT_EQ("\"D:\\语音 备份\\甲 乙.amr\" \"D:\\语音 备份\\甲 乙.pcm\"", plan.decoder_parameters);
  EXPECT_EQ("C:\\转换 工具\\silk_v3_decoder.exe", plan.decoder) << "the shell is given the file unquoted";
}

ConverterRun Ran() {
  ConverterRun run;
  run.started = true;
  run.ended = true;
  return run;
}

TEST(SingleFileReportTest, SuccessOnlyWhenBothRanAndTheOutputIsThere) {
  const SingleFilePlan plan = PlanSingleFile("D:\\bak\\a1.slk", "E:\\vc");
  EXPECT_EQ("转换成功", SingleFileReport(plan, Ran(), Ran(), true));
  ConverterRun unwaited = Ran();
  unwaited.ended = false;
  EXPECT_EQ("转换成功", SingleFileReport(plan, unwaited, unwaited, true));
  EXPECT_EQ("转换失败，没有生成：D:\\bak\\a1.mp3", SingleFileReport(plan, Ran(), Ran(), false));
}

TEST(SingleFileReportTest, AProgramThatCouldNotStartIsNamed) {
  const SingleFilePlan plan = PlanSingleFile("D:\\bak\\a1.slk", "E:\\vc");
  const ConverterRun none;
  EXPECT_EQ("转换失败，无法启动：E:\\vc\\silk_v3_decoder.exe", SingleFileReport(plan, none, none, false));
  EXPECT_EQ("转换失败，无法启动：E:\\vc\\silk_v3_decoder.exe", SingleFileReport(plan, none, none, true))
      << "an old output file does not make it a success";
  EXPECT_EQ("转换失败，无法启动：E:\\vc\\ffmpeg.exe", SingleFileReport(plan, Ran(), none, true));
}

TEST(SingleFileReportTest, WhatMayStillRun) {
  ConverterRun run;
  EXPECT_FALSE(MayStillRun(run));
  run.started = true;
  EXPECT_TRUE(MayStillRun(run));
  run.ended = true;
  EXPECT_FALSE(MayStillRun(run));
}

}  // namespace
}  // namespace app
