// The choice of the source and the single-file conversion on real windows:
// first inside this process with the program's own template and handlers
// (the drop target is reached as OLE keeps it for the path box), then in
// the real program, copied with converter stand-ins into a program folder
// whose path has a space and Chinese characters. (A drag from another
// process does not reach the program's target under Wine without a window
// manager, so the real program gets its path typed or as its argument.)
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/batch_state.h"
#include "app/window_ids.h"
#include "tests/support/app_in_process.h"
#include "tests/support/console_program.h"
#include "tests/support/program_folder.h"
#include "tests/support/test_files.h"
#include "tests/support/runtime_fixture.h"

namespace app {
namespace {

using test_support::Exists;
using test_support::ReadAll;
using test_support::Logged;

constexpr char kChooseFolder[] = "请选择MobileQQ 文件夹 或 MicroMsg 文件夹";
constexpr char kChooseFolderOrFile[] =
    "请选择MobileQQ 文件夹 或 MicroMsg 文件夹 或者 拖入单个后缀为.slk、.amr的语音文件";
constexpr char kConverted[] = "转换成功";
constexpr char kDefaultCaption[] = "信息：";

// ---------------------------------------------------------------------------
// In this process: the program's template and handlers.

using SourceSelectionTest = test_support::AppInProcessTest;

TEST_F(SourceSelectionTest, AVoiceFileIsTakenAndConvertedBesideItself) {
  const std::string voice = dir_.WriteFile("语音 备份\\甲 乙.slk", "voice");
  const std::string base = voice.substr(0, voice.size() - 4);
  EXPECT_FALSE(Enabled(kConvertOneButton));
  DropFiles({voice});
  EXPECT_EQ(voice, PathBox());
  EXPECT_TRUE(Enabled(kConvertOneButton));
  EXPECT_FALSE(Enabled(kBatchConvertButton));
  EXPECT_TRUE(Boxes().empty());

  SetWindowTextA(test_support::ControlHandle(kMainWindow, kSampleRateBox), "16000");
  Click(kConvertOneButton);
  ASSERT_EQ(1u, Boxes().size());
  EXPECT_EQ(kConverted, Boxes()[0].text);
  EXPECT_EQ(kDefaultCaption, Boxes()[0].caption);
  EXPECT_EQ((std::vector<std::string>{"\"" + d_ + "\\silk_v3_decoder.exe\" \"" + voice + "\" \"" + base +
                                      ".pcm\""}),
            Logged(Log("silk_v3_decoder"), "cmdline"));
  EXPECT_EQ((std::vector<std::string>{"\"" + d_ + "\\ffmpeg.exe\" -y -f s16be -ac 2 -ar 16000 -acodec pcm_s16le -i \"" +
                                      base + ".pcm\" \"" + base + ".mp3\""}),
            Logged(Log("ffmpeg"), "cmdline"));
  EXPECT_EQ((std::vector<std::string>{"pcm of " + voice}), Logged(Log("ffmpeg"), "input"))
      << "the encoder read what the decoder had finished";
  EXPECT_FALSE(Exists(base + ".pcm"));
  EXPECT_EQ("mp3 of [pcm of " + voice + "]", ReadAll(base + ".mp3"));
}

TEST_F(SourceSelectionTest, FoldersAndFilesSwitchTheButtons) {
  DropFiles({"D:\\phone\\voice.amr"});
  EXPECT_TRUE(Enabled(kConvertOneButton));
  EXPECT_FALSE(Enabled(kBatchConvertButton));
  DropFiles({"D:\\phone\\OldMobileQQ"});
  EXPECT_EQ("D:\\phone\\OldMobileQQ", PathBox());
  EXPECT_TRUE(Enabled(kBatchConvertButton));
  EXPECT_FALSE(Enabled(kConvertOneButton));
  DropFiles({"D:\\x\\xxMicroMsg"});
  EXPECT_EQ("D:\\x\\xxMicroMsg", PathBox());
  EXPECT_TRUE(Enabled(kBatchConvertButton));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SourceSelectionTest, RefusedDropsEmptyThePathBoxAndSaySo) {
  const std::vector<std::vector<std::string>> refused = {
      {"D:\\a.amr", "D:\\b.amr"}, {"D:\\phone\\mobileqq"}, {"D:\\x\\a.SLK"}, {"D:\\x\\a.mp3"}};
  for (const auto& names : refused) {
    SCOPED_TRACE(names[0]);
    DropFiles({"D:\\phone\\voice.amr"});
    ASSERT_EQ("D:\\phone\\voice.amr", PathBox());
    Boxes().clear();
    DropFiles(names);
    EXPECT_EQ("", PathBox());
    ASSERT_EQ(1u, Boxes().size());
    EXPECT_EQ(kChooseFolderOrFile, Boxes()[0].text);
    EXPECT_EQ(kDefaultCaption, Boxes()[0].caption);
    EXPECT_FALSE(Enabled(kConvertOneButton)) << "nothing is left to convert";
    EXPECT_FALSE(Enabled(kBatchConvertButton));
  }
}

TEST_F(SourceSelectionTest, ACancelledBrowseEmptiesThePathBoxAndSaysSo) {
  SetWindowTextA(path_, "D:\\phone\\MobileQQ");
  Click(kBrowseButton);
  EXPECT_EQ(1, BrowseDialogs());
  EXPECT_EQ("", PathBox());
  ASSERT_EQ(1u, Boxes().size());
  EXPECT_EQ(kChooseFolder, Boxes()[0].text);
  EXPECT_EQ(kDefaultCaption, Boxes()[0].caption);
  EXPECT_FALSE(Enabled(kBatchConvertButton));
}

TEST_F(SourceSelectionTest, AMissingDecoderIsNamedAndNothingElseRuns) {
  const std::string voice = dir_.WriteFile("a1.amr", "voice");
  ASSERT_TRUE(DeleteFileA((d_ + "\\silk_v3_decoder.exe").c_str()));
  DropFiles({voice});
  Click(kConvertOneButton);
  ASSERT_EQ(1u, Boxes().size());
  EXPECT_EQ("转换失败，无法启动：" + d_ + "\\silk_v3_decoder.exe", Boxes()[0].text);
  EXPECT_FALSE(Exists(Log("ffmpeg"))) << "nothing for the encoder to read";
  EXPECT_FALSE(Exists(dir_.path() + "\\a1.mp3"));
}

TEST_F(SourceSelectionTest, AConverterThatIsThereButDoesNotStartAtOnceIsTriedAgain) {
  const std::string voice = dir_.WriteFile("a1.slk", "voice");
  // Held without sharing, the program file cannot be started; it is let go
  // well before the second try.
  HANDLE held = CreateFileA((d_ + "\\silk_v3_decoder.exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  ASSERT_EQ(INVALID_HANDLE_VALUE, CreateFileA((d_ + "\\silk_v3_decoder.exe").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                              nullptr, OPEN_EXISTING, 0, nullptr))
      << "the file is not held";
  DropFiles({voice});
  // Let go a while before the second try, and noted when (the stand-ins'
  // clock): the one run there is must have begun after it.
  LARGE_INTEGER released = {};
  std::thread release([held, &released] {
    Sleep(250);
    QueryPerformanceCounter(&released);
    CloseHandle(held);
  });
  LARGE_INTEGER clicked, answered;
  QueryPerformanceCounter(&clicked);
  Click(kConvertOneButton);
  QueryPerformanceCounter(&answered);
  release.join();
  ASSERT_EQ(1u, Boxes().size());
  EXPECT_EQ(kConverted, Boxes()[0].text);
  const std::vector<std::string> begun = Logged(Log("silk_v3_decoder"), "begin");
  ASSERT_EQ(1u, begun.size()) << "one start failed, the other ran";
  EXPECT_GT(std::stoll(begun[0]), released.QuadPart) << "the run that ran was not the first try";
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  EXPECT_GE((answered.QuadPart - clicked.QuadPart) * 1000 / frequency.QuadPart, 500)
      << "a first try that failed is followed by a half-second pause";
  EXPECT_EQ(1u, Logged(Log("silk_v3_decoder"), "end").size());
  EXPECT_EQ("mp3 of [pcm of " + voice + "]", ReadAll(dir_.path() + "\\a1.mp3"));
}

TEST_F(SourceSelectionTest, AMissingEncoderIsNamedAndTheIntermediateFileRemoved) {
  const std::string voice = dir_.WriteFile("a1.slk", "voice");
  ASSERT_TRUE(DeleteFileA((d_ + "\\ffmpeg.exe").c_str()));
  DropFiles({voice});
  Click(kConvertOneButton);
  ASSERT_EQ(1u, Boxes().size());
  EXPECT_EQ("转换失败，无法启动：" + d_ + "\\ffmpeg.exe", Boxes()[0].text);
  EXPECT_EQ(1u, Logged(Log("silk_v3_decoder"), "end").size());
  EXPECT_FALSE(Exists(dir_.path() + "\\a1.pcm"));
}

TEST_F(SourceSelectionTest, AnEncoderThatMakesNothingIsReported) {
  const std::string voice = dir_.WriteFile("a1.slk", "voice");
  // The output path is a folder, so the encoder cannot write it.
  dir_.MakeDir("a1.mp3");
  DropFiles({voice});
  Click(kConvertOneButton);
  ASSERT_EQ(1u, Boxes().size());
  EXPECT_EQ("转换失败，没有生成：" + dir_.path() + "\\a1.mp3", Boxes()[0].text);
}

TEST_F(SourceSelectionTest, AnOldMp3IsNoSuccessAndIsPutBackWhenTheRunMakesNone) {
  const std::string voice = dir_.WriteFile("a1.slk", "voice");
  const std::string mp3 = dir_.path() + "\\a1.mp3";
  dir_.WriteFile("a1.mp3", "an MP3 of an earlier run");
  DropFiles({voice});
  Control("ffmpeg", "exit 1");  // it writes its output, then fails
  Click(kConvertOneButton);
  ASSERT_EQ(1u, Boxes().size());
  EXPECT_EQ("转换失败，没有生成：" + mp3, Boxes()[0].text);
  EXPECT_EQ("an MP3 of an earlier run", ReadAll(mp3));

  Control("ffmpeg", "");
  Control("silk_v3_decoder", "silent");  // exits 0 and writes nothing, as some decoders do
  Click(kConvertOneButton);
  ASSERT_EQ(2u, Boxes().size());
  EXPECT_EQ("转换失败，解码失败：" + voice, Boxes()[1].text);
  EXPECT_EQ(1u, Logged(Log("ffmpeg"), "begin").size()) << "no encoder for a decoder that made nothing";
  EXPECT_EQ("an MP3 of an earlier run", ReadAll(mp3));
  EXPECT_FALSE(Exists(mp3 + ".sonoteca-old"));

  Control("silk_v3_decoder", "");
  Click(kConvertOneButton);
  ASSERT_EQ(3u, Boxes().size());
  EXPECT_EQ(kConverted, Boxes()[2].text);
  EXPECT_EQ("mp3 of [pcm of " + voice + "]", ReadAll(mp3));
  EXPECT_FALSE(Exists(mp3 + ".sonoteca-old"));
}

// Counts the ticks of a thread timer, which fire only while the thread
// handles its messages, and whether the main window took input meanwhile.
int g_ticks = 0;
bool g_enabled_while_busy = false;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) {
  if (!Batch().single_conversion_running) return;  // the message box afterwards
  ++g_ticks;
  if (IsWindowEnabled(test_support::WindowHandle(kMainWindow))) g_enabled_while_busy = true;
}

TEST_F(SourceSelectionTest, AHungDecoderIsGivenUpWhileTheWindowKeepsAnswering) {
  const std::string voice = dir_.WriteFile("语音 备份\\a1.slk", "voice");
  const std::string pcm = voice.substr(0, voice.size() - 4) + ".pcm";
  Batch().converter_limit_ms = 1500;
  Control("silk_v3_decoder", "sleep 20000");
  DropFiles({voice});
  g_ticks = 0;
  g_enabled_while_busy = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, CountTick);
  // Another thread asks the busy window for its caption, as the system does.
  bool answered = false;
  std::thread asker([&answered] {
    Sleep(700);
    char caption[128] = {};
    DWORD_PTR result = 0;
    answered = SendMessageTimeoutA(test_support::WindowHandle(kMainWindow), WM_GETTEXT, sizeof caption,
                                   reinterpret_cast<LPARAM>(caption), SMTO_ABORTIFHUNG, 5000, &result) != 0;
  });
  Click(kConvertOneButton);
  asker.join();
  KillTimer(nullptr, timer);
  ASSERT_EQ(1u, Boxes().size());
  EXPECT_EQ("转换失败，解码超时：" + voice, Boxes()[0].text);
  EXPECT_GE(g_ticks, 3) << "messages were handled during the wait";
  EXPECT_FALSE(g_enabled_while_busy);
  EXPECT_TRUE(answered);
  EXPECT_TRUE(IsWindowEnabled(test_support::WindowHandle(kMainWindow)));
  EXPECT_FALSE(Exists(Log("ffmpeg"))) << "a half-written file is never read";
  EXPECT_FALSE(Exists(pcm));
  EXPECT_EQ((std::vector<std::wstring>{L"a1.slk"}), test_support::Names(test_support::Widen(dir_.path() + "\\语音 备份")))
      << "the decoder's temporary file went with it";
}

TEST_F(SourceSelectionTest, APressWithoutAVoiceFileStartsNothingAndSaysSo) {
  // Typed by hand: the box holds no voice file, or one that is not there.
  SetWindowTextA(path_, "");
  Click(kConvertOneButton);
  SetWindowTextA(path_, (dir_.path() + "\\不在.slk").c_str());
  Click(kConvertOneButton);
  ASSERT_EQ(2u, Boxes().size());
  EXPECT_EQ(kChooseFolderOrFile, Boxes()[0].text);
  EXPECT_EQ("找不到语音文件：" + dir_.path() + "\\不在.slk", Boxes()[1].text);
  EXPECT_FALSE(Exists(Log("silk_v3_decoder")));
}

TEST_F(SourceSelectionTest, ANameOutsideTheCodePageArrivesByItsShortFormOrIsRefused) {
  // Korean: code page 936 has no such character.
  const std::string folder = dir_.MakeDir("声音");
  std::wstring wide_folder(MAX_PATH, L'\0');
  wide_folder.resize(MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, &wide_folder[0], MAX_PATH) - 1);
  const std::wstring wide = wide_folder + L"\\\uD55C\uAE00 voice.slk";
  const HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  test_support::FileData data(std::vector<std::wstring>{wide});
  DropData(&data);
  const std::string taken = PathBox();
  if (!taken.empty()) {
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(std::string::npos, taken.find('?'));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(taken.c_str())) << taken << " names the file";
    EXPECT_TRUE(Enabled(kConvertOneButton));
  } else {
    ASSERT_EQ(1u, Boxes().size());
    EXPECT_EQ(0u, Boxes()[0].text.find("文件名含有本系统代码页无法表示的字符，请改名后再试：")) << Boxes()[0].text;
    EXPECT_FALSE(Enabled(kConvertOneButton));
  }
  // The folder's own clean-up goes by narrow names, which cannot name it.
  DeleteFileW(wide.c_str());
}

