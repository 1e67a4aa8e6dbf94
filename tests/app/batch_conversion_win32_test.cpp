// The batch on the real program: the account list, the collection of an
// account's voice files and the worker, driven from outside with the
// recording stand-ins in the program folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/console_program.h"
#include "tests/support/process_watch.h"
#include "tests/support/program_folder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace app {
namespace {

using test_support::Exists;
using test_support::ReadAll;
using test_support::Logged;

using test_support::Converters;
using test_support::TestedProgram;
using test_support::WaitUntil;

constexpr char kRestCaption[] = "Sonoteca[支持QQ、微信]";

class BatchTest : public ::testing::Test {
 protected:
  void SetUp() override { d_ = MakeProgramFolder(dir_, "转换 工具", Converters::kRecording); }
  void TearDown() override { EndOwnConverters(); }

  // A stand-in told to sleep may outlive a program that failed a test; only
  // this test's own are ended.
  void EndOwnConverters() const {
    for (DWORD id : program_.RunningChildren()) {
      if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
        TerminateProcess(p, 0);
        WaitForSingleObject(p, 2000);
        CloseHandle(p);
      }
    }
  }

  bool Start(const std::string& folder, const std::vector<std::string>& environment = {}) {
    return program_.Start(d_ + "\\sonoteca.exe", folder, environment);
  }
  void Control(const char* program, const std::string& text) const {
    std::ofstream(d_ + "\\" + program + ".control") << text;
  }
  std::string Log(const char* program) const { return d_ + "\\" + program + ".log"; }
  // Presses the batch button; true once the list window shows and `count` accounts are listed.
  bool List(size_t count) {
    program_.Click("批量转换");
    return WaitUntil([&] { return IsWindowVisible(program_.list_window()) && program_.Accounts().size() == count; },
                     10000);
  }
  std::string Out(const std::string& account) const { return d_ + "\\out\\" + account; }

  // One QQ voice file, a.slk, whose earlier MP3 holds `earlier`, converted
  // with the encoder told `order`: true once that MP3 has been set aside.
  bool EncodeOverAnEarlierMp3(const std::string& earlier, const std::string& order) {
    qq_ = dir_.MakeDir("MobileQQ");
    voice_ = dir_.WriteFile("MobileQQ\\10001\\ptt\\a.slk", "v");
    mp3_ = dir_.WriteFile("转换 工具\\out\\10001\\a.mp3", earlier);
    Control("ffmpeg", order);
    if (!Start(qq_) || !List(1)) return false;
    program_.DoubleClickAccount(0);
    return WaitUntil([&] { return Exists(mp3_ + ".sonoteca-old"); }, 10000);
  }
  std::string qq_, voice_, mp3_;

  test_support::ScopedTempDir dir_;
  std::string d_;
  TestedProgram program_;
};

TEST_F(BatchTest, QqAccountsAreFoldersOfDigitsOnlyAndEachPressListsAfresh) {
  const std::string qq = dir_.MakeDir("备份\\MobileQQ");
  for (const char* folder : {"12345678", "cache", ".12345", "123a", "一二三", "2469135"}) {
    dir_.MakeDir(std::string("备份\\MobileQQ\\") + folder);
  }
  dir_.WriteFile("备份\\MobileQQ\\99999", "a plain file");
  ASSERT_TRUE(Start(qq));
  ASSERT_TRUE(List(2));
  std::vector<std::string> accounts = program_.Accounts();
  std::sort(accounts.begin(), accounts.end());
  EXPECT_EQ((std::vector<std::string>{"12345678", "2469135"}), accounts);
  EXPECT_FALSE(IsWindowEnabled(program_.main())) << "the main window waits for the list";
  EXPECT_TRUE(IsWindowEnabled(program_.list_window()));

  // Closed and pressed again: the same two, not four.
  PostMessageA(program_.list_window(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(program_.list_window()); }));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(program_.main()) != FALSE; }));
  ASSERT_TRUE(List(2));
  EXPECT_TRUE(program_.NoBoxWithin(300));
}

