// The checked-in template bytes must be what the source compiles to.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/template_compiler/template_source.h"

namespace {

const std::string kRoot = SONOTECA_SOURCE_DIR;

TEST(WindowTemplateSourceTest, CheckedInBytesMatchTheSource) {
  std::string generated;
  std::string error;
  ASSERT_TRUE(template_compiler::GenerateInclude(kRoot + "/resources/window_template.txt",
                                                 kRoot + "/resources/handlers.def",
                                                 &generated, &error))
      << error;
  std::string checked_in;
  ASSERT_TRUE(template_compiler::ReadTextFile(
      kRoot + "/resources/generated/window_template.inc", &checked_in));
  EXPECT_EQ(generated, checked_in) << "run scripts/regenerate-template";
}

std::vector<std::string> Handlers() { return {"First", "Second"}; }

bool Compile(const std::string& source, std::vector<rt::WindowRecord>* windows,
             std::string* error) {
  return template_compiler::CompileTemplateSource(source, Handlers(), windows, error);
}

// Sources are UTF-8, so their literals carry the u8 prefix; plain literals
// here are GBK like the compiled names.
const char* const kMinimal =
    u8"window 0x52010001 word_a 3 word_b 0x09010001\n"
    u8"unit 0x06010000 window \"W\"\n"
    u8"  geometry 1 2 3 4\n"
    u8"  flags V D\n"
    u8"  on 1 Second\n"
    u8"unit 0x16010002 button \"按钮\"   # a comment\n"
    u8"  flags T\n"
    u8"  tag \"q\\\"uote\"\n"
    u8"  on 0 none\n"
    u8"  data\n"
    u8"    caption \"停\"\n"
    u8"    version 1\n"
    u8"  end\n";

TEST(WindowTemplateSourceTest, CompilesUnitsEventsAndData) {
  std::vector<rt::WindowRecord> windows;
  std::string error;
  ASSERT_TRUE(Compile(kMinimal, &windows, &error)) << error;
  ASSERT_EQ(1u, windows.size());
  EXPECT_EQ(3u, windows[0].word_a);
  EXPECT_EQ(0x09010001u, windows[0].word_b);
  ASSERT_EQ(2u, windows[0].units.size());
  const rt::UnitRecord& own = windows[0].units[0];
  EXPECT_EQ(rt::kTypeWindow, own.type_id);
  EXPECT_EQ(4, own.height);
  EXPECT_EQ(rt::kFlagVisible | rt::kFlagDisabled, own.flags);
  ASSERT_EQ(1u, own.events.size());
  EXPECT_EQ(4, own.events[0].offset);  // Second is entry 1
  EXPECT_TRUE(own.type_data.empty());
  const rt::UnitRecord& b = windows[0].units[1];
  EXPECT_EQ("按钮", b.name);  // GBK, as the literal here
  EXPECT_EQ("q\"uote", b.tag);
  EXPECT_EQ(-1, b.events.at(0).offset);
  // Fields are stored in layout order whatever their order in the source.
  const std::vector<uint8_t> data = {1, 0, 0, 0, 2, 0, 0, 0, 0xCD, 0xA3};
  EXPECT_EQ(data, b.type_data);
}

TEST(WindowTemplateSourceTest, RejectsMistakesWithTheirLine) {
  struct Case {
    std::string source;
    std::string message_part;
  };
  const std::string head = "window 0x52010001\nunit 0x06010000 window \"W\"\n";
  const std::vector<Case> cases = {
      {"unit 0x06010000 window \"W\"\n", "line 1"},
      {head + "  on 0 Third\n", "unknown handler"},
      {head + "  geometry 1 2 3\n", "geometry takes 4"},
      {head + "  flags X\n", "flags"},
      {head + "unit 0x16010002 slider \"s\"\n", "unknown unit type"},
      {head + "unit 0x26010002 button \"m\"\n", "menu items"},
      {head + "unit 0x06010000 button \"again\"\n", "used twice"},
      {head + "unit 0x16010002 window \"w2\"\n", "first unit"},
      {head + "  data\n    version 1\n  end\n", "missing"},
      {head + "  data\n    version 7\n  end\n", "version"},
      {head + "unit 0x16010002 button \"b\"\n  data\n    version 1\n", "without 'end'"},
      {head + "unit 0x16010002 button \"b\"\n  data\n    version 1\n    caption \"a\"\n"
              "    caption \"b\"\n  end\n",
       "twice"},
      {head + "unit 0x16010002 button \"b\"\n  data\n    version 1\n    colour 1\n  end\n",
       "no field"},
      {head + "unit 0x16010002 edit_box \"e\"\n  data\n    version 1\n  end\n",
       "data from line 4"},
      {head + "  tag \"unclosed\n", "closing quote"},
      {"window 0x52010001\nunit 0x16010002 button \"b\"\n", "own unit"},
      {"window 0x52010001\n", "without units"},
      {"", "no window"},
      {head + "  geometry 1 2 3 99999999999\n", "not a 32-bit number"},
  };
  for (const Case& c : cases) {
    std::vector<rt::WindowRecord> windows;
    std::string error;
    EXPECT_FALSE(Compile(c.source, &windows, &error)) << c.source;
    EXPECT_NE(std::string::npos, error.find(c.message_part)) << c.source << "\n-> " << error;
  }
}

TEST(WindowTemplateSourceTest, FontRecordIsALogFontOf60Bytes) {
  const std::string source =
      "window 0x52010001\nunit 0x06010000 window \"W\"\n"
      "unit 0x16010002 list_box \"l\"\n  data\n    version 1\n    border_style 1\n"
      "    sorted 0\n    multi_column 0\n    item_height_extra 0\n    word6 0\n"
      "    background_colour 0\n    extended_select 0\n    selected_index -1\n"
      u8"    font face \"宋体\" height -12 weight 700 charset 134 italic 1 quality 2\n  end\n";
  std::vector<rt::WindowRecord> windows;
  std::string error;
  ASSERT_TRUE(Compile(source, &windows, &error)) << error;
  const std::vector<uint8_t>& d = windows[0].units[1].type_data;
  ASSERT_EQ(36u + 4 + 60, d.size());
  EXPECT_EQ(60, d[36]);
  const uint8_t* font = &d[40];
  EXPECT_EQ(0xF4, font[0]);  // -12
  EXPECT_EQ(0xFF, font[3]);
  EXPECT_EQ(700 & 0xFF, font[16]);
  EXPECT_EQ(700 >> 8, font[17]);
  EXPECT_EQ(1, font[20]);    // italic
  EXPECT_EQ(134, font[23]);  // character set
  EXPECT_EQ(2, font[26]);    // quality
  EXPECT_EQ(std::string("宋体"), std::string(reinterpret_cast<const char*>(font + 28)));
  EXPECT_EQ(0, font[59]);
}

TEST(WindowTemplateSourceTest, HandlerTableAndConversion) {
  std::vector<std::string> names;
  std::string error;
  ASSERT_TRUE(template_compiler::ParseHandlerNames(
      "// comment\n\nSONOTECA_HANDLER(A)\n  SONOTECA_HANDLER(B)  \n", &names, &error));
  EXPECT_EQ((std::vector<std::string>{"A", "B"}), names);
  EXPECT_FALSE(template_compiler::ParseHandlerNames("SONOTECA_HANDLER(A)\nB\n", &names, &error));
  EXPECT_FALSE(template_compiler::ParseHandlerNames(
      "SONOTECA_HANDLER(A)\nSONOTECA_HANDLER(A)\n", &names, &error));

  std::string gbk;
  ASSERT_TRUE(template_compiler::Utf8ToGbk("\xE8\xBD\xAC\xE6\x8D\xA2", &gbk));  // UTF-8 转换
  EXPECT_EQ("转换", gbk);
  EXPECT_FALSE(template_compiler::Utf8ToGbk("\xE8\xBD", &gbk));  // cut UTF-8
  EXPECT_FALSE(template_compiler::Utf8ToGbk("\xF0\x9F\x98\x80", &gbk));  // not in GBK
}

}  // namespace
