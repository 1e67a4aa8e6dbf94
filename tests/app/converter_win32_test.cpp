// The converters started for real: stand-ins named like the two programs
// record what they were given, so the tests see the exact command lines, the
// order of the stages and the window each started with.
#include "app/converter.h"
#include "app/file_conversion.h"
#include "app/runtime_access.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/commands/shell_commands.h"
#include "runtime/commands/system_commands.h"
#include "runtime/commands/system_rules.h"
#include "runtime/core/foreign_functions.h"
#include "runtime/core/heap.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/thread_stop.h"
#include "runtime/core/values.h"
#include "tests/support/temp_dir.h"

namespace app {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// One run of a stand-in as its log records it.
struct StandinRun {
  std::map<std::string, std::string> fields;
  std::vector<std::string> args;
  const std::string& operator[](const std::string& key) { return fields[key]; }
};

std::vector<StandinRun> ReadLog(const std::string& path) {
  std::vector<StandinRun> runs;
  std::istringstream in(ReadAll(path));
  std::string line;
  while (std::getline(in, line)) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq);
    const std::string value = line.substr(eq + 1);
    if (key == "begin") runs.emplace_back();
    if (runs.empty()) continue;
    if (key.size() > 3 && key.compare(0, 3, "arg") == 0 && key != "argc") {
      runs.back().args.push_back(value);
    } else {
      runs.back().fields[key] = value;
    }
  }
  return runs;
}

std::string StandinFolder() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string folder(self);
  return folder.substr(0, folder.rfind('\\')) + "\\standins";
}

// A converter run to its end, as the conversions drive it.
struct ConverterRun {
  bool started = false;  // a program was started
  bool ended = false;    // it ended within the limit
  uint32_t exit_code = 0;
};

ConverterRun RunConverter(const char* executable, const char* parameters, uint32_t limit_ms = 60000) {
  ConverterRun run;
  int32_t handle = 0;
  const ProgramStart started = StartProgram(executable, parameters, &handle);
  run.started = started != ProgramStart::kNotStarted;
  if (started != ProgramStart::kStarted) return run;
  run.ended = WaitForAny({handle}, limit_ms) == 0 && ProgramExitCode(handle, &run.exit_code);
  CloseProgram(handle);
  return run;
}

const char* const kForeignLibraries[] = {"kernel32.dll", "kernel32.dll", "kernel32.dll"};
const char* const kForeignFunctions[] = {"OpenProcess", "TerminateProcess", "CloseHandle"};

// A program folder with both stand-ins in it, made the current directory as
// start-up makes it.
class ConverterTest : public ::testing::Test {
 protected:
  void SetUp() override { UseProgramFolder(dir_.path()); }
  void TearDown() override { SetCurrentDirectoryA(previous_); }

  void UseProgramFolder(const std::string& d) {
    if (previous_[0] == '\0') GetCurrentDirectoryA(MAX_PATH, previous_);
    d_ = d;
    CreateDirectoryA(d_.c_str(), nullptr);
    for (const char* exe : {"silk_v3_decoder.exe", "ffmpeg.exe"}) {
      ASSERT_TRUE(CopyFileA((StandinFolder() + "\\" + exe).c_str(), (d_ + "\\" + exe).c_str(), FALSE))
          << exe;
    }
    rt::Runtime().program_directory = d_;
    ASSERT_TRUE(SetCurrentDirectoryA(d_.c_str()));
    rt::InitialiseForeignFunctions(kForeignLibraries, kForeignFunctions, 3);
  }
  void Control(const char* program, const std::string& text) {
    std::ofstream(d_ + "\\" + program + ".control") << text;
  }
  std::vector<StandinRun> Log(const char* program) {
    return ReadLog(d_ + "\\" + program + ".log");
  }

  test_support::ScopedTempDir dir_;
  std::string d_;
  char previous_[MAX_PATH] = {};
};

