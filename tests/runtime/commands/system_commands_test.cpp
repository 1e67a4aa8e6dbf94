// The platform-free rules of the file and system commands.
#include "runtime/commands/system_commands.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "runtime/commands/system_rules.h"
#include "runtime/core/heap.h"
#include "runtime/core/runtime_state.h"

namespace rt {
namespace {

TEST(MessageBoxRulesTest, StyleAddsTaskModalUnlessSystemModal) {
  EXPECT_EQ(0x2000u, MessageBoxStyle(0));
  EXPECT_EQ(0x1000u, MessageBoxStyle(0x1000));
  EXPECT_EQ(0x2024u, MessageBoxStyle(0x24));
  EXPECT_EQ(0x4000u, MessageBoxStyle(0x2000)) << "an addition that carries";
  EXPECT_EQ(0x1024u, MessageBoxStyle(0x1024));
  EXPECT_EQ(0x2001u, MessageBoxStyle(1));
}

TEST(MessageBoxRulesTest, AnswersMapToZeroBasedButtonsAndEverythingElseToZero) {
  const int32_t expected[] = {0, 0, 1, 2, 3, 4, 5, 6, 0};
  for (int32_t answer = 0; answer <= 8; ++answer) {
    EXPECT_EQ(expected[answer], MessageBoxAnswer(answer)) << answer;
  }
  EXPECT_EQ(0, MessageBoxAnswer(-1));
  EXPECT_EQ(0, MessageBoxAnswer(11));
}

TEST(MessageBoxRulesTest, TextByKindOfTheMessage) {
  char buffer[kFormatBufferSize];
  EXPECT_STREQ("42", MessageBoxText(ArgValue::Int(42), buffer));
  EXPECT_STREQ("-7", MessageBoxText(ArgValue::Short(-7), buffer));
  EXPECT_STREQ("200", MessageBoxText(ArgValue::Byte(200), buffer));
  EXPECT_STREQ("12345678901", MessageBoxText(ArgValue::Int64(12345678901LL), buffer));
  EXPECT_STREQ("0.1", MessageBoxText(ArgValue::Float(0.1f), buffer));
  EXPECT_STREQ("2.5", MessageBoxText(ArgValue::Double(2.5), buffer));
  EXPECT_STREQ("假", MessageBoxText(ArgValue::Bool(false), buffer));
  EXPECT_STREQ("真", MessageBoxText(ArgValue::Bool(true), buffer));
  EXPECT_STREQ("1900年1月1日", MessageBoxText(ArgValue::DateTime(2.0), buffer));
  EXPECT_STREQ("", MessageBoxText(ArgValue::Text(nullptr), buffer));
  EXPECT_STREQ("", MessageBoxText(ArgValue::Omitted(), buffer));
  EXPECT_STREQ("", MessageBoxText(ArgValue::Address(buffer, kTagBuffer), buffer));
}

TEST(MessageBoxRulesTest, ALongTextIsShownWhole) {
  const std::string longer(300, 'x');
  char buffer[kFormatBufferSize];
  EXPECT_EQ(longer.c_str(), MessageBoxText(ArgValue::Text(longer.c_str()), buffer));
}

TEST(MessageBoxRulesTest, CaptionOmittedIsInformationAndGivenIsKept) {
  ArgValue args[3] = {ArgValue::Text("m"), ArgValue::Int(0), ArgValue::Omitted()};
  EXPECT_STREQ("信息：", MessageBoxCaption(2, args));
  EXPECT_STREQ("信息：", MessageBoxCaption(3, args));
  args[2] = ArgValue::Text("");
  EXPECT_STREQ("", MessageBoxCaption(3, args)) << "an empty caption stays empty";
  args[2] = ArgValue::Text(nullptr);
  EXPECT_EQ(nullptr, MessageBoxCaption(3, args)) << "null goes on to the platform";
  args[2] = ArgValue::Text("标题");
  EXPECT_STREQ("标题", MessageBoxCaption(3, args));
}

TEST(ProcessListTest, NoRecordsGiveTheEmptyArray) {
  void* block = ProcessArray({});
  ASSERT_NE(nullptr, block);
  EXPECT_EQ(1, static_cast<int32_t*>(block)[0]);
  EXPECT_EQ(0, static_cast<int32_t*>(block)[1]);
  EXPECT_EQ(0u, ArrayElementCount(block));
  FreeProcessArray(block);
  FreeProcessArray(nullptr);
}

TEST(ProcessListTest, MoreThanAThousandRecordsKeepTheirOrderAndFields) {
  std::vector<ProcessRecord*> records;
  for (int32_t i = 0; i < 1500; ++i) {
    records.push_back(NewProcessRecord(1000 + i, i % 2 ? "a.exe" : "", i, 7, 8, i + 1));
  }
  void* block = ProcessArray(records);
  ASSERT_EQ(1500u, ArrayElementCount(block));
  auto** out = static_cast<ProcessRecord**>(ArrayElements(block));
  for (int32_t i = 0; i < 1500; ++i) {
    ASSERT_EQ(records[i], out[i]);
    EXPECT_EQ(1000 + i, out[i]->process_id);
    EXPECT_EQ(i, out[i]->module_id);
    EXPECT_EQ(7, out[i]->parent_process_id);
    EXPECT_EQ(8, out[i]->base_priority);
    EXPECT_EQ(i + 1, out[i]->thread_count);
    if (i % 2) {
      EXPECT_STREQ("a.exe", out[i]->executable_name);
    } else {
      EXPECT_EQ(nullptr, out[i]->executable_name) << "an empty name is null";
    }
  }
  FreeProcessArray(block);  // the sanitizer build reports anything left
}

TEST(ProgramFolderTest, GivesANewCopyOrTheEmptyText) {
  Runtime().program_directory = "X:\\Tools";
  ArgValue result{};
  ProgramFolder(&result, 0, nullptr);
  ASSERT_STREQ("X:\\Tools", result.AsText());
  EXPECT_NE(Runtime().program_directory.c_str(), result.AsText());
  FreeMemory(const_cast<char*>(result.AsText()));
  Runtime().program_directory.clear();
  result = ArgValue{};
  ProgramFolder(&result, 0, nullptr);
  EXPECT_EQ(nullptr, result.AsText());
}

TEST(PauseTest, ZeroAndNegativeReturnAtOnceAndAPositiveTimeIsSlept) {
  using Clock = std::chrono::steady_clock;
  ArgValue result{};
  ArgValue args[1] = {ArgValue::Int(-100)};
  auto start = Clock::now();
  Pause(&result, 1, args);
  args[0] = ArgValue::Int(0);
  Pause(&result, 1, args);
  const auto none = Clock::now() - start;
  args[0] = ArgValue::Int(120);
  start = Clock::now();
  Pause(&result, 1, args);
  const auto slept = Clock::now() - start;
  EXPECT_GE(slept, std::chrono::milliseconds(110));
  EXPECT_LT(none, slept) << "both together took less than one pause of 120 ms";
}

}  // namespace
}  // namespace rt
