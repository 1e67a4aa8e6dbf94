// End to end: the real program with the converters that ship beside it
// turns spoken voice messages and a tone into MP3s that sound as they
// should, in folders whose paths have spaces and Chinese characters, and
// says so only when it is true; and so does the release package, unzipped
// into an empty folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/console_program.h"
#include "tests/support/program_folder.h"
#include "tests/support/test_voices.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace app {
namespace {

using test_support::Exists;
using test_support::ReadAll;

using test_support::TestVoice;

constexpr char kConverted[] = "转换成功";
// Lengths of the decoded MP3 against the voice message, and pitch.
constexpr double kLengthTolerance = 0.05;
constexpr double kPitchTolerance = 0.02;

class RealConversionTest : public ::testing::Test {
 protected:
  void SetUp() override { d_ = MakeProgramFolder(dir_, "转换 工具", test_support::Converters::kReal); }

  // Copies a test voice file to `relative` below the test's folder.
  std::string Voice(const std::string& name, const std::string& relative) {
    const std::string target = dir_.WriteFile(relative);
    EXPECT_TRUE(CopyFileA(TestVoice(name).c_str(), target.c_str(), FALSE)) << TestVoice(name);
    return target;
  }
  // The program given `voice`, the convert-one button pressed: its message.
  std::string ConvertOne(const std::string& voice) {
    test_support::TestedProgram program;
    if (!program.Start(d_ + "\\sonoteca.exe", voice)) return "(did not start)";
    program.Click("单独转换");
    return program.AnswerBox(50000);
  }
  // The program given `folder`, its only account converted: its message.
  std::string ConvertAccount(const std::string& folder) {
    test_support::TestedProgram program;
    if (!program.Start(d_ + "\\sonoteca.exe", folder)) return "(did not start)";
    program.Click("批量转换");
    if (!test_support::WaitUntil([&] { return program.Accounts().size() == 1; }, 10000)) return "(no account)";
    program.DoubleClickAccount(0);
    return program.AnswerBox(50000);
  }
  void ExpectLengthOf(const std::string& mp3, const std::string& voice_name) {
    const test_support::Mp3Audio audio = test_support::DecodeMp3(mp3);
    ASSERT_FALSE(audio.empty()) << mp3;
    EXPECT_NEAR(test_support::TestVoiceSeconds(voice_name), audio.seconds(), kLengthTolerance) << mp3;
  }