TEST_F(ConverterTest, SingleFileFormGivesTheExactParametersAndWaitsForEachStage) {
  const std::string p = dir_.WriteFile("bak\\a1.slk", "voice");
  const std::string base = p.substr(0, p.size() - 4);
  Control("silk_v3_decoder", "sleep 400");  // the encoder must still see all of it
  const ConverterRun decoded = RunConverter(DecoderPath(d_).c_str(), SingleDecoderParameters(p, base).c_str());
  const ConverterRun encoded =
      RunConverter(EncoderPath(d_).c_str(), SingleEncoderParameters("12000", base).c_str());
  EXPECT_TRUE(decoded.started && decoded.ended);
  EXPECT_TRUE(encoded.started && encoded.ended);
  EXPECT_EQ(0u, decoded.exit_code);

  std::vector<StandinRun> dec = Log("silk_v3_decoder");
  std::vector<StandinRun> enc = Log("ffmpeg");
  ASSERT_EQ(1u, dec.size());
  ASSERT_EQ(1u, enc.size());
  // The shell puts the executable in quotes before the parameters.
  EXPECT_EQ("\"" + DecoderPath(d_) + "\" " + p + " " + base + ".pcm", dec[0]["cmdline"]);
  EXPECT_EQ("\"" + EncoderPath(d_) + "\" -y -f s16be -ac 2 -ar 12000 -acodec pcm_s16le -i " + base +
                ".pcm " + base + ".mp3",
            enc[0]["cmdline"]);
  EXPECT_EQ((std::vector<std::string>{p, base + ".pcm"}), dec[0].args);
  EXPECT_EQ(d_, dec[0]["cwd"]);
  EXPECT_EQ(d_, enc[0]["cwd"]);
  EXPECT_LT(std::stoll(dec[0]["end"]), std::stoll(enc[0]["begin"])) << "the encoder started too early";
  EXPECT_EQ("pcm of " + p, enc[0]["input"]);
  EXPECT_EQ("mp3 of [pcm of " + p + "]", ReadAll(base + ".mp3"));
}

TEST_F(ConverterTest, BatchFormGivesTheExactParameters) {
  CreateDirectoryA((d_ + "\\out").c_str(), nullptr);
  CreateDirectoryA((d_ + "\\out\\888").c_str(), nullptr);
  const std::string p = dir_.WriteFile("bak\\a1.slk", "voice");
  EXPECT_TRUE(RunConverter(DecoderPath(d_).c_str(), BatchDecoderParameters(p, d_, "a1").c_str()).ended);
  EXPECT_TRUE(
      RunConverter(EncoderPath(d_).c_str(), BatchEncoderParameters("12000", d_, "888", "a1").c_str())
          .ended);
  std::vector<StandinRun> dec = Log("silk_v3_decoder");
  std::vector<StandinRun> enc = Log("ffmpeg");
  ASSERT_EQ(1u, dec.size());
  ASSERT_EQ(1u, enc.size());
  EXPECT_EQ("\"" + DecoderPath(d_) + "\" " + p + " " + d_ + "\\out\\a1.pcm", dec[0]["cmdline"]);
  EXPECT_EQ("\"" + EncoderPath(d_) + "\" -y -f s16be -ac 2 -ar 12000 -acodec pcm_s16le -i " + d_ +
                "/out/a1.pcm " + d_ + "\\out\\888\\a1.mp3",
            enc[0]["cmdline"]);
  EXPECT_EQ("pcm of " + p, enc[0]["input"]) << "the forward-slash path names the same file";
  EXPECT_EQ("mp3 of [pcm of " + p + "]", ReadAll(d_ + "\\out\\888\\a1.mp3"));
}

TEST_F(ConverterTest, PathsWithSpacesAndChineseArriveIntact) {
  UseProgramFolder(dir_.path() + "\\转换 工具");
  CreateDirectoryA((d_ + "\\out").c_str(), nullptr);
  CreateDirectoryA((d_ + "\\out\\帐号 1").c_str(), nullptr);
  const std::string p = dir_.WriteFile("语音 备份\\甲 乙.slk", "voice");
  const std::string base = p.substr(0, p.size() - 4);
  ASSERT_TRUE(RunConverter(DecoderPath(d_).c_str(), SingleDecoderParameters(p, base).c_str()).ended);
  ASSERT_TRUE(RunConverter(EncoderPath(d_).c_str(), SingleEncoderParameters("16000", base).c_str()).ended);
  ASSERT_TRUE(RunConverter(DecoderPath(d_).c_str(), BatchDecoderParameters(p, d_, "甲 乙").c_str()).ended);
  ASSERT_TRUE(RunConverter(EncoderPath(d_).c_str(),
                           BatchEncoderParameters("16000", d_, "帐号 1", "甲 乙").c_str())
                  .ended);
  std::vector<StandinRun> dec = Log("silk_v3_decoder");
  std::vector<StandinRun> enc = Log("ffmpeg");
  ASSERT_EQ(2u, dec.size());
  ASSERT_EQ(2u, enc.size());
  EXPECT_EQ((std::vector<std::string>{p, base + ".pcm"}), dec[0].args);
  EXPECT_EQ((std::vector<std::string>{"-y", "-f", "s16be", "-ac", "2", "-ar", "16000", "-acodec",
                                      "pcm_s16le", "-i", base + ".pcm", base + ".mp3"}),
            enc[0].args);
  EXPECT_EQ((std::vector<std::string>{p, d_ + "\\out\\甲 乙.pcm"}), dec[1].args);
  EXPECT_EQ((std::vector<std::string>{"-y", "-f", "s16be", "-ac", "2", "-ar", "16000", "-acodec",
                                      "pcm_s16le", "-i", d_ + "/out/甲 乙.pcm",
                                      d_ + "\\out\\帐号 1\\甲 乙.mp3"}),
            enc[1].args);
  EXPECT_EQ(d_, dec[0]["cwd"]);
  EXPECT_EQ("mp3 of [pcm of " + p + "]", ReadAll(base + ".mp3"));
  EXPECT_EQ("mp3 of [pcm of " + p + "]", ReadAll(d_ + "\\out\\帐号 1\\甲 乙.mp3"));
}

