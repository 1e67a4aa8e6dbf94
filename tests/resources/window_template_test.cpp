#include "resources/window_template.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/core/template_format.h"
#include "runtime/core/window_unit_data.h"
#include "tests/runtime/core/template_test_bytes.h"

namespace rt {
namespace {

using testing_bytes::Bytes;
using testing_bytes::IntAt;

// Handler indexes in table order, from the same list the program uses.
enum HandlerIndex {
#define SONOTECA_HANDLER(name) k##name,
#include "resources/handlers.def"
#undef SONOTECA_HANDLER
  kHandlerCount
};

std::vector<uint8_t> Embedded() {
  return std::vector<uint8_t>(res::kWindowTemplate, res::kWindowTemplate + res::kWindowTemplateSize);
}

std::vector<WindowRecord> ReadEmbedded() {
  std::vector<WindowRecord> windows;
  const std::vector<uint8_t> bytes = Embedded();
  EXPECT_TRUE(ReadWindowTemplate(bytes.data(), bytes.size(), &windows));
  EXPECT_TRUE(ResolveHandlers(windows, kHandlerCount));
  return windows;
}

TEST(WindowTemplateTest, ReadingAndWritingGivesTheSameBytes) {
  const std::vector<uint8_t> bytes = Embedded();
  std::vector<WindowRecord> windows;
  ASSERT_TRUE(ReadWindowTemplate(bytes.data(), bytes.size(), &windows));
  EXPECT_EQ(bytes, WriteWindowTemplate(windows));
}

TEST(WindowTemplateTest, EveryTruncationFailsCleanly) {
  const std::vector<uint8_t> bytes = Embedded();
  for (size_t n = 0; n < bytes.size(); ++n) {
    // Exactly n bytes, so that the sanitizers see any read past them.
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    std::vector<WindowRecord> windows;
    EXPECT_FALSE(ReadWindowTemplate(cut.data(), cut.size(), &windows)) << n;
  }
}

TEST(WindowTemplateTest, HandlersResolveOnlyWithTheWholeTable) {
  const std::vector<uint8_t> bytes = Embedded();
  std::vector<WindowRecord> windows;
  ASSERT_TRUE(ReadWindowTemplate(bytes.data(), bytes.size(), &windows));
  // StartBatchConversion is the last handler of the table and is bound.
  EXPECT_FALSE(ResolveHandlers(windows, kHandlerCount - 1));
  EXPECT_TRUE(ResolveHandlers(windows, kHandlerCount));
}

struct Row {
  uint32_t id;
  uint32_t type;
  const char* name;  // GBK, as the literal is compiled
  int32_t left, top, width, height;
  uint32_t flags;
  std::vector<std::pair<int32_t, int32_t>> events;  // event, handler index
};

constexpr uint32_t V = kFlagVisible;
constexpr uint32_t D = kFlagDisabled;
constexpr uint32_t T = kFlagTabStop;

void CheckRows(const WindowRecord& w, const std::vector<Row>& rows) {
  ASSERT_EQ(rows.size(), w.units.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row& r = rows[i];
    const UnitRecord& u = w.units[i];
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.id, u.id);
    EXPECT_EQ(r.type, u.type_id);
    EXPECT_EQ(std::string(r.name), u.name);
    EXPECT_EQ(r.left, u.left);
    EXPECT_EQ(r.top, u.top);
    EXPECT_EQ(r.width, u.width);
    EXPECT_EQ(r.height, u.height);
    EXPECT_EQ(r.flags, u.flags);
    ASSERT_EQ(r.events.size(), u.events.size());
    for (size_t e = 0; e < r.events.size(); ++e) {
      EXPECT_EQ(r.events[e].first, u.events[e].event);
      EXPECT_EQ(r.events[e].second, u.events[e].handler);
      EXPECT_EQ(4 * r.events[e].second, u.events[e].offset);
    }
    // Nothing else is stored for any unit of this program.
    EXPECT_FALSE(u.IsMenuItem());
    EXPECT_EQ(0u, u.shared_handler_unit);
    for (uint32_t word : u.header_reserved) EXPECT_EQ(0u, word);
    EXPECT_EQ("", u.text2);
    EXPECT_EQ(0u, u.live_slot);
    EXPECT_EQ(0u, u.pointer_slot);
    EXPECT_EQ(0u, u.container);
    EXPECT_TRUE(u.contained.empty());
    EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 0}), u.pointer_data);  // default pointer
    EXPECT_EQ("", u.tag);
    EXPECT_EQ(0u, u.reserved_a);
    EXPECT_EQ(0, u.focus_rank);
    for (uint32_t word : u.reserved_b) EXPECT_EQ(0u, word);
  }
}

