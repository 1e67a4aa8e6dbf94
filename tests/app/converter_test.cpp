// The converters' executable paths and parameter texts, and how a path
// argument is quoted.
#include "app/converter.h"

#include <gtest/gtest.h>

namespace app {
namespace {

TEST(ConverterParametersTest, SingleFileFormOfTheExample) {
  EXPECT_EQ("D:\\bak\\a1.slk D:\\bak\\a1.pcm", SingleDecoderParameters("D:\\bak\\a1.slk", "D:\\bak\\a1"));
  EXPECT_EQ("-y -f s16be -ac 2 -ar 12000 -acodec pcm_s16le -i D:\\bak\\a1.pcm D:\\bak\\a1.mp3",
            SingleEncoderParameters("12000", "D:\\bak\\a1"));
  EXPECT_EQ("E:\\Tools\\vc\\silk_v3_decoder.exe", DecoderPath("E:\\Tools\\vc"));
  EXPECT_EQ("E:\\Tools\\vc\\ffmpeg.exe", EncoderPath("E:\\Tools\\vc"));
}

TEST(ConverterParametersTest, BatchFormOfTheExample) {
  EXPECT_EQ("D:\\bak\\a1.slk E:\\Tools\\vc\\out\\a1.pcm",
            BatchDecoderParameters("D:\\bak\\a1.slk", "E:\\Tools\\vc", "a1"));
  EXPECT_EQ("-y -f s16be -ac 2 -ar 12000 -acodec pcm_s16le -i E:\\Tools\\vc/out/a1.pcm "
            "E:\\Tools\\vc\\out\\888\\a1.mp3",
            BatchEncoderParameters("12000", "E:\\Tools\\vc", "888", "a1"));
}

TEST(ConverterParametersTest, RateIsVerbatimAndOddBasesStayAsGiven) {
  EXPECT_EQ("-y -f s16be -ac 2 -ar  -acodec pcm_s16le -i .pcm .mp3", SingleEncoderParameters("", ""));
  EXPECT_EQ("-y -f s16be -ac 2 -ar 12000 -acodec pcm_s16le -i \"\" \"\"", EncoderParametersFor("12000", "", ""));
  EXPECT_EQ("-y -f s16be -ac 2 -ar 8k 0 -acodec pcm_s16le -i D:\\x\\a..pcm D:\\x\\a..mp3",
            SingleEncoderParameters("8k 0", "D:\\x\\a."));
  EXPECT_EQ("D:\\x\\a.silk D:\\x\\a..pcm", SingleDecoderParameters("D:\\x\\a.silk", "D:\\x\\a."));
}

TEST(ConverterParametersTest, PathsWithSpacesAreQuotedOneByOne) {
  EXPECT_EQ("\"D:\\my bak\\a1.slk\" \"D:\\my bak\\a1.pcm\"",
            SingleDecoderParameters("D:\\my bak\\a1.slk", "D:\\my bak\\a1"));
  EXPECT_EQ("D:\\bak\\a1.slk \"E:\\My Tools\\out\\a1.pcm\"",
            BatchDecoderParameters("D:\\bak\\a1.slk", "E:\\My Tools", "a1"));
  EXPECT_EQ("-y -f s16be -ac 2 -ar 12000 -acodec pcm_s16le -i \"E:\\My Tools/out/a 1.pcm\" "
            "\"E:\\My Tools\\out\\888\\a 1.mp3\"",
            BatchEncoderParameters("12000", "E:\\My Tools", "888", "a 1"));
}

TEST(QuoteArgumentTest, FollowsTheCommandLineRules) {
  EXPECT_EQ("\"\"", QuoteArgument("")) << "an empty argument is still one";
  EXPECT_EQ("C:\\a\\b.pcm", QuoteArgument("C:\\a\\b.pcm"));
  EXPECT_EQ("C:\\dir\\", QuoteArgument("C:\\dir\\")) << "no quotes, so no doubling";
  EXPECT_EQ("\"a b\"", QuoteArgument("a b"));
  EXPECT_EQ("\"a\tb\"", QuoteArgument("a\tb"));
  EXPECT_EQ("\"C:\\my dir\\\\\"", QuoteArgument("C:\\my dir\\")) << "a trailing backslash doubles";
  EXPECT_EQ("\"C:\\my dir\\\\\\\\\"", QuoteArgument("C:\\my dir\\\\"));
  EXPECT_EQ("\"say \\\"hi\\\"\"", QuoteArgument("say \"hi\""));
  EXPECT_EQ("\"a\\\\\\\"b\"", QuoteArgument("a\\\"b")) << "backslashes before a quote double, plus one";
  EXPECT_EQ("\"\\\\server\\a b\"", QuoteArgument("\\\\server\\a b")) << "leading ones stay";
}

TEST(QuoteArgumentTest, ADoubleByteCharacterEndingIn5CIsNoBackslash) {
  // 0x81 0x5C is one character of code page 936.
  const std::string tricky = std::string("D:\\a b\\x") + "\x81\x5C";
  EXPECT_EQ("\"" + tricky + "\"", QuoteArgument(tricky));
  const std::string chinese = "D:\\语音 文件\\甲.slk";
  EXPECT_EQ("\"" + chinese + "\"", QuoteArgument(chinese));
  EXPECT_EQ("D:\\语音\\甲.slk", QuoteArgument("D:\\语音\\甲.slk"));
}

TEST(ConverterParametersTest, AnAmrRecordingIsGivenOnlyItsInputAndOutput) {
  EXPECT_EQ("-y -i \"D:\\语音 备份\\a.amr\" D:\\out\\a.mp3", AmrEncoderParameters("D:\\语音 备份\\a.amr", "D:\\out\\a.mp3"));
}

TEST(ConverterLimitTest, OnlyAWholeNumberUpToTheBoundShortensIt) {
  EXPECT_EQ(1500u, ConverterLimit("1500"));
  EXPECT_EQ(1u, ConverterLimit("1"));
  EXPECT_EQ(kConverterLimitMs, ConverterLimit("120000"));
  for (const char* setting : {"", "0", "-5", "120001", "15s", " 15", "99999999999999999999"}) {
    EXPECT_EQ(kConverterLimitMs, ConverterLimit(setting)) << setting;
  }
}

}  // namespace
}  // namespace app
