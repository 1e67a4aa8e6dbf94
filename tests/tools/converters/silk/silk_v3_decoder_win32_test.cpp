// The decoder program as Sonoteca starts it (hidden, no console), on files
// with Chinese names in a folder with a space: the PCM file and nothing else
// on success; on each failure its exit code, exactly one line on stderr that
// names the file and the reason, and no output file.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/console_program.h"
#include "tests/support/test_voices.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace {

using test_support::Names;
using test_support::Quoted;
using test_support::ReadWhole;
using test_support::Utf8;
using test_support::Widen;
using test_support::WriteWhole;

// The decoder (beside sonoteca.exe) as Sonoteca starts it.
test_support::ConsoleRun RunDecoder(const std::wstring& parameters) {
  return test_support::RunConsoleProgram(test_support::ShippedProgram(L"silk_v3_decoder.exe"), parameters);
}

size_t LengthAt(const std::string& voice, size_t pos) {
  return static_cast<uint8_t>(voice[pos]) | (static_cast<uint8_t>(voice[pos + 1]) << 8);
}

class SilkDecoderProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = Widen(temp_.path()) + L"\\语音 备份";
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
  }

  // Writes `content` as `name` in the folder; returns its path.
  std::wstring Put(const std::wstring& name, const std::string& content) {
    const std::wstring path = folder_ + L"\\" + name;
    EXPECT_TRUE(WriteWhole(path, content));
    return path;
  }

  test_support::ScopedTempDir temp_;
  std::wstring folder_;
};

TEST_F(SilkDecoderProgramTest, WritesTheSamplesAndNothingElse) {
  const std::string tone = test_support::ReadAll(test_support::TestVoice("tone440.slk"));
  ASSERT_FALSE(tone.empty()) << "run the test_voices target";
  const std::wstring voice = Put(L"声音.slk", tone);
  const std::wstring pcm = folder_ + L"\\声音.pcm";

  const test_support::ConsoleRun run = RunDecoder(Quoted(voice) + L" " + Quoted(pcm));

  ASSERT_TRUE(run.finished);
  EXPECT_EQ(0u, run.exit_code);
  EXPECT_EQ("", run.output);
  const std::string samples = ReadWhole(pcm);
  EXPECT_EQ(3u * 24000 * 2, samples.size());
  EXPECT_NEAR(2640, test_support::SignChanges(samples), 10);
  EXPECT_EQ((std::vector<std::wstring>{L"声音.pcm", L"声音.slk"}), Names(folder_));
}

TEST_F(SilkDecoderProgramTest, AVoiceFileThatAnotherProgramHoldsOpenIsReadAllTheSame) {
  const std::string tone = test_support::ReadAll(test_support::TestVoice("tone440.slk"));
  ASSERT_FALSE(tone.empty()) << "run the test_voices target";
  const std::wstring voice = Put(L"同步中.slk", tone);
  // As a sync client holds a file it is writing: every kind of sharing.
  const HANDLE held = CreateFileW(voice.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  const std::wstring pcm = folder_ + L"\\同步中.pcm";
  const test_support::ConsoleRun run = RunDecoder(Quoted(voice) + L" " + Quoted(pcm));
  CloseHandle(held);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(0u, run.exit_code) << run.output;
  EXPECT_EQ(3u * 24000 * 2, ReadWhole(pcm).size());
}

TEST_F(SilkDecoderProgramTest, EachFailureHasItsExitCodeOneLineAndNoOutput) {
  const std::string tone = test_support::ReadAll(test_support::TestVoice("tone440.slk"));
  const std::string corrupt = test_support::ReadAll(test_support::TestVoice("corrupt.slk"));
  ASSERT_FALSE(tone.empty() || corrupt.empty()) << "run the test_voices target";
  // The tone with its second block overwritten: bytes the codec rejects.
  const size_t second = 9 + 2 + LengthAt(tone, 9);
  std::string damaged = tone;
  std::fill(damaged.begin() + second + 2, damaged.begin() + second + 2 + LengthAt(tone, second), '\xFF');
  const std::wstring text = Put(L"文本.amr", test_support::ReadAll(test_support::TestVoice("not-silk.amr")));
  const std::wstring amr = Put(L"录音.amr", test_support::ReadAll(test_support::TestVoice("amr-nb.amr")));

  struct Case {
    std::wstring voice;
    DWORD exit_code;
    std::string reason;
  };
  const Case cases[] = {
      {folder_ + L"\\没有.slk", 1, "cannot read the voice file: no such file or folder"},
      {folder_, 1, "cannot read the voice file: is a folder"},
      {text, 3, "not a SILK file (no #!SILK_V3 header)"},
      {amr, 3, "not a SILK file (no #!SILK_V3 header)"},
      {Put(L"头.slk", "#!SILK_V3"), 4, "no audio blocks after the header"},
      {Put(L"坏.slk", corrupt), 5,
       "damaged block at byte " + std::to_string(9 + 2 + LengthAt(corrupt, 9)) + ": an empty block"},
      {Put(L"乱.slk", damaged), 5, "damaged block at byte " + std::to_string(second) + ": the codec rejects it"},
  };
  const std::wstring pcm = folder_ + L"\\输出.pcm";
  for (const Case& c : cases) {
    const test_support::ConsoleRun run = RunDecoder(Quoted(c.voice) + L" " + Quoted(pcm));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(c.exit_code, run.exit_code) << c.reason;
    EXPECT_EQ("silk_v3_decoder: " + Utf8(c.voice) + ": " + c.reason + "\n", run.output);
  }

  const std::wstring good = Put(L"好.slk", tone);
  const std::wstring nowhere = folder_ + L"\\没有\\输出.pcm";
  const test_support::ConsoleRun no_folder = RunDecoder(Quoted(good) + L" " + Quoted(nowhere));
  const test_support::ConsoleRun onto_itself = RunDecoder(Quoted(good) + L" " + Quoted(good));
  const test_support::ConsoleRun usage = RunDecoder(Quoted(good));

  EXPECT_EQ(7u, no_folder.exit_code);
  EXPECT_EQ("silk_v3_decoder: " + Utf8(nowhere) + ": cannot write the output: its folder does not exist\n",
            no_folder.output);
  EXPECT_EQ(7u, onto_itself.exit_code);
  EXPECT_EQ("silk_v3_decoder: " + Utf8(good) + ": cannot write the output: it is the voice file itself\n",
            onto_itself.output);
  EXPECT_EQ(tone, ReadWhole(good));
  EXPECT_EQ(2u, usage.exit_code);
  EXPECT_EQ("usage: silk_v3_decoder VOICE_FILE PCM_FILE\n", usage.output);
  // No output and no temporary file was left by any of them.
  EXPECT_EQ((std::vector<std::wstring>{L"乱.slk", L"坏.slk", L"头.slk", L"好.slk", L"录音.amr", L"文本.amr"}),
            Names(folder_));
}

}  // namespace