TEST_F(ConverterTest, StartsHiddenAndReportsTheExitCode) {
  Control("ffmpeg", "exit 3");
  const ConverterRun run = RunConverter(EncoderPath(d_).c_str(), "-i x y");
  EXPECT_TRUE(run.started);
  EXPECT_TRUE(run.ended);
  EXPECT_EQ(3u, run.exit_code);
  std::vector<StandinRun> enc = Log("ffmpeg");
  ASSERT_EQ(1u, enc.size());
  EXPECT_EQ("0", enc[0]["show"]) << "SW_HIDE";
  EXPECT_EQ("0", enc[0]["visible"]);
}

TEST_F(ConverterTest, AMissingProgramIsNotStarted) {
  const ConverterRun run = RunConverter((d_ + "\\missing.exe").c_str(), "a b");
  EXPECT_FALSE(run.started);
  EXPECT_FALSE(run.ended);
}

TEST_F(ConverterTest, AHangingProgramIsGivenUpAtTheLimit) {
  Control("silk_v3_decoder", "sleep 6000");
  const ConverterRun run = RunConverter(DecoderPath(d_).c_str(), "a.slk a.pcm", 1500);
  EXPECT_TRUE(run.started);
  EXPECT_FALSE(run.ended);
  // It is left running; end it so that the folder can be removed. Only this
  // test's own: another test may be running a decoder of the same name.
  int32_t id = -1;
  const rt::ArgValue list = rt::CallLibraryCommand(rt::ListProcesses, 0, nullptr);
  void* block = reinterpret_cast<void*>(list.AsAddress());
  ASSERT_NE(nullptr, block);
  auto* const* records = static_cast<rt::ProcessRecord* const*>(rt::ArrayElements(block));
  for (uint32_t i = 0; i < rt::ArrayElementCount(block); ++i) {
    const char* name = records[i]->executable_name;
    if (records[i]->parent_process_id == static_cast<int32_t>(GetCurrentProcessId()) && name != nullptr &&
        std::string(name) == "silk_v3_decoder.exe") {
      id = records[i]->process_id;
    }
  }
  rt::FreeProcessArray(block);
  ASSERT_NE(-1, id);
  EXPECT_TRUE(TerminateProcessById(id));
}

// A conversion on a worker that is cut off between its decoder's end and
// its encoder's start: the rate is read there, and this reader returns only
// once a stop has been asked for, so the worker ends at the first safe point
// of the encoder's stage, before anything is set aside.
std::atomic<bool> g_reading_rate{false};
std::string RateUntilStopped() {
  g_reading_rate = true;
  while (!rt::StopRequested()) Sleep(1);
  return "12000";
}

DWORD WINAPI ConvertOnWorker(void* parameter) {
  auto* conversion = static_cast<FileConversion*>(parameter);
  conversion->Start();
  while (!conversion->done()) WaitAndAdvance({conversion}, 0);
  return 0;
}

