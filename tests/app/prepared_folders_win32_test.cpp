// The output side through the real window, on folders the ctest fixture
// PreparedFolders made on the Linux side (tests/app/prepare-folders): a
// folder that cannot be written, a full disk, a link out of the out folder
// and a WeChat account of thousands of folders. The recording stand-ins are
// the converters.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/program_folder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace app {
namespace {

using test_support::Exists;
using test_support::WaitUntil;

class PreparedFoldersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    prepared_ = test_support::SelfFolder() + "\\prepared";
    const std::string why = test_support::ReadAll(prepared_ + "\\unavailable");
    if (!why.empty()) GTEST_SKIP() << why;
    ASSERT_TRUE(Exists(prepared_ + "\\elsewhere")) << "run the fixture PreparedFolders (ctest does)";
  }
  // The program and the stand-ins in the prepared folder `name`.
  void UseProgramFolder(const std::string& name) {
    d_ = prepared_ + "\\" + name;
    std::string exe = SONOTECA_EXE;
    for (char& c : exe) c = c == '/' ? '\\' : c;
    ASSERT_TRUE(CopyFileA(exe.c_str(), (d_ + "\\sonoteca.exe").c_str(), FALSE));
    for (const char* program : {"silk_v3_decoder.exe", "ffmpeg.exe"}) {
      const std::string from = test_support::SelfFolder() + "\\standins\\" + program;
      ASSERT_TRUE(CopyFileA(from.c_str(), (d_ + "\\" + program).c_str(), FALSE));
    }
  }
  // The account 10001 of a QQ folder of one voice file, converted: the message.
  std::string ConvertAccount() {
    const std::string qq = dir_.MakeDir("MobileQQ");
    dir_.WriteFile("MobileQQ\\10001\\ptt\\a.slk", "v");
    if (!program_.Start(d_ + "\\sonoteca.exe", qq)) return "(did not start)";
    program_.Click("批量转换");
    if (!WaitUntil([&] { return program_.Accounts().size() == 1; }, 10000)) return "(no account)";
    program_.DoubleClickAccount(0);
    return program_.AnswerBox();
  }

  std::string prepared_;
  std::string d_;
  test_support::ScopedTempDir dir_;
  test_support::TestedProgram program_;
};

TEST_F(PreparedFoldersTest, AnAccountFolderThatCannotBeWrittenIsNamedAndNothingStarts) {
  UseProgramFolder("locked");
  EXPECT_EQ("无法写入文件夹：" + d_ + "\\out\\10001", ConvertAccount());
  EXPECT_FALSE(Exists(d_ + "\\silk_v3_decoder.log"));
  EXPECT_TRUE(program_.NoBoxWithin(500));
}

TEST_F(PreparedFoldersTest, AFullDiskIsNamedAndNothingStarts) {
  UseProgramFolder("full");
  EXPECT_EQ("磁盘空间不足：" + d_ + "\\out", ConvertAccount());
  EXPECT_FALSE(Exists(d_ + "\\silk_v3_decoder.log"));
}

TEST_F(PreparedFoldersTest, ASmallDiskWithRoomForTheJobIsNoFullDisk) {
  UseProgramFolder("small");
  EXPECT_EQ("转换成功", ConvertAccount());
}

TEST_F(PreparedFoldersTest, AVoiceFileInAFolderThatCannotBeWrittenIsNoDecodingFault) {
  UseProgramFolder("linked");
  const std::string voice = prepared_ + "\\readonly-voice\\a.slk";
  ASSERT_TRUE(program_.Start(d_ + "\\sonoteca.exe", voice));
  program_.Click("单独转换");
  EXPECT_EQ("转换失败，无法写入文件夹：" + prepared_ + "\\readonly-voice", program_.AnswerBox());
  EXPECT_FALSE(Exists(d_ + "\\silk_v3_decoder.log"));
}

TEST_F(PreparedFoldersTest, TheCleanUpOfTheOutFolderDoesNotFollowALinkOutOfIt) {
  UseProgramFolder("linked");
  const std::string left = d_ + "\\out\\left.pcm";
  HANDLE file = CreateFileA(left.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  CloseHandle(file);
  EXPECT_EQ("转换成功", ConvertAccount());
  EXPECT_FALSE(Exists(left)) << "what an earlier batch left in out goes";
  EXPECT_TRUE(Exists(prepared_ + "\\elsewhere\\x.pcm")) << "what lies behind the link stays";
}

TEST_F(PreparedFoldersTest, ALargeAccountKeepsTheWindowAnsweringAndStopEndsItsCollection) {
  UseProgramFolder("large");
  const std::string wx = prepared_ + "\\large\\MicroMsg";
  ASSERT_TRUE(program_.Start(d_ + "\\sonoteca.exe", wx));
  program_.Click("批量转换");
  ASSERT_TRUE(WaitUntil([&] { return program_.Accounts().size() == 1; }, 10000));
  program_.DoubleClickAccount(0);
  // The collection has begun once it makes 停止 usable.
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(program_.Control("停止")) != FALSE; }));
  DWORD_PTR result = 0;
  EXPECT_NE(0, SendMessageTimeoutA(program_.main(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result))
      << "the window answers while the account is collected";
  program_.Click("停止");
  EXPECT_EQ("已停止", program_.AnswerBox());
  EXPECT_TRUE(program_.NoBoxWithin(1000));
  EXPECT_FALSE(Exists(d_ + "\\silk_v3_decoder.log")) << "nothing started";
}

}  // namespace
}  // namespace app
