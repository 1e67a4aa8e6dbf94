// The ffmpeg that ships, as Sonoteca starts it (no console, no window), in
// a folder whose path has a space and Chinese characters: its licence, the
// conversion of the decoder's samples with Sonoteca's exact options, a real
// AMR recording straight to MP3, and an honest exit code when there is
// nothing to convert.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/console_program.h"
#include "tests/support/test_voices.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace {

using test_support::Quoted;
using test_support::Widen;

test_support::ConsoleRun RunFfmpeg(const std::wstring& parameters) {
  return test_support::RunConsoleProgram(test_support::ShippedProgram(L"ffmpeg.exe"), parameters);
}

// 3.000 s of a 440 Hz sine, as the decoder writes it: 24000 Hz mono,
// 16-bit little-endian.
std::string Tone() {
  std::string samples;
  for (int i = 0; i < 3 * 24000; ++i) {
    const auto v = static_cast<int16_t>(std::lround(12000 * std::sin(2 * 3.14159265358979 * 440 * i / 24000.0)));
    samples.push_back(static_cast<char>(v & 0xFF));
    samples.push_back(static_cast<char>((v >> 8) & 0xFF));
  }
  return samples;
}

class ShippedFfmpegTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = temp_.path() + "\\语音 备份";
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
  }
  std::wstring In(const std::string& name) const { return Widen(folder_ + "\\" + name); }

  test_support::ScopedTempDir temp_;
  std::string folder_;
};

TEST_F(ShippedFfmpegTest, IsLgplAndWithoutTheGplParts) {
  const test_support::ConsoleRun run = RunFfmpeg(L"-hide_banner -L");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(0u, run.exit_code);
  EXPECT_NE(std::string::npos, run.output.find("under the terms of the GNU Lesser General Public")) << run.output;
  EXPECT_NE(std::string::npos, run.output.find("version 2.1 of the License, or (at your option) any later version"))
      << run.output;
  const test_support::ConsoleRun configuration = RunFfmpeg(L"-hide_banner -buildconf");
  EXPECT_EQ(std::string::npos, configuration.output.find("--enable-gpl")) << configuration.output;
  EXPECT_EQ(std::string::npos, configuration.output.find("--enable-nonfree")) << configuration.output;
}

TEST_F(ShippedFfmpegTest, SonotecasCommandLineKeepsLengthAndPitch) {
  ASSERT_TRUE(test_support::WriteWhole(In("音.pcm"), Tone()));
  // The batch's mixed separators: the input named with forward slashes.
  std::string forward = folder_ + "\\音.pcm";
  for (char& c : forward) c = c == '\\' ? '/' : c;
  const test_support::ConsoleRun run = RunFfmpeg(L"-y -f s16be -ac 2 -ar 12000 -acodec pcm_s16le -i " +
                                                 Quoted(Widen(forward)) + L" " + Quoted(In("音.mp3")));
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(0u, run.exit_code) << run.output;
  const test_support::Mp3Audio audio = test_support::DecodeMp3(folder_ + "\\音.mp3");
  EXPECT_EQ(12000, audio.sample_rate);
  EXPECT_EQ(2, audio.channels);
  EXPECT_EQ(36000, audio.frames) << "exactly 3 s";
  EXPECT_NEAR(2640, test_support::SignChanges(audio.samples), 10) << "still 440 Hz";
}

TEST_F(ShippedFfmpegTest, ARealAmrRecordingBecomesAnMp3OfItsOwnRate) {
  ASSERT_TRUE(CopyFileA(test_support::TestVoice("amr-nb.amr").c_str(), (folder_ + "\\录音.amr").c_str(), TRUE));
  const test_support::ConsoleRun run = RunFfmpeg(L"-y -i " + Quoted(In("录音.amr")) + L" " + Quoted(In("录音.mp3")));
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(0u, run.exit_code) << run.output;
  EXPECT_EQ(std::string::npos, run.output.find("rror")) << "every frame decodes: " << run.output;
  const test_support::Mp3Audio audio = test_support::DecodeMp3(folder_ + "\\录音.mp3");
  EXPECT_EQ(8000, audio.sample_rate);
  EXPECT_EQ(1, audio.channels);
  EXPECT_NEAR(test_support::TestVoiceSeconds("amr-nb.amr"), audio.seconds(), 0.05);
}

TEST_F(ShippedFfmpegTest, NothingToConvertIsAnErrorWithoutAnMp3) {
  ASSERT_TRUE(CopyFileA(test_support::TestVoice("not-silk.amr").c_str(), (folder_ + "\\文本.amr").c_str(), TRUE));
  const test_support::ConsoleRun text = RunFfmpeg(L"-y -i " + Quoted(In("文本.amr")) + L" " + Quoted(In("a.mp3")));
  const test_support::ConsoleRun missing = RunFfmpeg(L"-y -f s16be -ac 2 -ar 12000 -acodec pcm_s16le -i " +
                                                     Quoted(In("没有.pcm")) + L" " + Quoted(In("b.mp3")));
  ASSERT_TRUE(text.finished && missing.finished);
  EXPECT_NE(0u, text.exit_code);
  EXPECT_NE(0u, missing.exit_code);
  EXPECT_EQ((std::vector<std::wstring>{L"文本.amr"}), test_support::Names(Widen(folder_)));
}

}  // namespace