TEST_F(BatchTest, WeChatAccountsHaveTwentyBytesOrMoreAndAMissingFolderListsNothing) {
  const std::string wx = dir_.MakeDir("备份\\MicroMsg");
  const std::vector<std::string> folders = {"0123456789abcdef0123456789abcdef", "a1b2c3d4e5f6a7b8c9d0",
                                            "a1b2c3d4e5f6a7b8c9d", "微信帐号一二三四五六", "CheckResUpdate"};
  for (const std::string& folder : folders) dir_.MakeDir("备份\\MicroMsg\\" + folder);
  ASSERT_TRUE(Start(wx));
  ASSERT_TRUE(List(3));
  std::vector<std::string> accounts = program_.Accounts();
  std::sort(accounts.begin(), accounts.end());
  std::vector<std::string> expected = {folders[0], folders[1], folders[3]};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(expected, accounts);

  PostMessageA(program_.list_window(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(program_.main()) != FALSE; }));
  SendMessageA(program_.path_box(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>((dir_.path() + "\\无\\MicroMsg").c_str()));
  ASSERT_TRUE(List(0));
  EXPECT_TRUE(IsWindowVisible(program_.list_window())) << "shown all the same";
  EXPECT_TRUE(program_.NoBoxWithin(300));
}

TEST_F(BatchTest, AQqAccountBecomesMp3sWithTheExactCommandLinesAndNothingLeftBehind) {
  const std::string qq = dir_.MakeDir("备份 甲\\MobileQQ");
  dir_.WriteFile("备份 甲\\MobileQQ\\10001\\ptt\\a1.slk", "voice a");
  dir_.WriteFile("备份 甲\\MobileQQ\\10001\\ptt\\语音 二.slk", "voice b");
  dir_.WriteFile("备份 甲\\MobileQQ\\10001\\ptt\\c.amr", "not on the QQ side");
  dir_.MakeDir("备份 甲\\MobileQQ\\10001\\ptt\\x.slk");  // a folder named like a voice file
  dir_.WriteFile("转换 工具\\out\\stale.pcm", "");
  ASSERT_TRUE(Start(qq));
  ASSERT_TRUE(List(1));
  program_.DoubleClickAccount(0);
  std::string caption;
  EXPECT_EQ("转换成功", program_.AnswerBox(30000, &caption));
  EXPECT_EQ("信息：", caption);

  const std::string ptt = qq + "\\10001\\ptt\\";
  std::vector<std::string> decoded = Logged(Log("silk_v3_decoder"), "cmdline");
  std::vector<std::string> encoded = Logged(Log("ffmpeg"), "cmdline");
  std::sort(decoded.begin(), decoded.end());
  std::sort(encoded.begin(), encoded.end());
  const std::string dec = "\"" + d_ + "\\silk_v3_decoder.exe\" ";
  const std::string enc = "\"" + d_ + "\\ffmpeg.exe\" -y -f s16be -ac 2 -ar 12000 -acodec pcm_s16le -i ";
  EXPECT_EQ((std::vector<std::string>{dec + "\"" + ptt + "a1.slk\" \"" + d_ + "\\out\\a1.pcm\"",
                                      dec + "\"" + ptt + "语音 二.slk\" \"" + d_ + "\\out\\语音 二.pcm\""}),
            decoded);
  EXPECT_EQ((std::vector<std::string>{enc + "\"" + d_ + "/out/a1.pcm\" \"" + Out("10001") + "\\a1.mp3\"",
                                      enc + "\"" + d_ + "/out/语音 二.pcm\" \"" + Out("10001") + "\\语音 二.mp3\""}),
            encoded);
  EXPECT_EQ("mp3 of [pcm of " + ptt + "a1.slk]", ReadAll(Out("10001") + "\\a1.mp3"));
  EXPECT_EQ("mp3 of [pcm of " + ptt + "语音 二.slk]", ReadAll(Out("10001") + "\\语音 二.mp3"));
  const std::vector<std::string> pcm = test_support::FilesBelow(d_ + "\\out", ".pcm");
  EXPECT_TRUE(pcm.empty()) << pcm.front();
  EXPECT_FALSE(Exists(Out("10001") + "\\转换失败.txt"));
  EXPECT_TRUE(IsWindowEnabled(program_.Control("停止")));
  EXPECT_TRUE(WaitUntil([&] { return test_support::TextOf(program_.main()) == kRestCaption; }));
}