TEST_F(SourceSelectionTest, ADropOfTwentyThousandNamesIsReadOnceAndRefused) {
  std::vector<std::wstring> names;
  for (int i = 0; i < 20000; ++i) names.push_back(L"D:\\phone\\voice" + std::to_wstring(i) + L".amr");
  test_support::FileData data(names);
  DropData(&data);
  EXPECT_EQ("", PathBox());
  ASSERT_EQ(1u, Boxes().size());
  EXPECT_EQ(kChooseFolderOrFile, Boxes()[0].text);
}

// ---------------------------------------------------------------------------
// The real program, started from a copy in its own program folder.

class RealProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { d_ = MakeProgramFolder(dir_, "转换 工具", test_support::Converters::kRecording); }
  bool Start(const std::string& argument = std::string()) {
    return program_.Start(d_ + "\\sonoteca.exe", argument);
  }

  test_support::ScopedTempDir dir_;
  std::string d_;
  test_support::TestedProgram program_;
};

// The drop itself is driven in this process above; here the path is typed
// into the box, and the button, greyed until a drop, still takes the click
// message under Wine.
TEST_F(RealProgramTest, ATypedVoiceFileIsConvertedBesideItself) {
  const std::string voice = dir_.WriteFile("语音 备份\\甲 乙.slk", "voice");
  const std::string base = voice.substr(0, voice.size() - 4);
  ASSERT_TRUE(Start());
  SendMessageA(program_.path_box(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(voice.c_str()));
  program_.Click("单独转换");
  std::string caption;
  EXPECT_EQ(kConverted, program_.AnswerBox(30000, &caption));
  EXPECT_EQ(kDefaultCaption, caption);
  EXPECT_EQ((std::vector<std::string>{"\"" + d_ + "\\silk_v3_decoder.exe\" \"" + voice + "\" \"" + base +
                                      ".pcm\""}),
            Logged(d_ + "\\silk_v3_decoder.log", "cmdline"));
  EXPECT_EQ((std::vector<std::string>{"\"" + d_ + "\\ffmpeg.exe\" -y -f s16be -ac 2 -ar 12000 -acodec pcm_s16le -i \"" +
                                      base + ".pcm\" \"" + base + ".mp3\""}),
            Logged(d_ + "\\ffmpeg.log", "cmdline"));
  EXPECT_EQ((std::vector<std::string>{d_}), Logged(d_ + "\\ffmpeg.log", "cwd")) << "the program folder";
  EXPECT_FALSE(Exists(base + ".pcm"));
  EXPECT_EQ("mp3 of [pcm of " + voice + "]", ReadAll(base + ".mp3"));
}

TEST_F(RealProgramTest, ACancelledBrowseEmptiesThePathBoxAndSaysSo) {
  ASSERT_TRUE(Start());
  SendMessageA(program_.path_box(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("D:\\phone\\MobileQQ"));
  program_.Click("浏览目录");
  HWND dialog = nullptr;
  ASSERT_TRUE(test_support::WaitUntil([&] {
    dialog = FindWindowA("#32770", nullptr);
    return dialog != nullptr && FindWindowExA(dialog, nullptr, "SysTreeView32", nullptr) != nullptr;
  }));
  EXPECT_FALSE(IsWindowEnabled(program_.main())) << "the window waits for the dialog";
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  std::string caption;
  EXPECT_EQ(kChooseFolder, program_.AnswerBox(30000, &caption));
  EXPECT_EQ(kDefaultCaption, caption);
  EXPECT_EQ("", test_support::TextOf(program_.path_box()));
  EXPECT_FALSE(IsWindowEnabled(program_.Control("批量转换")));
}

TEST_F(RealProgramTest, TheArgumentIsTakenAsADropOnThePathBox) {
  const std::string voice = dir_.WriteFile("语音 备份\\甲 乙.amr", "voice");
  ASSERT_TRUE(Start(voice));
  EXPECT_EQ(voice, test_support::TextOf(program_.path_box()));
  EXPECT_TRUE(IsWindowEnabled(program_.Control("单独转换")));
  EXPECT_FALSE(IsWindowEnabled(program_.Control("批量转换")));
  EXPECT_TRUE(program_.NoBoxWithin(300));
}

TEST_F(RealProgramTest, AnArgumentThatIsNoSourceIsRefusedLikeADrop) {
  ASSERT_TRUE(Start(dir_.path() + "\\notes.txt"));
  EXPECT_EQ(kChooseFolderOrFile, program_.AnswerBox());
  EXPECT_EQ("", test_support::TextOf(program_.path_box()));
  EXPECT_FALSE(IsWindowEnabled(program_.Control("单独转换")));
}

}  // namespace
}  // namespace app
