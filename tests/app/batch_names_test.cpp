// The names of a batch's outputs: settled at collection so that no two
// files of one batch write the same MP3, with letter case ignored as
// Windows ignores it.
#include "app/batch_names.h"

#include <gtest/gtest.h>

#include "app/account_listing.h"
#include "app/batch_conversion.h"
#include "app/path_text.h"

namespace app {
namespace {

TEST(BatchNamesTest, LaterFilesOfANameGetOneNoOtherFileHas) {
  EXPECT_EQ((std::vector<std::string>{"a", "b", "a_3", "a_2", "A_4"}),
            SettleBaseNames({"a", "b", "a", "a_2", "A"}))
      << "a_2 belongs to a file of its own, so the second a skips it";
  EXPECT_EQ((std::vector<std::string>{"Msg", "msg_2", "MSG_3"}), SettleBaseNames({"Msg", "msg", "MSG"}));
  EXPECT_EQ((std::vector<std::string>{"语音", "语音_2", "x"}), SettleBaseNames({"语音", "语音", "x"}));
  EXPECT_TRUE(SettleBaseNames({}).empty());
}

// A key that takes "x" and "y" for one name, as a file system might.
std::string XIsY(const std::string& name) {
  std::string key = name;
  for (char& c : key) c = c == 'y' ? 'x' : c;
  return key;
}

TEST(BatchNamesTest, TheKeyGivenDecidesWhichNamesAreOne) {
  EXPECT_EQ((std::vector<std::string>{"x1", "y1_2", "Y1"}), SettleBaseNames({"x1", "y1", "Y1"}, XIsY));
}

TEST(BatchNamesTest, OnlySingleByteLettersFoldTheSecondByteOfACharacterStays) {
  EXPECT_EQ("abc_z09", FoldCase("ABC_z09"));
  // 0x81 0x41 is one character whose second byte is the code of "A".
  const std::string tricky = "\x81\x41" "B";
  EXPECT_EQ("\x81\x41" "b", FoldCase(tricky));
  EXPECT_EQ((std::vector<std::string>{tricky, "\x81\x61" "b"}), SettleBaseNames({tricky, "\x81\x61" "b"}))
      << "different characters, so different names";
}

TEST(PathTextTest, ASecondByte5CIsNoSeparator) {
  EXPECT_EQ("D:\\x\\", WithSeparator("D:\\x"));
  EXPECT_EQ("D:\\x\\", WithSeparator("D:\\x\\"));
  EXPECT_EQ("D:\\", WithSeparator("D:\\"));
  EXPECT_EQ("\\", WithSeparator(""));
  // "誠" is D5 5C: its second byte is the code of "\".
  EXPECT_EQ("D:\\誠\\", WithSeparator("D:\\誠"));
  EXPECT_FALSE(EndsWithSeparator("D:\\誠"));
  EXPECT_TRUE(EndsWithSeparator("D:\\誠\\"));
}

TEST(AccountNameTest, DigitsForQqAndTwentyBytesForWeChat) {
  EXPECT_TRUE(IsAllDigits("12345678"));
  for (const char* no : {"", "123a", ".12345", "cache", "１２３", "-1", " 1"}) {
    EXPECT_FALSE(IsAllDigits(no)) << no;
  }
  EXPECT_FALSE(IsAllDigits(nullptr));
  EXPECT_TRUE(IsWeChatAccountName(std::string(20, 'a')));
  EXPECT_FALSE(IsWeChatAccountName(std::string(19, 'a')));
  EXPECT_TRUE(IsWeChatAccountName("微信帐号一二三四五六")) << "20 bytes of code page 936";
}

TEST(BatchSettingsTest, ConversionsAtOnceFollowTheProcessorsOrTheSetting) {
  EXPECT_EQ(1, MaxConversions(1, ""));
  EXPECT_EQ(2, MaxConversions(2, ""));
  EXPECT_EQ(4, MaxConversions(16, ""));
  EXPECT_EQ(1, MaxConversions(0, ""));
  EXPECT_EQ(1, MaxConversions(8, "1"));
  EXPECT_EQ(3, MaxConversions(1, "3"));
  for (const char* ignored : {"0", "5", "2x", "-1", " "}) EXPECT_EQ(2, MaxConversions(2, ignored)) << ignored;
  EXPECT_EQ("Sonoteca[支持QQ、微信] 12/340", ProgressCaption("Sonoteca[支持QQ、微信]", 12, 340));
}

}  // namespace
}  // namespace app