TEST_F(BatchTest, WeChatFilesComeFromTwoLevelsDownAndSameNamesKeepBothMp3s) {
  const std::string account = "0123456789abcdef0123456789abcdef";
  const std::string wx = dir_.MakeDir("MicroMsg");
  const std::string voice2 = "MicroMsg\\" + account + "\\voice2\\";
  dir_.WriteFile(voice2 + "top.amr", "one level too high");
  dir_.WriteFile(voice2 + "1a\\mid.amr", "one level too high");
  dir_.WriteFile(voice2 + "1a\\2b\\msg.amr", "first");
  dir_.WriteFile(voice2 + "3c\\4d\\MSG.amr", "second");
  dir_.WriteFile(voice2 + "3c\\4d\\5e\\deep.amr", "one level too deep");
  ASSERT_TRUE(Start(wx));
  ASSERT_TRUE(List(1));
  program_.DoubleClickAccount(0);
  EXPECT_EQ("转换成功", program_.AnswerBox());
  EXPECT_EQ(2u, Logged(Log("silk_v3_decoder"), "cmdline").size());
  std::vector<std::string> mp3 = test_support::FilesBelow(Out(account), ".mp3");
  std::sort(mp3.begin(), mp3.end());
  // Which of the two keeps the name depends on the order the folders are read in.
  ASSERT_EQ((std::vector<std::string>{Out(account) + "\\MSG_2.mp3", Out(account) + "\\msg.mp3"}), mp3);
  const std::string a = ReadAll(mp3[0]);
  const std::string b = ReadAll(mp3[1]);
  EXPECT_NE(a, b);
  EXPECT_TRUE(a.find("msg.amr") != std::string::npos || a.find("MSG.amr") != std::string::npos);
}

TEST_F(BatchTest, FailuresAreCountedNamedAndListedAndARunWithoutThemRemovesTheList) {
  const std::string qq = dir_.MakeDir("MobileQQ");
  dir_.WriteFile("MobileQQ\\10001\\ptt\\a.slk", "a");
  dir_.WriteFile("MobileQQ\\10001\\ptt\\b.slk", "b");
  dir_.WriteFile("转换 工具\\out\\10001\\a.mp3", "an MP3 of an earlier run");
  Control("silk_v3_decoder", "silent");  // exits 0 and writes nothing
  ASSERT_TRUE(Start(qq));
  ASSERT_TRUE(List(1));
  program_.DoubleClickAccount(0);
  const std::string list = Out("10001") + "\\转换失败.txt";
  const std::string ptt = qq + "\\10001\\ptt\\";
  const std::string message = program_.AnswerBox();
  EXPECT_EQ(0u, message.find("转换完成：成功 0 个，失败 2 个。\r\n")) << message;
  EXPECT_NE(std::string::npos, message.find(ptt + "a.slk：解码失败")) << message;
  EXPECT_NE(std::string::npos, message.find("\r\n失败列表：" + list)) << message;
  const std::string listed = ReadAll(list);
  EXPECT_TRUE(listed == ptt + "a.slk：解码失败\r\n" + ptt + "b.slk：解码失败\r\n" ||
              listed == ptt + "b.slk：解码失败\r\n" + ptt + "a.slk：解码失败\r\n")
      << listed;
  EXPECT_TRUE(Logged(Log("ffmpeg"), "cmdline").empty()) << "nothing for the encoder";
  EXPECT_EQ("an MP3 of an earlier run", ReadAll(Out("10001") + "\\a.mp3")) << "kept, and no success";

  Control("silk_v3_decoder", "");
  ASSERT_TRUE(List(1));
  program_.DoubleClickAccount(0);
  EXPECT_EQ("转换成功", program_.AnswerBox());
  EXPECT_FALSE(Exists(list));
  EXPECT_EQ("mp3 of [pcm of " + ptt + "a.slk]", ReadAll(Out("10001") + "\\a.mp3"));
}

TEST_F(BatchTest, AnAccountWithoutVoiceFilesSaysWhereItLooked) {
  const std::string qq = dir_.MakeDir("MobileQQ");
  dir_.MakeDir("MobileQQ\\10001\\ptt");
  ASSERT_TRUE(Start(qq));
  ASSERT_TRUE(List(1));
  program_.DoubleClickAccount(0);
  EXPECT_EQ("没有找到语音文件：" + qq + "\\10001\\ptt", program_.AnswerBox());
  EXPECT_FALSE(Exists(Log("silk_v3_decoder")));
}

TEST_F(BatchTest, AnOutputFolderThatCannotBeMadeIsNamedAndNothingStarts) {
  const std::string qq = dir_.MakeDir("MobileQQ");
  dir_.WriteFile("MobileQQ\\10001\\ptt\\a.slk", "a");
  dir_.WriteFile("转换 工具\\out", "a file where the folder should be");
  ASSERT_TRUE(Start(qq));
  ASSERT_TRUE(List(1));
  program_.DoubleClickAccount(0);
  EXPECT_EQ("无法创建输出文件夹：" + d_ + "\\out\\10001", program_.AnswerBox());
  EXPECT_TRUE(program_.NoBoxWithin(500)) << "one message";
  EXPECT_FALSE(Exists(Log("silk_v3_decoder")));
  EXPECT_TRUE(IsWindowEnabled(program_.main()));
}