TEST_F(ConverterTest, AConversionCutOffBeforeItsEncoderStartedLeavesTheUsersMp3) {
  const std::string voice = dir_.WriteFile("bak\\a.slk", "voice");
  const std::string mp3 = dir_.WriteFile("bak\\a.mp3", "the user's a");
  FileConversion conversion(PlanSingleFile(voice.c_str(), d_.c_str()), {30000, 500, RateUntilStopped});
  g_reading_rate = false;
  const uintptr_t worker =
      rt::StartWorkerThread(reinterpret_cast<uintptr_t>(&ConvertOnWorker), reinterpret_cast<uintptr_t>(&conversion));
  ASSERT_NE(0u, worker);
  for (int i = 0; i < 500 && !g_reading_rate; ++i) Sleep(20);
  ASSERT_TRUE(g_reading_rate) << "the decoder ended and the rate is being read";
  EXPECT_TRUE(rt::StopThread(worker));
  CloseHandle(reinterpret_cast<HANDLE>(worker));
  ASSERT_FALSE(conversion.done()) << "cut off in the middle";
  conversion.AbandonWithoutHandle();
  EXPECT_EQ("the user's a", ReadAll(mp3)) << "an MP3 this run did not make stays";
  EXPECT_TRUE(Log("ffmpeg").empty()) << "no encoder was started";
}

// The programs looked up bear a name that is this test process's own, so
// that no program of another test (or one left by a test that was killed)
// can be taken for them.
class ProcessLookupTest : public ConverterTest {
 protected:
  void SetUp() override {
    ConverterTest::SetUp();
    name_ = "lookup-" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CopyFileA(EncoderPath(d_).c_str(), (d_ + "\\" + name_ + ".exe").c_str(), FALSE));
  }
  DWORD StartEncoder(HANDLE* process) {
    std::string command = "\"" + d_ + "\\" + name_ + ".exe\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      return 0;
    }
    CloseHandle(pi.hThread);
    *process = pi.hProcess;
    return pi.dwProcessId;
  }
  std::string name_;
};

TEST_F(ProcessLookupTest, FindsTheFirstExactNameAndTerminatesIt) {
  Control(name_.c_str(), "sleep 20000");
  const std::string exe = name_ + ".exe";
  HANDLE first = nullptr, second = nullptr;
  const DWORD id1 = StartEncoder(&first);
  const DWORD id2 = StartEncoder(&second);
  ASSERT_NE(0u, id1);
  ASSERT_NE(0u, id2);
  // The first of the two in the platform's own order.
  const rt::ArgValue list = rt::CallLibraryCommand(rt::ListProcesses, 0, nullptr);
  void* block = reinterpret_cast<void*>(list.AsAddress());
  ASSERT_NE(nullptr, block);
  auto* const* records = static_cast<rt::ProcessRecord* const*>(rt::ArrayElements(block));
  int32_t expected = -1;
  bool self_seen = false;
  for (uint32_t i = 0; i < rt::ArrayElementCount(block); ++i) {
    const char* name = records[i]->executable_name;
    if (records[i]->process_id == static_cast<int32_t>(GetCurrentProcessId())) {
      self_seen = true;
      EXPECT_STREQ("platform_tests.exe", name);
      EXPECT_GT(records[i]->thread_count, 0);
    }
    if (expected == -1 && name != nullptr && name == exe) {
      expected = records[i]->process_id;
    }
  }
  rt::FreeProcessArray(block);
  EXPECT_TRUE(self_seen);
  ASSERT_TRUE(expected == static_cast<int32_t>(id1) || expected == static_cast<int32_t>(id2));

  std::string upper = exe;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(expected, FindProcessIdByName(exe.c_str()));
  EXPECT_EQ(-1, FindProcessIdByName(upper.c_str())) << "case-sensitive";
  EXPECT_EQ(-1, FindProcessIdByName(name_.c_str())) << "whole names only";
  EXPECT_EQ(-1, FindProcessIdByName("Console Window Host"));
  TerminateConsoleHost();  // nothing bears that name: nothing happens

  EXPECT_TRUE(TerminateProcessById(static_cast<int32_t>(id1)));
  EXPECT_TRUE(TerminateProcessById(static_cast<int32_t>(id2)));
  for (HANDLE h : {first, second}) {
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h, 5000));
    DWORD code = 1;
    GetExitCodeProcess(h, &code);
    EXPECT_EQ(0u, code) << "terminated with exit code 0";
    CloseHandle(h);
  }
  EXPECT_FALSE(TerminateProcessById(-1));
  EXPECT_EQ(-1, FindProcessIdByName(exe.c_str()));
}

}  // namespace
}  // namespace app
