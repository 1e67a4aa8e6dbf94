// The converter programs of the development machine, started as Windows
// processes the way the application starts them (hidden), in a folder whose
// path has a space and Chinese characters: the process handle can be waited
// on, the exit code is the Linux tool's, and the files are really converted.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/real_converters.h"
#include "tests/support/temp_dir.h"

namespace {

using test_support::SignChanges;

std::wstring Widen(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &out[0], n);
  out.resize(out.size() - 1);
  return out;
}

// The folder of platform_tests.exe; the bridges and the voice files are
// built into fixed places beside it.
std::wstring TestFolder() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self);
  return folder.substr(0, folder.rfind(L'\\'));
}

std::wstring Bridge(const wchar_t* name) {
  return TestFolder() + L"\\..\\tools\\converters\\" + name + L".exe";
}

std::wstring Voice(const wchar_t* name) { return TestFolder() + L"\\voices\\" + name; }

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

struct ProcessRun {
  bool started = false;
  bool finished = false;
  DWORD exit_code = 0;
  DWORD pid = 0;
};

// Starts the program hidden with the given parameter text and waits on its
// process handle.
ProcessRun RunProgram(const std::wstring& exe, const std::wstring& parameters) {
  ProcessRun run;
  std::wstring command = Quoted(exe) + L" " + parameters;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return run;
  }
  run.started = true;
  run.pid = process.dwProcessId;
  run.finished = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
  GetExitCodeProcess(process.hProcess, &run.exit_code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return run;
}

bool ReadWhole(const std::wstring& path, std::string* content) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  content->clear();
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) content->append(buffer, got);
  CloseHandle(file);
  return true;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The names in a folder, sorted.
std::vector<std::wstring> Names(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

// 3.000 s of 24000 Hz mono 16-bit samples.
constexpr size_t kToneBytes = 3 * 24000 * 2;
// 440 Hz for 3 s changes sign 2640 times; the codecs may shift it by a few.
constexpr int kToneChangesLow = 2630;
constexpr int kToneChangesHigh = 2650;

class ConvertersBridgeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = Widen(temp_.path()) + L"\\语音 备份";
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
  }

  // Copies a test voice file into the folder; returns its new path.
  std::wstring CopyVoice(const wchar_t* name) {
    const std::wstring target = folder_ + L"\\" + name;
    EXPECT_TRUE(CopyFileW(Voice(name).c_str(), target.c_str(), TRUE)) << "run the test_voices target";
    return target;
  }

  test_support::ScopedTempDir temp_;
  std::wstring folder_;
};

TEST_F(ConvertersBridgeTest, DecoderWritesTheToneAndExitsWithZero) {
  const std::wstring voice = CopyVoice(L"tone440.slk");
  const std::wstring pcm = folder_ + L"\\tone440.pcm";

  const ProcessRun run = RunProgram(Bridge(L"silk_v3_decoder"), Quoted(voice) + L" " + Quoted(pcm));

  ASSERT_TRUE(run.started);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(0u, run.exit_code);
  std::string samples;
  ASSERT_TRUE(ReadWhole(pcm, &samples));
  EXPECT_EQ(kToneBytes, samples.size());
  const int changes = SignChanges(samples);
  EXPECT_GE(changes, kToneChangesLow);
  EXPECT_LE(changes, kToneChangesHigh);
  // Nothing else was written beside the output, and the bridge left no
  // handshake folder behind.
  EXPECT_EQ((std::vector<std::wstring>{L"tone440.pcm", L"tone440.slk"}), Names(folder_));
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  EXPECT_FALSE(Exists(std::wstring(temp) + L"sonoteca-bridge-" + std::to_wstring(run.pid) + L"-0"));
}