TEST_F(BatchTest, AStopWithProgramsInFlightAnswersAtOnceAndStartsNothingMore) {
  const std::string qq = dir_.MakeDir("MobileQQ");
  for (int i = 0; i < 6; ++i) dir_.WriteFile("MobileQQ\\10001\\ptt\\v" + std::to_string(i) + ".slk", "v");
  Control("silk_v3_decoder", "sleep 30000");
  ASSERT_TRUE(Start(qq, {"SONOTECA_MAX_CONVERSIONS=2"}));
  ASSERT_TRUE(List(1));
  program_.DoubleClickAccount(0);
  ASSERT_TRUE(WaitUntil([&] { return Logged(Log("silk_v3_decoder"), "begin").size() == 2; }))
      << "two conversions at once";
  ASSERT_TRUE(WaitUntil([&] { return test_support::TextOf(program_.main()) == std::string(kRestCaption) + " 0/6"; }));
  program_.Click("停止");
  EXPECT_EQ("已停止", program_.AnswerBox());
  EXPECT_EQ(kRestCaption, test_support::TextOf(program_.main()));
  EXPECT_TRUE(program_.NoBoxWithin(1000)) << "no message of the stopped batch";
  EXPECT_EQ(2u, Logged(Log("silk_v3_decoder"), "begin").size()) << "nothing started after the stop";
  EXPECT_TRUE(Logged(Log("ffmpeg"), "begin").empty());
}

TEST_F(BatchTest, ASecondBatchStopsTheFirstWithoutAWordAndRunsOnItsOwn) {
  const std::string qq = dir_.MakeDir("MobileQQ");
  dir_.WriteFile("MobileQQ\\10001\\ptt\\slow.slk", "v");
  dir_.WriteFile("MobileQQ\\20002\\ptt\\quick.slk", "v");
  ASSERT_TRUE(Start(qq, {"SONOTECA_MAX_CONVERSIONS=1"}));
  ASSERT_TRUE(List(2));
  const std::vector<std::string> accounts = program_.Accounts();
  const int slow = accounts[0] == "10001" ? 0 : 1;
  Control("silk_v3_decoder", "sleep 30000");
  program_.DoubleClickAccount(slow);
  ASSERT_TRUE(WaitUntil([&] { return Logged(Log("silk_v3_decoder"), "argc").size() == 1; }));
  ASSERT_TRUE(List(2));
  Control("silk_v3_decoder", "");  // the first has long read its orders
  program_.DoubleClickAccount(1 - slow);
  EXPECT_EQ("转换成功", program_.AnswerBox()) << "not 已停止";
  EXPECT_TRUE(Exists(Out("20002") + "\\quick.mp3"));
  EXPECT_FALSE(Exists(Out("10001") + "\\slow.mp3"));
  EXPECT_TRUE(program_.NoBoxWithin(500));
}

// The names of the files a search of `pattern` gives, in the order it gives
// them: the order in which the program collects them too.
std::vector<std::string> SearchOrder(const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  const HANDLE h = FindFirstFileA(pattern.c_str(), &entry);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.cFileName);
  } while (FindNextFileA(h, &entry));
  FindClose(h);
  return names;
}

TEST_F(BatchTest, FilesThatEndOutOfOrderAreReportedInTheOrderCollected) {
  const std::string qq = dir_.MakeDir("MobileQQ");
  for (const char* name : {"a.slk", "b.slk", "c.slk"}) dir_.WriteFile(std::string("MobileQQ\\10001\\ptt\\") + name, "v");
  const std::string ptt = qq + "\\10001\\ptt\\";
  const std::vector<std::string> order = SearchOrder(ptt + "*.slk");
  ASSERT_EQ(3u, order.size());
  // Every decoder fails (a damaged block); the first one collected takes longest.
  Control("silk_v3_decoder", "exit 5");
  std::ofstream(ptt + order[0] + ".control") << "sleep 1500";
  ASSERT_TRUE(Start(qq, {"SONOTECA_MAX_CONVERSIONS=3"}));
  ASSERT_TRUE(List(1));
  program_.DoubleClickAccount(0);
  const std::string message = program_.AnswerBox();
  const std::vector<std::string> ended = Logged(Log("silk_v3_decoder"), "ended");
  ASSERT_EQ(3u, ended.size());
  EXPECT_EQ(ptt + order[0], ended.back()) << "the first one collected ended last";
  const std::string list = Out("10001") + "\\转换失败.txt";
  EXPECT_EQ("转换完成：成功 0 个，失败 3 个。\r\n" + ptt + order[0] + "：解码失败\r\n" + ptt + order[1] +
                "：解码失败\r\n" + ptt + order[2] + "：解码失败\r\n失败列表：" + list,
            message);
  EXPECT_EQ(ptt + order[0] + "：解码失败\r\n" + ptt + order[1] + "：解码失败\r\n" + ptt + order[2] + "：解码失败\r\n",
            ReadAll(list));
  EXPECT_TRUE(program_.NoBoxWithin(500)) << "one message";
}