TEST(WindowTemplateTest, HoldsBothWindowsInRegistryOrder) {
  const std::vector<WindowRecord> windows = ReadEmbedded();
  ASSERT_EQ(2u, windows.size());
  EXPECT_EQ(0x52010001u, windows[0].id);
  EXPECT_EQ(0x5201002Au, windows[1].id);
  for (const WindowRecord& w : windows) {
    EXPECT_EQ(0u, w.word_a);
    EXPECT_EQ(9u, IdKind(w.word_b));
    EXPECT_EQ(0x09000000u | IdSerial(w.id), w.word_b);
    EXPECT_EQ("", w.text1);
    EXPECT_EQ("", w.text2);
  }
}

TEST(WindowTemplateTest, MainWindowUnits) {
  const std::vector<WindowRecord> windows = ReadEmbedded();
  ASSERT_EQ(2u, windows.size());
  CheckRows(windows[0],
            {
                {0x06010000, kTypeWindow, "MainWindow", 50, 50, 678, 93, V,
                 {{0, kOnMainWindowCreated}, {1, kOnMainWindowCloseQuery}}},
                {0x16012BA7, kTypeButton, "按钮_单独转换", 538, 8, 60, 25, V | D | T,
                 {{0, kConvertSingleFile}}},
                {0x16012B84, kTypeButton, "按钮_停止", 608, 8, 60, 25, V | D | T,
                 {{0, kOnStopClick}}},
                {0x16010024, kTypeDropTarget, "拖放对象", 352, 8, 26, 26, 0,
                 {{3, kOnItemDropped}}},
                {0x16010023, kTypeTransLabel, "透明标签_说明", 96, 39, 430, 25, V, {}},
                {0x16010022, kTypeTransLabel, "透明标签_采样率", 7, 39, 48, 25, V, {}},
                {0x16010020, kTypeEditBox, "编辑框_采样率", 54, 40, 40, 20, V | T, {}},
                {0x1601001E, kTypeButton, "按钮_开始转换", 469, 8, 60, 25, V | D | T,
                 {{0, kOnBatchConvertClick}}},
                {0x1601001D, kTypeButton, "按钮_浏览目录", 400, 8, 60, 25, V | T,
                 {{0, kOnBrowseClick}}},
                {0x1601001C, kTypeEditBox, "编辑框_路径", 8, 8, 376, 25, V | T, {}},
            });
}

TEST(WindowTemplateTest, AccountListWindowUnits) {
  const std::vector<WindowRecord> windows = ReadEmbedded();
  ASSERT_EQ(2u, windows.size());
  CheckRows(windows[1],
            {
                {0x0601002B, kTypeWindow, "AccountListWindow", 50, 50, 160, 320, D,
                 {{1, kOnAccountListCloseQuery}}},
                {0x1601002C, kTypeListBox, "列表框_好友列表", 0, 0, 160, 320, V | T,
                 {{-1, kOnAccountListMouseDown}, {1, kStartBatchConversion}}},
            });
}

void CheckWindowData(const UnitRecord& own, const char* caption, int32_t own_taskbar_window) {
  WindowUnitData d;
  ASSERT_TRUE(ReadWindowUnitData(own.type_data, &d));
  EXPECT_EQ(6, d.version);
  EXPECT_EQ(2, d.border_style);
  EXPECT_EQ(1, d.picture_mode);
  EXPECT_EQ(0xFF000000u, d.background_colour);
  EXPECT_EQ(0, d.maximise_button);
  EXPECT_EQ(1, d.minimise_button);
  EXPECT_EQ(1, d.control_box);
  EXPECT_EQ(1, d.start_position);
  EXPECT_EQ(1, d.close_button);
  EXPECT_EQ(0, d.property14);
  EXPECT_EQ(0, d.enter_moves_focus);
  EXPECT_EQ(1, d.escape_closes);
  EXPECT_EQ(0, d.f1_opens_help);
  EXPECT_EQ(0, d.help_topic);
  EXPECT_EQ(own_taskbar_window, d.own_taskbar_window);
  EXPECT_EQ(0, d.drag_by_body);
  EXPECT_EQ(0, d.property28);
  EXPECT_EQ(0, d.always_on_top);
  EXPECT_EQ(0, d.property30);
  EXPECT_EQ("", d.text31);
  EXPECT_TRUE(d.background_picture.empty());
  EXPECT_TRUE(d.byte_block20.empty());
  EXPECT_TRUE(d.byte_block13.empty());
  EXPECT_EQ(std::string(caption), d.caption);
  EXPECT_EQ("", d.help_file);
}