TEST_F(ConvertersBridgeTest, DecoderFailsWithoutOutputForFilesThatAreNotSilk) {
  const std::wstring corrupt = CopyVoice(L"corrupt.slk");
  const std::wstring text = CopyVoice(L"not-silk.amr");
  const std::wstring decoder = Bridge(L"silk_v3_decoder");

  const ProcessRun truncated = RunProgram(decoder, Quoted(corrupt) + L" " + Quoted(folder_ + L"\\a.pcm"));
  const ProcessRun no_header = RunProgram(decoder, Quoted(text) + L" " + Quoted(folder_ + L"\\b.pcm"));
  const ProcessRun missing = RunProgram(decoder, Quoted(folder_ + L"\\missing.slk") + L" " +
                                              Quoted(folder_ + L"\\c.pcm"));

  ASSERT_TRUE(truncated.finished);
  ASSERT_TRUE(no_header.finished);
  ASSERT_TRUE(missing.finished);
  EXPECT_EQ(1u, truncated.exit_code);
  EXPECT_EQ(1u, no_header.exit_code);
  EXPECT_EQ(1u, missing.exit_code);
  EXPECT_EQ((std::vector<std::wstring>{L"corrupt.slk", L"not-silk.amr"}), Names(folder_));
}

TEST_F(ConvertersBridgeTest, DecoderFailsForAnOutputFolderThatDoesNotExist) {
  const std::wstring voice = CopyVoice(L"tone440.slk");

  const ProcessRun run = RunProgram(Bridge(L"silk_v3_decoder"),
                             Quoted(voice) + L" " + Quoted(folder_ + L"\\out\\tone440.pcm"));

  ASSERT_TRUE(run.finished);
  EXPECT_EQ(1u, run.exit_code);
  EXPECT_EQ((std::vector<std::wstring>{L"tone440.slk"}), Names(folder_));
}

TEST_F(ConvertersBridgeTest, EncoderMakesAnMp3OfTheRightLengthAndPitch) {
  // The decoder's output, written here, read by the options the application
  // gives the encoder, with the mixed separators of its batch form.
  std::string tone;
  ASSERT_TRUE(RunProgram(Bridge(L"silk_v3_decoder"),
                         Quoted(CopyVoice(L"tone440.slk")) + L" " + Quoted(folder_ + L"\\a.pcm"))
                  .finished);
  ASSERT_TRUE(ReadWhole(folder_ + L"\\a.pcm", &tone));
  ASSERT_EQ(kToneBytes, tone.size());
  const std::wstring ffmpeg = Bridge(L"ffmpeg");
  const std::wstring mp3 = folder_ + L"\\a.mp3";

  const ProcessRun encode = RunProgram(ffmpeg, L"-y -f s16be -ac 2 -ar 12000 -acodec pcm_s16le -i " +
                                            Quoted(Widen(temp_.path()) + L"/语音 备份/a.pcm") +
                                            L" " + Quoted(mp3));
  // The MP3 decoded back to the decoder's format tells its length and pitch.
  const ProcessRun decode_back = RunProgram(ffmpeg, L"-y -i " + Quoted(mp3) +
                                                 L" -f s16le -ac 1 -ar 24000 " +
                                                 Quoted(folder_ + L"\\back.pcm"));

  ASSERT_TRUE(encode.finished);
  EXPECT_EQ(0u, encode.exit_code);
  std::string mp3_bytes;
  ASSERT_TRUE(ReadWhole(mp3, &mp3_bytes));
  ASSERT_GE(mp3_bytes.size(), 3u);
  EXPECT_EQ("ID3", mp3_bytes.substr(0, 3));
  ASSERT_TRUE(decode_back.finished);
  EXPECT_EQ(0u, decode_back.exit_code);
  std::string back;
  ASSERT_TRUE(ReadWhole(folder_ + L"\\back.pcm", &back));
  EXPECT_EQ(kToneBytes, back.size());
  const int changes = SignChanges(back);
  EXPECT_GE(changes, kToneChangesLow);
  EXPECT_LE(changes, kToneChangesHigh);
}

TEST_F(ConvertersBridgeTest, EncoderExitCodeIsNonzeroForAMissingInput) {
  const std::wstring mp3 = folder_ + L"\\a.mp3";

  const ProcessRun run = RunProgram(Bridge(L"ffmpeg"), L"-y -f s16be -ac 2 -ar 12000 -acodec pcm_s16le -i " +
                                                    Quoted(folder_ + L"\\missing.pcm") + L" " +
                                                    Quoted(mp3));

  ASSERT_TRUE(run.finished);
  EXPECT_NE(0u, run.exit_code);
  EXPECT_FALSE(Exists(mp3));
}

}  // namespace