// The stand-ins' clock readings of each run, in the order the runs ended.
std::vector<std::pair<long long, long long>> Runs(const std::string& log) {
  const std::vector<std::string> begins = Logged(log, "begin");
  const std::vector<std::string> ends = Logged(log, "end");
  std::vector<std::pair<long long, long long>> runs;
  for (size_t i = 0; i < begins.size() && i < ends.size(); ++i) runs.push_back({std::stoll(begins[i]), std::stoll(ends[i])});
  return runs;
}

TEST_F(BatchTest, OneConversionAtATimeWhenTheEnvironmentSaysOne) {
  const std::string qq = dir_.MakeDir("MobileQQ");
  for (int i = 0; i < 4; ++i) dir_.WriteFile("MobileQQ\\10001\\ptt\\v" + std::to_string(i) + ".slk", "v");
  Control("silk_v3_decoder", "sleep 200");
  ASSERT_TRUE(Start(qq, {"SONOTECA_MAX_CONVERSIONS=1"}));
  ASSERT_TRUE(List(1));
  program_.DoubleClickAccount(0);
  EXPECT_EQ("转换成功", program_.AnswerBox());
  std::vector<std::pair<long long, long long>> runs = Runs(Log("silk_v3_decoder"));
  const std::vector<std::pair<long long, long long>> encoders = Runs(Log("ffmpeg"));
  ASSERT_EQ(4u, runs.size());
  ASSERT_EQ(4u, encoders.size());
  runs.insert(runs.end(), encoders.begin(), encoders.end());
  std::sort(runs.begin(), runs.end());
  for (size_t i = 1; i < runs.size(); ++i) {
    EXPECT_LT(runs[i - 1].second, runs[i].first) << "program " << i << " started while another ran";
  }
}

// Names and sizes of everything below `folder`, to see that nothing changes.
std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> listing;
  for (const std::string& file : test_support::FilesBelow(folder, "")) {
    listing.push_back(file + " " + std::to_string(ReadAll(file).size()));
  }
  std::sort(listing.begin(), listing.end());
  return listing;
}

TEST_F(BatchTest, AStopEndsItsConvertersClearsTheirFilesAndPutsTheEarlierMp3sBack) {
  const std::string qq = dir_.MakeDir("MobileQQ");
  const std::string ptt = qq + "\\10001\\ptt\\";
  for (const char* name : {"v0", "v1", "v2", "v3"}) {
    dir_.WriteFile(std::string("MobileQQ\\10001\\ptt\\") + name + ".slk", "v");
    dir_.WriteFile(std::string("转换 工具\\out\\10001\\") + name + ".mp3", std::string("earlier ") + name);
  }
  dir_.WriteFile("转换 工具\\out\\10001\\转换失败.txt", "a list of an earlier batch");
  const std::vector<std::string> order = test_support::FilesBelow(qq + "\\10001\\ptt", ".slk");
  // The first file's decoder fails at once; the encoders of the next two hang.
  std::ofstream(order[0] + ".control") << "exit 5";
  Control("ffmpeg", "sleep 30000");
  ASSERT_TRUE(Start(qq, {"SONOTECA_MAX_CONVERSIONS=2"}));
  ASSERT_TRUE(List(1));
  program_.DoubleClickAccount(0);
  ASSERT_TRUE(WaitUntil([&] { return Logged(Log("ffmpeg"), "begin").size() == 2; })) << "two encoders at work";
  program_.Click("停止");
  EXPECT_EQ("已停止", program_.AnswerBox());

  // Its converters are gone, their files with them, the earlier MP3s back.
  EXPECT_TRUE(program_.RunningChildren().empty());
  EXPECT_TRUE(test_support::FilesBelow(d_ + "\\out", ".pcm").empty());
  EXPECT_TRUE(test_support::FilesBelow(d_ + "\\out", ".sonoteca-old").empty());
  for (const char* name : {"v0", "v1", "v2", "v3"}) {
    EXPECT_EQ(std::string("earlier ") + name, ReadAll(Out("10001") + "\\" + name + ".mp3"));
  }
  // The list says what failed before the stop, not what an earlier batch saw.
  EXPECT_EQ(order[0] + "：解码失败\r\n", ReadAll(Out("10001") + "\\转换失败.txt"));
  const std::vector<std::string> after_stop = Listing(d_ + "\\out");
  EXPECT_TRUE(program_.NoBoxWithin(1500));
  EXPECT_EQ(after_stop, Listing(d_ + "\\out")) << "nothing changes after 已停止";
  EXPECT_TRUE(Logged(Log("ffmpeg"), "ended").empty());

  // The batch started next sees only its own programs.
  Control("ffmpeg", "");
  std::ofstream(order[0] + ".control") << "";
  ASSERT_TRUE(List(1));
  program_.DoubleClickAccount(0);
  EXPECT_EQ("转换成功", program_.AnswerBox());
  EXPECT_EQ(4u, Logged(Log("ffmpeg"), "ended").size());
  for (const std::string& voice : order) {
    const std::string name = voice.substr(ptt.size(), voice.size() - ptt.size() - 4);
    EXPECT_EQ("mp3 of [pcm of " + voice + "]", ReadAll(Out("10001") + "\\" + name + ".mp3"));
  }
  EXPECT_FALSE(Exists(Out("10001") + "\\转换失败.txt"));
}