TEST(WindowTemplateTest, WindowUnitData) {
  const std::vector<WindowRecord> windows = ReadEmbedded();
  ASSERT_EQ(2u, windows.size());
  {
    SCOPED_TRACE("MainWindow");
    CheckWindowData(windows[0].units[0], "Sonoteca[支持QQ、微信]", 1);
  }
  {
    SCOPED_TRACE("AccountListWindow");
    CheckWindowData(windows[1].units[0], "", 0);
  }
  const std::string caption = "Sonoteca[支持QQ、微信]";
  const unsigned char gbk[] = {'S', 'o', 'n', 'o', 't', 'e', 'c', 'a', '[', 0xD6, 0xA7,
                               0xB3, 0xD6, 'Q', 'Q', 0xA1, 0xA2, 0xCE, 0xA2, 0xD0, 0xC5, ']'};
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(gbk), sizeof gbk), caption);
}

TEST(WindowTemplateTest, ControlStoredData) {
  const std::vector<WindowRecord> windows = ReadEmbedded();
  ASSERT_EQ(2u, windows.size());
  const std::vector<UnitRecord>& m = windows[0].units;
  ASSERT_EQ(10u, m.size());

  // Buttons: version 1, caption as a counted text.
  EXPECT_EQ(Bytes().I32(1).Counted("单独转换").Get(), m[1].type_data);
  EXPECT_EQ(Bytes().I32(1).Counted("停止").Get(), m[2].type_data);
  EXPECT_EQ(Bytes().I32(1).Counted("批量转换").Get(), m[7].type_data);
  EXPECT_EQ(Bytes().I32(1).Counted("浏览目录").Get(), m[8].type_data);

  // Drop target: version 1, files only.
  EXPECT_EQ(Bytes().I32(1).I32(0).I32(0).I32(0).I32(1).Get(), m[3].type_data);

  // Labels: version 1, no effect, black, left, centre, no wrap, no font.
  auto label = [](const char* caption) {
    return Bytes().I32(1).I32(0).U32(0).I32(0).I32(1).I32(0).I32(0).Counted(caption).Get();
  };
  EXPECT_EQ(label("如果转换出来的声音不对可以尝试增减采样率，增(声音变尖锐)减(声音变低沉)"),
            m[4].type_data);
  EXPECT_EQ(label("采样率:"), m[5].type_data);

  // Sample-rate box: version 2, border 1, white, hide-selection, at most 5,
  // single line, no scroll bars, left, input mode 7, '*', as typed, no spin
  // button (0 to 100), selection 0/0, no font, "12000", two empty texts.
  Bytes rate;
  rate.I32(2).I32(1).I32(0).U32(0xFFFFFF).I32(1).I32(5).I32(0).I32(0).I32(0).I32(7);
  rate.U16(0x2A).I32(0).I32(0).I32(0).I32(100).I32(0).I32(0);
  rate.I32(0).Counted("12000").Counted("").Counted("");
  EXPECT_EQ(rate.Get(), m[6].type_data);

  // The path box stores nothing and gets its type's defaults.
  EXPECT_TRUE(m[9].type_data.empty());
}

TEST(WindowTemplateTest, ListBoxStoredData) {
  const std::vector<WindowRecord> windows = ReadEmbedded();
  ASSERT_EQ(2u, windows.size());
  const std::vector<uint8_t>& data = windows[1].units.at(1).type_data;
  ASSERT_EQ(9u * 4 + 4 + 60, data.size());
  EXPECT_EQ(1, IntAt(data, 0));           // version
  EXPECT_EQ(0, IntAt(data, 8));           // not sorted
  EXPECT_EQ(0, IntAt(data, 12));          // one column, vertical scroll bar
  EXPECT_EQ(1, IntAt(data, 16));          // item height + 1
  EXPECT_EQ(0xFFFFFF, IntAt(data, 24));   // white background
  EXPECT_EQ(0, IntAt(data, 28));          // single selection
  EXPECT_EQ(-1, IntAt(data, 32));         // nothing selected
  EXPECT_EQ(60, IntAt(data, 36));         // font record length
  const size_t font = 40;
  EXPECT_EQ(-16, IntAt(data, font + 0));  // height
  EXPECT_EQ(0, IntAt(data, font + 4));    // width
  EXPECT_EQ(400, IntAt(data, font + 16)); // weight
  EXPECT_EQ(0, data[font + 20]);          // not italic
  EXPECT_EQ(134, data[font + 23]);        // character set
  const std::string face(reinterpret_cast<const char*>(&data[font + 28]), 32);
  EXPECT_EQ(std::string("微软雅黑") + std::string(32 - 8, '\0'), face);
  const unsigned char gbk[] = {0xCE, 0xA2, 0xC8, 0xED, 0xD1, 0xC5, 0xBA, 0xDA};
  EXPECT_EQ(0, std::memcmp(gbk, &data[font + 28], sizeof gbk));
}

}  // namespace
}  // namespace rt