  test_support::ScopedTempDir dir_;
  std::string d_;
};

TEST_F(RealConversionTest, SpokenMessagesOfBothFormsBecomeMp3sOfTheirLength) {
  const std::string qq = Voice("speech-qq.slk", "语音 备份\\甲 乙.slk");
  const std::string wechat = Voice("speech-wechat.amr", "语音 备份\\hello world.amr");
  EXPECT_EQ(kConverted, ConvertOne(qq));
  EXPECT_EQ(kConverted, ConvertOne(wechat));
  ExpectLengthOf(dir_.path() + "\\语音 备份\\甲 乙.mp3", "speech-qq.slk");
  ExpectLengthOf(dir_.path() + "\\语音 备份\\hello world.mp3", "speech-wechat.amr");
  EXPECT_FALSE(Exists(dir_.path() + "\\语音 备份\\甲 乙.pcm"));
}

TEST_F(RealConversionTest, AToneKeepsItsPitchAtTheDefaultRate) {
  const std::string tone = Voice("tone440.slk", "声音\\tone.slk");
  ASSERT_EQ(kConverted, ConvertOne(tone));
  const test_support::Mp3Audio audio = test_support::DecodeMp3(dir_.path() + "\\声音\\tone.mp3");
  ASSERT_FALSE(audio.empty());
  const double seconds = audio.seconds();
  EXPECT_NEAR(3.0, seconds, kLengthTolerance);
  const double hertz = test_support::SignChanges(audio.samples) / 2.0 / seconds;
  EXPECT_NEAR(440.0, hertz, 440.0 * kPitchTolerance);
}

TEST_F(RealConversionTest, ACorruptFileIsAFailureAndAnOldMp3StaysAsItWas) {
  const std::string corrupt = Voice("corrupt.slk", "备份\\坏.slk");
  dir_.WriteFile("备份\\坏.mp3", "an MP3 of an earlier run");
  EXPECT_EQ("转换失败，解码失败：" + corrupt, ConvertOne(corrupt));
  EXPECT_EQ("an MP3 of an earlier run", ReadAll(dir_.path() + "\\备份\\坏.mp3"));
  EXPECT_FALSE(Exists(dir_.path() + "\\备份\\坏.pcm"));
}

TEST_F(RealConversionTest, AMissingEncoderIsAFailure) {
  ASSERT_TRUE(DeleteFileA((d_ + "\\ffmpeg.exe").c_str()));
  const std::string voice = Voice("speech-qq.slk", "备份\\a.slk");
  EXPECT_EQ("转换失败，无法启动：" + d_ + "\\ffmpeg.exe", ConvertOne(voice));
  EXPECT_FALSE(Exists(dir_.path() + "\\备份\\a.mp3"));
}

TEST_F(RealConversionTest, AQqAccountAndAWeChatAccountBecomeMp3sOfTheirLengths) {
  Voice("speech-qq.slk", "备份\\MobileQQ\\10001\\ptt\\stream_1.slk");
  Voice("tone440.slk", "备份\\MobileQQ\\10001\\ptt\\1587023341258.slk");
  EXPECT_EQ(kConverted, ConvertAccount(dir_.path() + "\\备份\\MobileQQ"));
  ExpectLengthOf(d_ + "\\out\\10001\\stream_1.mp3", "speech-qq.slk");
  ExpectLengthOf(d_ + "\\out\\10001\\1587023341258.mp3", "tone440.slk");

  const std::string account = "a3f1c09b7e5d42f8b61c2e0d9f4a7b53";
  Voice("speech-wechat.amr", "备份\\MicroMsg\\" + account + "\\voice2\\3f\\9a\\msg_1.amr");
  EXPECT_EQ(kConverted, ConvertAccount(dir_.path() + "\\备份\\MicroMsg"));
  ExpectLengthOf(d_ + "\\out\\" + account + "\\msg_1.mp3", "speech-wechat.amr");
}

TEST_F(RealConversionTest, ABatchWithACorruptFileSaysWhichAndKeepsTheOldMp3) {
  Voice("speech-qq.slk", "MobileQQ\\10001\\ptt\\good.slk");
  const std::string bad = Voice("corrupt.slk", "MobileQQ\\10001\\ptt\\bad.slk");
  dir_.WriteFile("转换 工具\\out\\10001\\bad.mp3", "an MP3 of an earlier run");
  const std::string list = d_ + "\\out\\10001\\转换失败.txt";
  EXPECT_EQ("转换完成：成功 1 个，失败 1 个。\r\n" + bad + "：解码失败\r\n失败列表：" + list,
            ConvertAccount(dir_.path() + "\\MobileQQ"));
  EXPECT_EQ(bad + "：解码失败\r\n", ReadAll(list));
  EXPECT_EQ("an MP3 of an earlier run", ReadAll(d_ + "\\out\\10001\\bad.mp3"));
  ExpectLengthOf(d_ + "\\out\\10001\\good.mp3", "speech-qq.slk");
}

// The last-write time of a file, and a fixed one given to it.
uint64_t WriteTimeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

bool SetWriteTime(const std::string& path, WORD year, WORD month, WORD day) {
  SYSTEMTIME when = {year, month, 0, day, 8, 30, 15, 0};
  FILETIME time;
  const HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool set = SystemTimeToFileTime(&when, &time) && SetFileTime(file, nullptr, nullptr, &time);
  CloseHandle(file);
  return set;
}

TEST_F(RealConversionTest, RealAmrRecordingsGoToTheEncoderStraightInBothForms) {
  // An AMR-NB recording keeps its own 8000 Hz; the SILK message beside it
  // is encoded at the rate of the box.
  const std::string single = Voice("amr-nb.amr", "录音 备份\\语音 1.amr");
  EXPECT_EQ(kConverted, ConvertOne(single));
  const test_support::Mp3Audio alone = test_support::DecodeMp3(dir_.path() + "\\录音 备份\\语音 1.mp3");
  EXPECT_EQ(8000, alone.sample_rate);
  EXPECT_NEAR(test_support::TestVoiceSeconds("amr-nb.amr"), alone.seconds(), kLengthTolerance);
  EXPECT_FALSE(Exists(dir_.path() + "\\录音 备份\\语音 1.pcm"));

  const std::string account = "wxid_4f2a9c81e7d3b605a1";
  Voice("amr-nb.amr", "MicroMsg\\" + account + "\\voice2\\0a\\1b\\recorded.amr");
  Voice("speech-wechat.amr", "MicroMsg\\" + account + "\\voice2\\0a\\1b\\silk.amr");
  EXPECT_EQ(kConverted, ConvertAccount(dir_.path() + "\\MicroMsg"));
  const test_support::Mp3Audio recorded = test_support::DecodeMp3(d_ + "\\out\\" + account + "\\recorded.mp3");
  EXPECT_EQ(8000, recorded.sample_rate);
  EXPECT_NEAR(test_support::TestVoiceSeconds("amr-nb.amr"), recorded.seconds(), kLengthTolerance);
  EXPECT_EQ(12000, test_support::DecodeMp3(d_ + "\\out\\" + account + "\\silk.mp3").sample_rate);
  ExpectLengthOf(d_ + "\\out\\" + account + "\\silk.mp3", "speech-wechat.amr");
}

TEST_F(RealConversionTest, EveryMp3KeepsTheTimeOfItsVoiceMessage) {
  const std::string single = Voice("speech-qq.slk", "备份\\甲.slk");
  ASSERT_TRUE(SetWriteTime(single, 2019, 5, 20));
  const std::string first = Voice("tone440.slk", "MobileQQ\\10001\\ptt\\b.slk");
  const std::string second = Voice("amr-nb.amr", "MobileQQ\\10001\\ptt\\a.slk");
  ASSERT_TRUE(SetWriteTime(first, 2020, 1, 2));
  ASSERT_TRUE(SetWriteTime(second, 2021, 12, 31));
  EXPECT_EQ(kConverted, ConvertOne(single));
  EXPECT_EQ(kConverted, ConvertAccount(dir_.path() + "\\MobileQQ"));
  EXPECT_EQ(WriteTimeOf(single), WriteTimeOf(dir_.path() + "\\备份\\甲.mp3"));
  EXPECT_EQ(WriteTimeOf(first), WriteTimeOf(d_ + "\\out\\10001\\b.mp3"));
  EXPECT_EQ(WriteTimeOf(second), WriteTimeOf(d_ + "\\out\\10001\\a.mp3"));
  EXPECT_NE(WriteTimeOf(first), WriteTimeOf(second));
}

// The release package of this tree's architecture, unzipped by the test's
// fixture (ctest ReleasePackageUnzipped) into an empty folder beside the
// tests: the program runs from there with nothing but the package's files.
class ReleasePackageTest : public RealConversionTest {
 protected:
  void SetUp() override {
    const std::string unzipped = test_support::SelfFolder() + "\\release-package";
    const std::vector<std::wstring> packages = test_support::Names(test_support::Widen(unzipped));
    ASSERT_EQ(1u, packages.size()) << "unzip the package into " << unzipped << " (scripts/run-tests does)";
    d_ = unzipped + "\\" + test_support::Utf8(packages[0]);
  }
};

TEST_F(ReleasePackageTest, ConvertsAQqAndAWeChatAccountFromTheFolderItWasUnzippedInto) {
  EXPECT_EQ((std::vector<std::wstring>{L"FFMPEG-CONFIGURATION.txt", L"LGPL-2.1.txt", L"LICENSE.txt", L"README.txt",
                                       L"SILK-SDK-NOTICE.txt", L"THIRD-PARTY-NOTICES.txt", L"ffmpeg.exe",
                                       L"silk_v3_decoder.exe", L"sonoteca.exe"}),
            test_support::Names(test_support::Widen(d_)));
  Voice("speech-qq.slk", "MobileQQ\\10001\\ptt\\stream_1.slk");
  Voice("tone440.slk", "MobileQQ\\10001\\ptt\\1587023341258.slk");
  const std::string account = "a3f1c09b7e5d42f8b61c2e0d9f4a7b53";
  Voice("speech-wechat.amr", "MicroMsg\\" + account + "\\voice2\\3f\\9a\\msg_1.amr");
  Voice("amr-nb.amr", "MicroMsg\\" + account + "\\voice2\\3f\\9a\\msg_2.amr");
  EXPECT_EQ(kConverted, ConvertAccount(dir_.path() + "\\MobileQQ"));
  EXPECT_EQ(kConverted, ConvertAccount(dir_.path() + "\\MicroMsg"));
  ExpectLengthOf(d_ + "\\out\\10001\\stream_1.mp3", "speech-qq.slk");
  ExpectLengthOf(d_ + "\\out\\10001\\1587023341258.mp3", "tone440.slk");
  ExpectLengthOf(d_ + "\\out\\" + account + "\\msg_1.mp3", "speech-wechat.amr");
  ExpectLengthOf(d_ + "\\out\\" + account + "\\msg_2.mp3", "amr-nb.amr");
}

}  // namespace
}  // namespace app