TEST_F(BatchTest, AFinishedBatchsReportStaysUntilTheUserClosesIt) {
  const std::string qq = dir_.MakeDir("MobileQQ");
  dir_.WriteFile("MobileQQ\\10001\\ptt\\a.slk", "v");
  dir_.MakeDir("MobileQQ\\20002\\ptt");
  ASSERT_TRUE(Start(qq));
  ASSERT_TRUE(List(2));
  const std::vector<std::string> accounts = program_.Accounts();
  const int with_files = accounts[0] == "10001" ? 0 : 1;
  program_.DoubleClickAccount(with_files);
  ASSERT_TRUE(WaitUntil([&] { return program_.OpenBoxes() == std::vector<std::string>{"转换成功"}; }));
  // 停止 after the end stops nothing and says nothing.
  program_.Click("停止");
  EXPECT_EQ(std::vector<std::string>{"转换成功"}, program_.OpenBoxes());
  // Another batch leaves it open too, beside its own.
  ASSERT_TRUE(List(2));
  program_.DoubleClickAccount(1 - with_files);
  ASSERT_TRUE(WaitUntil([&] { return program_.OpenBoxes().size() == 2; }));
  std::vector<std::string> open = program_.OpenBoxes();
  std::sort(open.begin(), open.end());
  const std::string searched = qq + "\\" + accounts[1 - with_files] + "\\ptt";
  EXPECT_EQ((std::vector<std::string>{"没有找到语音文件：" + searched, "转换成功"}), open);
  program_.AnswerBox();
  program_.AnswerBox();
}

