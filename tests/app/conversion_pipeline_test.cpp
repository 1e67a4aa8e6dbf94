// One conversion's files and command lines in both forms, how each stage is
// judged, and what the user is told.
#include "app/conversion_pipeline.h"

#include <gtest/gtest.h>

namespace app {
namespace {

TEST(ConversionPlanTest, TheExampleRunInBothForms) {
  const ConversionPlan single = PlanSingleFile("D:\\bak\\a1.slk", "E:\\Tools\\vc");
  EXPECT_EQ("E:\\Tools\\vc\\silk_v3_decoder.exe", single.decoder);
  EXPECT_EQ("E:\\Tools\\vc\\ffmpeg.exe", single.encoder);
  EXPECT_EQ("D:\\bak\\a1.slk D:\\bak\\a1.pcm", single.decoder_parameters);
  EXPECT_EQ("D:\\bak\\a1.pcm", single.pcm);
  EXPECT_EQ("-y -f s16be -ac 2 -ar 12000 -acodec pcm_s16le -i D:\\bak\\a1.pcm D:\\bak\\a1.mp3",
            EncoderParameters(single, "12000"));

  const ConversionPlan batch = PlanBatchFile("D:\\bak\\a1.slk", "a1", "E:\\Tools\\vc", "888");
  EXPECT_EQ("D:\\bak\\a1.slk E:\\Tools\\vc\\out\\a1.pcm", batch.decoder_parameters);
  EXPECT_EQ("E:\\Tools\\vc\\out\\a1.pcm", batch.pcm);
  EXPECT_EQ("-y -f s16be -ac 2 -ar 12000 -acodec pcm_s16le -i E:\\Tools\\vc/out/a1.pcm "
            "E:\\Tools\\vc\\out\\888\\a1.mp3",
            EncoderParameters(batch, "12000"));
  EXPECT_EQ("E:\\Tools\\vc\\out\\888\\a1.mp3", batch.mp3);
}

TEST(ConversionPlanTest, TheLastFourBytesGoWhateverTheyAre) {
  const ConversionPlan silk = PlanSingleFile("D:\\x\\a.silk", "C:\\p");
  EXPECT_EQ("D:\\x\\a..pcm", silk.pcm);
  EXPECT_EQ("D:\\x\\a..mp3", silk.mp3);
  for (const char* short_path : {"a.sl", "", static_cast<const char*>(nullptr)}) {
    const ConversionPlan plan = PlanSingleFile(short_path, "C:\\p");
    EXPECT_EQ(".pcm", plan.pcm) << (short_path != nullptr ? short_path : "(null)");
    EXPECT_EQ(".mp3", plan.mp3);
  }
}

TEST(ConversionPlanTest, PathsWithSpacesAreQuotedAndAnEmptyOneStaysAnArgument) {
  const ConversionPlan plan = PlanSingleFile("D:\\语音 备份\\甲 乙.amr", "C:\\转换 工具");
  EXPECT_EQ("\"D:\\语音 备份\\甲 乙.amr\" \"D:\\语音 备份\\甲 乙.pcm\"", plan.decoder_parameters);
  EXPECT_EQ("C:\\转换 工具\\silk_v3_decoder.exe", plan.decoder) << "the shell is given the file unquoted";
  // An empty path would shift the decoder's arguments.
  EXPECT_EQ("\"\" .pcm", PlanSingleFile("", "C:\\p").decoder_parameters);
}

StageOutcome Ended(uint32_t exit_code) {
  StageOutcome outcome;
  outcome.started = outcome.waited = true;
  outcome.exit_code = exit_code;
  return outcome;
}

TEST(StageJudgementTest, OnlyAnExitCodeOfZeroAndANonEmptyFileCount) {
  EXPECT_EQ(Failure::kNone, JudgeDecoder(Ended(0), 48000));
  EXPECT_EQ(Failure::kDecodeFailed, JudgeDecoder(Ended(0), 0)) << "exit 0 and nothing written";
  EXPECT_EQ(Failure::kDecodeFailed, JudgeDecoder(Ended(0), -1));
  EXPECT_EQ(Failure::kDecodeFailed, JudgeDecoder(Ended(5), 48000));
  EXPECT_EQ(Failure::kVoiceUnreadable, JudgeDecoder(Ended(1), -1)) << "our decoder cannot read it";
  EXPECT_EQ(Failure::kVoiceTooLong, JudgeDecoder(Ended(6), -1));
  StageOutcome hung = Ended(0);
  hung.timed_out = true;
  EXPECT_EQ(Failure::kDecodeTimedOut, JudgeDecoder(hung, 48000)) << "a half-written file is never read";
  EXPECT_EQ(Failure::kDecoderNotStarted, JudgeDecoder(StageOutcome(), 48000));
  StageOutcome unwaitable;
  unwaitable.started = true;
  EXPECT_EQ(Failure::kNone, JudgeDecoder(unwaitable, 10)) << "then only the file can tell";

  EXPECT_EQ(Failure::kNone, JudgeEncoder(Ended(0), 1));
  EXPECT_EQ(Failure::kNotProduced, JudgeEncoder(Ended(0), 0));
  EXPECT_EQ(Failure::kNotProduced, JudgeEncoder(Ended(1), 5000));
  EXPECT_EQ(Failure::kNotProduced, JudgeEncoder(hung, 5000));
  EXPECT_EQ(Failure::kEncoderNotStarted, JudgeEncoder(StageOutcome(), 5000));
}

TEST(ConversionReportTest, EachFailureIsNamedWithWhatItConcerns) {
  const ConversionPlan plan = PlanSingleFile("D:\\bak\\a1.slk", "E:\\vc");
  EXPECT_EQ("转换成功", SingleFileReport(plan, Failure::kNone, false));
  EXPECT_EQ("转换失败，无法启动：E:\\vc\\silk_v3_decoder.exe",
            SingleFileReport(plan, Failure::kDecoderNotStarted, false));
  EXPECT_EQ("转换失败，无法启动：E:\\vc\\ffmpeg.exe", SingleFileReport(plan, Failure::kEncoderNotStarted, false));
  EXPECT_EQ("转换失败，解码失败：D:\\bak\\a1.slk", SingleFileReport(plan, Failure::kDecodeFailed, false));
  EXPECT_EQ("转换失败，解码超时：D:\\bak\\a1.slk\r\n中间文件未能删除：D:\\bak\\a1.pcm",
            SingleFileReport(plan, Failure::kDecodeTimedOut, true));
  EXPECT_EQ("转换失败，没有生成：D:\\bak\\a1.mp3", SingleFileReport(plan, Failure::kNotProduced, false));
  EXPECT_EQ("转换失败，无法读取语音文件：D:\\bak\\a1.slk", SingleFileReport(plan, Failure::kVoiceUnreadable, false));
  EXPECT_EQ("转换失败，语音过长（超过 30 分钟）：D:\\bak\\a1.slk", SingleFileReport(plan, Failure::kVoiceTooLong, false));

  const ConversionPlan batch = PlanBatchFile("D:\\q\\ptt\\b.slk", "b", "E:\\vc", "888");
  EXPECT_EQ("D:\\q\\ptt\\b.slk：解码失败", FailureLine(batch, Failure::kDecodeFailed));
  EXPECT_EQ("D:\\q\\ptt\\b.slk：无法读取语音文件", FailureLine(batch, Failure::kVoiceUnreadable));
  EXPECT_EQ("D:\\q\\ptt\\b.slk：没有生成：E:\\vc\\out\\888\\b.mp3", FailureLine(batch, Failure::kNotProduced));
}

TEST(ConversionReportTest, ABatchSaysHowManyFailedAndListsTenAtMost) {
  EXPECT_EQ("转换成功", BatchSummary(3, {}, ""));
  EXPECT_EQ("转换成功\r\n以前的失败列表无法删除：L", BatchSummary(3, {}, "L", false)) << "an earlier list stays";
  std::vector<std::string> reasons;
  for (int i = 1; i <= 12; ++i) reasons.push_back("f" + std::to_string(i) + ".slk：解码失败");
  const std::string summary = BatchSummary(5, reasons, "E:\\vc\\out\\888\\转换失败.txt");
  EXPECT_EQ(0u, summary.find("转换完成：成功 5 个，失败 12 个。\r\nf1.slk：解码失败\r\n"));
  EXPECT_NE(std::string::npos, summary.find("f10.slk：解码失败\r\n……\r\n失败列表：E:\\vc\\out\\888\\转换失败.txt"));
  EXPECT_EQ(std::string::npos, summary.find("f11.slk"));
  EXPECT_EQ("转换完成：成功 0 个，失败 1 个。\r\nx：解码失败\r\n失败列表：L", BatchSummary(0, {"x：解码失败"}, "L"));
}

TEST(ConversionReportTest, TheOutputSideNamesItsFolderAndAKeptMp3ItsFile) {
  const ConversionPlan batch = PlanBatchFile("D:\\q\\ptt\\b.slk", "b", "E:\\誠信\\vc", "888");
  EXPECT_EQ("E:\\誠信\\vc\\out", FolderOf(batch.pcm)) << "the second byte of 誠 is no separator";
  EXPECT_EQ("D:\\q\\ptt\\b.slk：无法写入文件夹：E:\\誠信\\vc\\out", FailureLine(batch, Failure::kPcmFolderNotWritable));
  EXPECT_EQ("D:\\q\\ptt\\b.slk：磁盘空间不足：E:\\誠信\\vc\\out\\888", FailureLine(batch, Failure::kMp3DiskFull));
  EXPECT_EQ("D:\\q\\ptt\\b.slk：已有的 MP3 是只读文件，保持原样：E:\\誠信\\vc\\out\\888\\b.mp3",
            FailureLine(batch, Failure::kOldMp3ReadOnly));
  const ConversionPlan odd = PlanBatchFile("D:\\q\\ptt\\??.slk", "??", "E:\\vc", "888");
  EXPECT_EQ("文件名含有本系统代码页无法表示的字符，请改名后再试：D:\\q\\ptt\\??.slk", FailureLine(odd, Failure::kNameUnusable))
      << "the drop's reason, which names the file once";
  const ConversionPlan single = PlanSingleFile("D:\\只读\\a1.slk", "E:\\vc");
  EXPECT_EQ("转换失败，无法写入文件夹：D:\\只读", SingleFileReport(single, Failure::kPcmFolderNotWritable, false));
  EXPECT_EQ("", FolderOf("a1.pcm"));
  EXPECT_EQ("转换完成：成功 0 个，失败 1 个。\r\nx：解码失败\r\n失败列表无法写入：L",
            BatchSummary(0, {"x：解码失败"}, "L", false));
}

}  // namespace
}  // namespace app