TEST_F(BatchTest, TheOutputSideIsNamedAndAnEarlierMp3ThatIsReadOnlyStays) {
  const std::string qq = dir_.MakeDir("MobileQQ");
  const std::string a = dir_.WriteFile("MobileQQ\\10001\\ptt\\a.slk", "v");
  dir_.WriteFile("MobileQQ\\10001\\ptt\\b.slk", "v");
  const std::string read_only = dir_.WriteFile("转换 工具\\out\\10001\\a.mp3", "an earlier MP3");
  ASSERT_TRUE(SetFileAttributesA(read_only.c_str(), FILE_ATTRIBUTE_READONLY));
  // A folder in the list's place: the list cannot be written.
  const std::string list = dir_.MakeDir("转换 工具\\out\\10001\\转换失败.txt");
  // What a run that was ended while its encoder ran left: the user's MP3
  // aside, and no good MP3 in its place. A start puts it back.
  dir_.WriteFile("转换 工具\\out\\10001\\c.mp3.sonoteca-old", "the user's c");
  dir_.WriteFile("转换 工具\\out\\10001\\c.mp3", "half of a new c");
  ASSERT_TRUE(Start(qq));
  EXPECT_EQ("the user's c", ReadAll(Out("10001") + "\\c.mp3"));
  EXPECT_FALSE(Exists(Out("10001") + "\\c.mp3.sonoteca-old"));
  ASSERT_TRUE(List(1));
  program_.DoubleClickAccount(0);
  EXPECT_EQ("转换完成：成功 1 个，失败 1 个。\r\n" + a + "：已有的 MP3 是只读文件，保持原样：" + read_only +
                "\r\n失败列表无法写入：" + list,
            program_.AnswerBox());
  EXPECT_EQ("an earlier MP3", ReadAll(read_only));
  EXPECT_NE(0u, GetFileAttributesA(read_only.c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(test_support::FilesBelow(d_ + "\\out", ".sonoteca-old").empty());
  SetFileAttributesA(read_only.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(BatchTest, NamesOfAnyLanguageAndNamesTheFileSystemTakesForOneEachGetTheirMp3) {
  const std::string account = "0123456789abcdef0123456789abcdef";
  const std::string wx = dir_.MakeDir("MicroMsg");
  const std::wstring voice2 = test_support::Widen(dir_.MakeDir("MicroMsg\\" + account + "\\voice2"));
  // Full-width Ａ1 and ａ1, one in each of two folders; a Korean name.
  for (const wchar_t* folder : {L"\\1a", L"\\1a\\2b", L"\\3c", L"\\3c\\4d"}) {
    CreateDirectoryW((voice2 + folder).c_str(), nullptr);
  }
  ASSERT_TRUE(test_support::WriteWhole(voice2 + L"\\1a\\2b\\\xFF21" L"1.amr", "v"));
  ASSERT_TRUE(test_support::WriteWhole(voice2 + L"\\3c\\4d\\\xFF41" L"1.amr", "v"));
  ASSERT_TRUE(test_support::WriteWhole(voice2 + L"\\3c\\4d\\\xD55C\xAD6D.amr", "v"));
  ASSERT_TRUE(Start(wx));
  ASSERT_TRUE(List(1));
  program_.DoubleClickAccount(0);
  EXPECT_EQ("转换成功", program_.AnswerBox());
  EXPECT_EQ(3u, Logged(Log("ffmpeg"), "ended").size());
  const std::vector<std::wstring> mp3s = test_support::Names(test_support::Widen(Out(account)));
  ASSERT_EQ(3u, mp3s.size()) << "one MP3 each";
  // The Korean one is named by its short form, which the code page holds.
  EXPECT_EQ(1, std::count_if(mp3s.begin(), mp3s.end(), [](const std::wstring& n) {
              return n.find(L'~') != std::wstring::npos;
            }));
}

TEST_F(BatchTest, TheFolderMakerSplitsAtBackslashesOfTheirOwn) {
  // "誠" is D5 5C: its second byte is the code of "\".
  d_ = MakeProgramFolder(dir_, "誠信软件\\Sonoteca", Converters::kRecording);
  const std::string qq = dir_.MakeDir("MobileQQ");
  dir_.WriteFile("MobileQQ\\10001\\ptt\\a.slk", "v");
  ASSERT_TRUE(Start(qq));
  ASSERT_TRUE(List(1));
  program_.DoubleClickAccount(0);
  EXPECT_EQ("转换成功", program_.AnswerBox());
  EXPECT_TRUE(Exists(Out("10001") + "\\a.mp3"));
  EXPECT_EQ((std::vector<std::wstring>{L"MobileQQ", L"\x8AA0\x4FE1\x8F6F\x4EF6", L"\x8F6C\x6362 \x5DE5\x5177"}),
            test_support::Names(test_support::Widen(dir_.path())))
      << "no stray folder of half a character";
}

TEST_F(BatchTest, ClosingTheWindowDuringABatchEndsItAsAStopDoes) {
  ASSERT_TRUE(EncodeOverAnEarlierMp3("the user's a", "sleep 30000")) << "set aside while the encoder runs";
  const std::string mp3 = mp3_;
  ASSERT_TRUE(WaitUntil([&] { return Logged(Log("ffmpeg"), "begin").size() == 1; }));
  const std::vector<DWORD> converters = program_.RunningChildren();
  EXPECT_TRUE(program_.Stop());
  EXPECT_EQ(0u, program_.exit_code());
  EXPECT_TRUE(program_.RunningChildren().empty()) << converters.size() << " converters were running";
  EXPECT_EQ("the user's a", ReadAll(mp3));
  EXPECT_FALSE(Exists(mp3 + ".sonoteca-old"));
  EXPECT_TRUE(test_support::FilesBelow(d_ + "\\out", ".pcm").empty());
}

TEST_F(BatchTest, AnEarlierFailureListThatCannotBeRemovedIsNamedInTheReport) {
  const std::string qq = dir_.MakeDir("MobileQQ");
  dir_.WriteFile("MobileQQ\\10001\\ptt\\a.slk", "v");
  const std::string list = dir_.WriteFile("转换 工具\\out\\10001\\转换失败.txt", "a list of an earlier batch");
  ASSERT_TRUE(Start(qq));
  {
    // Held by another program that lets nobody delete it.
    test_support::ScopedHandle held(
        CreateFileA(list.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(INVALID_HANDLE_VALUE, held.h);
    ASSERT_TRUE(List(1));
    program_.DoubleClickAccount(0);
    EXPECT_EQ("转换成功\r\n以前的失败列表无法删除：" + list, program_.AnswerBox());
  }
  ASSERT_TRUE(List(1));
  program_.DoubleClickAccount(0);
  EXPECT_EQ("转换成功", program_.AnswerBox()) << "let go, it is removed";
  EXPECT_FALSE(Exists(list));
}

TEST_F(BatchTest, ACopySetAsideThatAnotherProgramHeldNeverComesBackOverTheNewMp3) {
  ASSERT_TRUE(EncodeOverAnEarlierMp3("the user's earlier a", "sleep 1500"));
  const std::string mp3 = mp3_;
  {
    // An indexer reads the copy while the encoder runs, and lets nobody delete it.
    test_support::ScopedHandle held(CreateFileA((mp3 + ".sonoteca-old").c_str(), GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(INVALID_HANDLE_VALUE, held.h);
    EXPECT_EQ("转换成功", program_.AnswerBox());
    ASSERT_TRUE(program_.Stop());
  }
  const std::string converted = "mp3 of [pcm of " + voice_ + "]";
  EXPECT_EQ(converted, ReadAll(mp3));
  // The next start finds the copy: it is removed, the new MP3 stays.
  ASSERT_TRUE(Start(qq_));
  EXPECT_EQ(converted, ReadAll(mp3));
  EXPECT_FALSE(Exists(mp3 + ".sonoteca-old"));
  EXPECT_TRUE(test_support::FilesBelow(d_ + "\\out", ".sonoteca-replaced").empty());
}

TEST_F(BatchTest, AfterAKillTheNextStartPutsBackWhatTheBatchHadSetAside) {
  ASSERT_TRUE(EncodeOverAnEarlierMp3("the user's a", "sleep 30000"));
  const std::string mp3 = mp3_;
  ASSERT_TRUE(TerminateProcess(program_.process(), 7));
  ASSERT_TRUE(program_.Stop());
  ASSERT_FALSE(Exists(mp3)) << "the encoder was ended before it wrote";
  // The start looks where the killed batch worked, and there only.
  ASSERT_TRUE(Start(qq_));
  EXPECT_EQ("the user's a", ReadAll(mp3));
  EXPECT_FALSE(Exists(mp3 + ".sonoteca-old"));
  EXPECT_TRUE(test_support::FilesBelow(d_ + "\\out\\.sonoteca-pending", "").empty()) << "its record is cleared";
}

TEST_F(BatchTest, ConvertersDoNotOutliveAProgramThatIsKilled) {
  const std::string qq = dir_.MakeDir("MobileQQ");
  dir_.WriteFile("MobileQQ\\10001\\ptt\\a.slk", "v");
  dir_.WriteFile("MobileQQ\\10001\\ptt\\b.slk", "v");
  Control("silk_v3_decoder", "sleep 30000");
  ASSERT_TRUE(Start(qq, {"SONOTECA_MAX_CONVERSIONS=2"}));
  ASSERT_TRUE(List(1));
  program_.DoubleClickAccount(0);
  ASSERT_TRUE(WaitUntil([&] { return Logged(Log("silk_v3_decoder"), "begin").size() == 2; }));
  ASSERT_EQ(2u, program_.RunningChildren().size());
  // Ended as the system ends a program that crashed: no clean-up of its own.
  ASSERT_TRUE(TerminateProcess(program_.process(), 7));
  ASSERT_TRUE(program_.Stop());
  EXPECT_EQ(7u, program_.exit_code());
  EXPECT_TRUE(WaitUntil([&] { return program_.RunningChildren().empty(); }, 10000))
      << "the decoders ran on after the program";
  EXPECT_TRUE(Logged(Log("silk_v3_decoder"), "end").empty()) << "ended, not run to their end";
}

}  // namespace
}  // namespace app
