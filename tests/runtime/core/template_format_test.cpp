#include "runtime/core/template_format.h"

#include <gtest/gtest.h>

#include <functional>

#include "runtime/core/window_unit_data.h"
#include "tests/runtime/core/template_test_bytes.h"

namespace rt {
namespace {

using testing_bytes::Bytes;
using testing_bytes::BuildTemplate;
using testing_bytes::IntAt;
using testing_bytes::RawWindow;
using testing_bytes::WordAt;

constexpr uint32_t kWindowId = 0x52010005;
constexpr uint32_t kOwnUnitId = 0x06010006;
constexpr uint32_t kButtonId = 0x16010007;
constexpr uint32_t kMenuItemId = 0x26010008;

// Raw counts of a control record; -2 means "the real count".
struct ControlShape {
  int32_t contained_count = -2;
  int32_t pointer_size = -2;
  int32_t event_count = -2;
  std::vector<std::pair<int32_t, int32_t>> events = {{0, 4}, {-1, -1}};
  bool name_terminated = true;
};

// A control record with a distinct value in every field.
std::vector<uint8_t> ControlRecord(const ControlShape& shape = ControlShape()) {
  Bytes r;
  r.U32(kTypeButton).U32(0x16010005).U32(1).U32(2).U32(3).U32(4);
  if (!shape.name_terminated) return r.Raw(std::string("按钮_停止")).Get();
  r.Zero("按钮_停止").Zero("x2");
  r.U32(0x11).I32(10).I32(-20).I32(30).I32(40).U32(0x22).U32(0x16010007);
  r.I32(shape.contained_count == -2 ? 2 : shape.contained_count).U32(0x16010008).U32(0x16010009);
  r.I32(shape.pointer_size == -2 ? 4 : shape.pointer_size).U32(5);
  r.Zero("tag").U32(0x33).U32(kFlagVisible | kFlagDisabled | kFlagTabStop).I32(9);
  r.I32(shape.event_count == -2 ? static_cast<int32_t>(shape.events.size()) : shape.event_count);
  for (const auto& e : shape.events) r.I32(e.first).I32(e.second);
  r.U32(0x41).U32(0x42).U32(0x43).U32(0x44).U32(0x45);
  r.Raw(std::vector<uint8_t>{0xAA, 0xBB, 0xCC});
  return r.Get();
}

std::vector<uint8_t> MenuRecord() {
  Bytes r;
  r.U32(kTypeMenuItem).U32(0).U32(0).U32(0).U32(0).U32(0).Zero("菜单").Zero("");
  r.U32(0x51).U32(0x52).U32(kMenuHidden | kMenuChecked).Zero("打开").I32(8);
  return r.Get();
}

// The own unit of a window: no events, no type data.
std::vector<uint8_t> OwnUnitRecord() {
  Bytes r;
  r.U32(kTypeWindow).U32(0).U32(0).U32(0).U32(0).U32(0).Zero("").Zero("");
  r.U32(0).I32(1).I32(2).I32(3).I32(4).U32(0).U32(0).I32(0).I32(0).Zero("").U32(0);
  r.U32(kFlagVisible).I32(0).I32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
  return r.Get();
}

RawWindow SampleWindow() {
  RawWindow w;
  w.id = kWindowId;
  w.word_a = 0xA0A0A0A0;
  w.word_b = 0x09010005;
  w.text1 = "一";
  w.text2 = "two";
  w.unit_ids = {kOwnUnitId, kButtonId, kMenuItemId};
  w.records = {OwnUnitRecord(), ControlRecord(), MenuRecord()};
  return w;
}

bool Read(const std::vector<uint8_t>& bytes, std::vector<WindowRecord>* windows) {
  return ReadWindowTemplate(bytes.data(), bytes.size(), windows);
}

TEST(TemplateFormatTest, ReadsEveryFieldOfAHandBuiltStream) {
  std::vector<WindowRecord> windows;
  ASSERT_TRUE(Read(BuildTemplate({SampleWindow()}), &windows));
  ASSERT_EQ(1u, windows.size());
  const WindowRecord& w = windows[0];
  EXPECT_EQ(kWindowId, w.id);
  EXPECT_EQ(0xA0A0A0A0u, w.word_a);
  EXPECT_EQ(0x09010005u, w.word_b);
  EXPECT_EQ("一", w.text1);
  EXPECT_EQ("two", w.text2);
  ASSERT_EQ(3u, w.units.size());

  const UnitRecord& own = w.units[0];
  EXPECT_EQ(kOwnUnitId, own.id);
  EXPECT_EQ(kTypeWindow, own.type_id);
  EXPECT_EQ(1, own.left);
  EXPECT_EQ(4, own.height);
  EXPECT_TRUE(own.events.empty());
  EXPECT_TRUE(own.type_data.empty());

  const UnitRecord& b = w.units[1];
  EXPECT_EQ(kButtonId, b.id);
  EXPECT_EQ(kTypeButton, b.type_id);
  EXPECT_EQ(0x16010005u, b.shared_handler_unit);
  EXPECT_EQ(1u, b.header_reserved[0]);
  EXPECT_EQ(4u, b.header_reserved[3]);
  EXPECT_EQ("按钮_停止", b.name);
  EXPECT_EQ("x2", b.text2);
  EXPECT_EQ(0x11u, b.live_slot);
  EXPECT_EQ(10, b.left);
  EXPECT_EQ(-20, b.top);
  EXPECT_EQ(30, b.width);
  EXPECT_EQ(40, b.height);
  EXPECT_EQ(0x22u, b.pointer_slot);
  EXPECT_EQ(0x16010007u, b.container);
  EXPECT_EQ((std::vector<uint32_t>{0x16010008, 0x16010009}), b.contained);
  EXPECT_EQ((std::vector<uint8_t>{5, 0, 0, 0}), b.pointer_data);
  EXPECT_EQ("tag", b.tag);
  EXPECT_EQ(0x33u, b.reserved_a);
  EXPECT_EQ(7u, b.flags);
  EXPECT_EQ(9, b.focus_rank);
  ASSERT_EQ(2u, b.events.size());
  EXPECT_EQ(0, b.events[0].event);
  EXPECT_EQ(4, b.events[0].offset);
  EXPECT_EQ(-1, b.events[1].event);
  EXPECT_EQ(-1, b.events[1].offset);
  EXPECT_EQ(kNoHandler, b.events[0].handler);  // not resolved yet
  EXPECT_EQ(0x41u, b.reserved_b[0]);
  EXPECT_EQ(0x45u, b.reserved_b[4]);
  EXPECT_EQ((std::vector<uint8_t>{0xAA, 0xBB, 0xCC}), b.type_data);
  EXPECT_EQ(nullptr, b.live);

  const UnitRecord& m = w.units[2];
  EXPECT_TRUE(m.IsMenuItem());
  EXPECT_EQ(kTypeMenuItem, m.type_id);
  EXPECT_EQ("菜单", m.name);
  EXPECT_EQ(0x51u, m.menu_reserved[0]);
  EXPECT_EQ(0x52u, m.menu_reserved[1]);
  EXPECT_EQ(kMenuHidden | kMenuChecked, m.flags);
  EXPECT_EQ("打开", m.caption);
  EXPECT_EQ(8, m.menu_event.offset);
  EXPECT_TRUE(m.events.empty());
  EXPECT_TRUE(m.type_data.empty());
}

TEST(TemplateFormatTest, WriterReproducesTheHandBuiltStream) {
  const std::vector<uint8_t> bytes = BuildTemplate({SampleWindow(), SampleWindow()});
  std::vector<WindowRecord> windows;
  ASSERT_TRUE(Read(bytes, &windows));
  EXPECT_EQ(bytes, WriteWindowTemplate(windows));
}

TEST(TemplateFormatTest, IndexSlotsAreCarriedUnchanged) {
  std::vector<WindowRecord> windows;
  const std::vector<uint8_t> bytes = BuildTemplate({SampleWindow()}, 0xDEADBEEF);
  ASSERT_TRUE(Read(bytes, &windows));
  EXPECT_EQ(0xDEADBEEFu, windows[0].index_slot);
  EXPECT_EQ(bytes, WriteWindowTemplate(windows));
}

TEST(TemplateFormatTest, EventCountZeroIsFollowedByTheFiveReservedWords) {
  ControlShape shape;
  shape.events.clear();
  RawWindow w = SampleWindow();
  w.records[1] = ControlRecord(shape);
  std::vector<WindowRecord> windows;
  ASSERT_TRUE(Read(BuildTemplate({w}), &windows));
  const UnitRecord& b = windows[0].units[1];
  EXPECT_TRUE(b.events.empty());
  EXPECT_EQ(0x41u, b.reserved_b[0]);
  EXPECT_EQ(0x45u, b.reserved_b[4]);
  EXPECT_EQ((std::vector<uint8_t>{0xAA, 0xBB, 0xCC}), b.type_data);
}

TEST(TemplateFormatTest, TheShortestWindowIsAccepted) {
  // One window whose only unit is a menu item with empty texts: the size
  // bounds on the counts must let it through.
  RawWindow w;
  w.id = kWindowId;
  w.unit_ids = {kMenuItemId};
  w.records = {Bytes().U32(kTypeMenuItem).U32(0).U32(0).U32(0).U32(0).U32(0).Zero("").Zero("")
                   .U32(0).U32(0).U32(0).Zero("").I32(-1).Get()};
  const std::vector<uint8_t> bytes = BuildTemplate({w});
  ASSERT_EQ(4u + 8 + 24 + 12 + 43, bytes.size());
  std::vector<WindowRecord> windows;
  ASSERT_TRUE(Read(bytes, &windows));
  ASSERT_EQ(1u, windows[0].units.size());
  EXPECT_EQ(-1, windows[0].units[0].menu_event.offset);
  EXPECT_EQ(bytes, WriteWindowTemplate(windows));
}

TEST(TemplateFormatTest, AnEmptyTemplateHasNoWindows) {
  std::vector<WindowRecord> windows(1);
  const std::vector<uint8_t> bytes = Bytes().I32(0).Get();
  ASSERT_TRUE(Read(bytes, &windows));
  EXPECT_TRUE(windows.empty());
  EXPECT_EQ(bytes, WriteWindowTemplate(windows));
}

// Every way the framing or a record can be impossible.
TEST(TemplateFormatTest, MalformedStreamsFailAndLeaveTheOutputAlone) {
  const std::vector<uint8_t> good = BuildTemplate({SampleWindow()});
  // Offsets into `good`: index (4 + 4 + 4), entry words and texts, N, Z.
  const size_t texts = 8 + SampleWindow().text1.size() + SampleWindow().text2.size();
  const size_t at_n = 12 + 8 + texts;
  const size_t at_z = at_n + 4;
  const size_t at_ids = at_z + 4;
  const size_t at_offsets = at_ids + 12;
  ASSERT_EQ(3, IntAt(good, at_n));
  ASSERT_EQ(static_cast<int32_t>(good.size() - at_ids), IntAt(good, at_z));

  auto patched = [&good](size_t at, uint32_t value) {
    std::vector<uint8_t> b = good;
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(value >> (8 * i));
    return b;
  };
  auto with_record = [](int index, const std::vector<uint8_t>& record) {
    RawWindow w = SampleWindow();
    w.records[index] = record;
    return BuildTemplate({w});
  };
  const size_t second_offset = 4 + OwnUnitRecord().size();

  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> trailing = good;
  trailing.push_back(0);
  std::vector<uint8_t> own_cut = OwnUnitRecord();
  own_cut.pop_back();
  std::vector<uint8_t> menu_extra = MenuRecord();
  menu_extra.push_back(0);
  std::vector<uint8_t> menu_short = MenuRecord();
  menu_short.resize(menu_short.size() - 1);
  ControlShape huge_contained, negative_contained, huge_pointer, negative_pointer, huge_events,
      negative_events, unterminated;
  huge_contained.contained_count = 0x7FFFFFFF;
  negative_contained.contained_count = -1;
  huge_pointer.pointer_size = 1000;
  negative_pointer.pointer_size = -4;
  huge_events.event_count = 0x10000000;
  negative_events.event_count = -1;
  unterminated.name_terminated = false;
  RawWindow no_units = SampleWindow();
  no_units.unit_ids.clear();
  no_units.records.clear();
  RawWindow bad_text = SampleWindow();
  bad_text.text1 = std::string(3, 'x');

  const std::vector<Case> cases = {
      {"empty stream", {}},
      {"index size not a multiple of 8", patched(0, 12)},
      {"negative index size", patched(0, 0xFFFFFFF8)},
      {"index larger than the stream", patched(0, 0x7FFFFFF8)},
      {"trailing byte after the last window", trailing},
      {"unit count 0", BuildTemplate({no_units})},
      {"negative unit count", patched(at_n, 0xFFFFFFFF)},
      {"unit count beyond the block", patched(at_n, 0x10000000)},
      {"unit count one more than the records", patched(at_n, 4)},
      {"negative block size", patched(at_z, 0xFFFFFFFF)},
      {"block size beyond the stream", patched(at_z, IntAt(good, at_z) + 1)},
      {"block size one short", patched(at_z, IntAt(good, at_z) - 1)},
      {"first offset not 0", patched(at_offsets, 4)},
      {"offset leaves a gap", patched(at_offsets + 4, second_offset + 4)},
      {"offsets overlap", patched(at_offsets + 4, second_offset - 4)},
      {"offset outside the block", patched(at_offsets + 8, 0x00FFFFFF)},
      {"records out of order", patched(at_offsets + 4, 0)},
      {"negative text count", patched(12 + 8, 0xFFFFFFFF)},
      {"text count beyond the stream", patched(12 + 8, 0x7FFFFFFF)},
      {"contained count beyond the record", with_record(1, ControlRecord(huge_contained))},
      {"negative contained count", with_record(1, ControlRecord(negative_contained))},
      {"pointer data beyond the record", with_record(1, ControlRecord(huge_pointer))},
      {"negative pointer data size", with_record(1, ControlRecord(negative_pointer))},
      {"event count beyond the record", with_record(1, ControlRecord(huge_events))},
      {"negative event count", with_record(1, ControlRecord(negative_events))},
      {"name without its terminator", with_record(1, ControlRecord(unterminated))},
      {"record cut before the reserved words", with_record(0, own_cut)},
      {"menu record with a byte too many", with_record(2, menu_extra)},
      {"menu record cut short", with_record(2, menu_short)},
  };
  for (const Case& c : cases) {
    std::vector<WindowRecord> windows(2);
    windows[0].id = 77;
    EXPECT_FALSE(Read(c.bytes, &windows)) << c.what;
    ASSERT_EQ(2u, windows.size()) << c.what;
    EXPECT_EQ(77u, windows[0].id) << c.what;
  }
  EXPECT_FALSE(ReadWindowTemplate(nullptr, 4, nullptr));
}

TEST(TemplateFormatTest, RecordLengthBeyondTheBlockFails) {
  std::vector<uint8_t> bytes = BuildTemplate({SampleWindow()});
  // The first record's length word follows the offset table.
  const size_t texts = 8 + SampleWindow().text1.size() + SampleWindow().text2.size();
  const size_t at_length = 12 + 8 + texts + 8 + 24;
  ASSERT_EQ(OwnUnitRecord().size(), WordAt(bytes, at_length));
  for (uint32_t length : {0xFFFFFFFFu, 0x80000000u, static_cast<uint32_t>(bytes.size())}) {
    std::vector<uint8_t> b = bytes;
    for (int i = 0; i < 4; ++i) b[at_length + i] = static_cast<uint8_t>(length >> (8 * i));
    std::vector<WindowRecord> windows;
    EXPECT_FALSE(Read(b, &windows)) << length;
  }
}

TEST(TemplateFormatTest, EveryTruncationOfAHandBuiltStreamFails) {
  const std::vector<uint8_t> good = BuildTemplate({SampleWindow(), SampleWindow()});
  for (size_t n = 0; n < good.size(); ++n) {
    // A copy of exactly n bytes, so that the sanitizers see any read past it.
    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    std::vector<WindowRecord> windows;
    EXPECT_FALSE(ReadWindowTemplate(cut.data(), cut.size(), &windows)) << n;
  }
}

TEST(TemplateFormatTest, WriterRefusesWhatItCannotStore) {
  std::vector<WindowRecord> windows;
  ASSERT_TRUE(Read(BuildTemplate({SampleWindow()}), &windows));

  std::vector<WindowRecord> zero_in_name = windows;
  zero_in_name[0].units[1].name = std::string("a\0b", 3);
  EXPECT_TRUE(WriteWindowTemplate(zero_in_name).empty());

  std::vector<WindowRecord> zero_in_caption = windows;
  zero_in_caption[0].units[2].caption = std::string("\0", 1);
  EXPECT_TRUE(WriteWindowTemplate(zero_in_caption).empty());

  std::vector<WindowRecord> no_units = windows;
  no_units[0].units.clear();
  EXPECT_TRUE(WriteWindowTemplate(no_units).empty());

  // Counted texts may hold zero bytes.
  std::vector<WindowRecord> zero_in_counted = windows;
  zero_in_counted[0].text1 = std::string("\0\0", 2);
  const std::vector<uint8_t> bytes = WriteWindowTemplate(zero_in_counted);
  std::vector<WindowRecord> back;
  ASSERT_TRUE(Read(bytes, &back));
  EXPECT_EQ(std::string("\0\0", 2), back[0].text1);
}

TEST(TemplateFormatTest, MenuItemLayoutIsChosenByTheUnitId) {
  // The same menu record under a control id is read as a control and fails,
  // since the menu layout ends long before a control's fields would.
  RawWindow w = SampleWindow();
  w.unit_ids[2] = 0x16010008;
  std::vector<WindowRecord> windows;
  EXPECT_FALSE(Read(BuildTemplate({w}), &windows));
}

std::vector<WindowRecord> WindowsWithOffsets(const std::vector<int32_t>& offsets,
                                             int32_t menu_offset = -1) {
  std::vector<WindowRecord> windows(1);
  UnitRecord control;
  control.id = kButtonId;
  for (int32_t o : offsets) {
    EventBinding e;
    e.offset = o;
    e.handler = 99;
    control.events.push_back(e);
  }
  UnitRecord menu;
  menu.id = kMenuItemId;
  menu.menu_event.offset = menu_offset;
  menu.menu_event.handler = 99;
  windows[0].units = {control, menu};
  return windows;
}

TEST(ResolveHandlersTest, TurnsOffsetsIntoIndexes) {
  std::vector<WindowRecord> windows = WindowsWithOffsets({-1, 0, 4, 36}, 8);
  ASSERT_TRUE(ResolveHandlers(windows, 10));
  const UnitRecord& c = windows[0].units[0];
  EXPECT_EQ(kNoHandler, c.events[0].handler);
  EXPECT_EQ(0, c.events[1].handler);  // offset 0 is the code base itself
  EXPECT_EQ(1, c.events[2].handler);
  EXPECT_EQ(9, c.events[3].handler);
  EXPECT_EQ(36, c.events[3].offset);  // the stored offset stays
  EXPECT_EQ(2, windows[0].units[1].menu_event.handler);

  std::vector<WindowRecord> no_menu_handler = WindowsWithOffsets({}, -1);
  ASSERT_TRUE(ResolveHandlers(no_menu_handler, 10));
  EXPECT_EQ(kNoHandler, no_menu_handler[0].units[1].menu_event.handler);
}

TEST(ResolveHandlersTest, RejectsOffsetsOutsideTheTable) {
  for (int32_t bad : {40, 3, -4, -2, 2, 0x7FFFFFFC, static_cast<int32_t>(0x80000000)}) {
    std::vector<WindowRecord> in_event = WindowsWithOffsets({0, bad});
    EXPECT_FALSE(ResolveHandlers(in_event, 10)) << bad;
    std::vector<WindowRecord> in_menu = WindowsWithOffsets({0}, bad);
    EXPECT_FALSE(ResolveHandlers(in_menu, 10)) << bad;
  }
  std::vector<WindowRecord> empty_table = WindowsWithOffsets({0});
  EXPECT_FALSE(ResolveHandlers(empty_table, 0));
  std::vector<WindowRecord> none_only = WindowsWithOffsets({-1});
  EXPECT_TRUE(ResolveHandlers(none_only, 0));
}

// Version 6 data with a distinct value in every field.
Bytes WindowDataV6() {
  Bytes b;
  b.I32(6).I32(4).I32(3).U32(0x00112233).I32(1).I32(0).I32(0).I32(3).I32(0).I32(2);
  b.I32(1).I32(0).I32(1).I32(77);
  b.I32(0).I32(1).I32(29).I32(1).I32(-5).Counted("三十一");
  b.Counted("pic").Counted("").Counted("b13").Counted("标题").Counted("help.hlp");
  return b;
}

TEST(WindowUnitDataTest, ReadsEveryFieldOfVersion6) {
  WindowUnitData d;
  ASSERT_TRUE(ReadWindowUnitData(WindowDataV6().Get(), &d));
  EXPECT_EQ(6, d.version);
  EXPECT_EQ(4, d.border_style);
  EXPECT_EQ(3, d.picture_mode);
  EXPECT_EQ(0x00112233u, d.background_colour);
  EXPECT_EQ(1, d.maximise_button);
  EXPECT_EQ(0, d.minimise_button);
  EXPECT_EQ(0, d.control_box);
  EXPECT_EQ(3, d.start_position);
  EXPECT_EQ(0, d.close_button);
  EXPECT_EQ(2, d.property14);
  EXPECT_EQ(1, d.enter_moves_focus);
  EXPECT_EQ(0, d.escape_closes);
  EXPECT_EQ(1, d.f1_opens_help);
  EXPECT_EQ(77, d.help_topic);
  EXPECT_EQ(0, d.own_taskbar_window);
  EXPECT_EQ(1, d.drag_by_body);
  EXPECT_EQ(29, d.property28);
  EXPECT_EQ(1, d.always_on_top);
  EXPECT_EQ(-5, d.property30);
  EXPECT_EQ("三十一", d.text31);
  EXPECT_EQ((std::vector<uint8_t>{'p', 'i', 'c'}), d.background_picture);
  EXPECT_TRUE(d.byte_block20.empty());
  EXPECT_EQ((std::vector<uint8_t>{'b', '1', '3'}), d.byte_block13);
  EXPECT_EQ("标题", d.caption);
  EXPECT_EQ("help.hlp", d.help_file);
  EXPECT_EQ(WindowDataV6().Get(), WriteWindowUnitData(d));
}

TEST(WindowUnitDataTest, EmptyDataGivesTheDefaults) {
  WindowUnitData d;
  d.border_style = 5;
  d.caption = "x";
  ASSERT_TRUE(ReadWindowUnitData({}, &d));
  EXPECT_EQ(6, d.version);
  EXPECT_EQ(2, d.border_style);
  EXPECT_EQ(1, d.picture_mode);
  EXPECT_EQ(0xFF000000u, d.background_colour);
  EXPECT_EQ(0, d.maximise_button);
  EXPECT_EQ(1, d.minimise_button);
  EXPECT_EQ(1, d.control_box);
  EXPECT_EQ(1, d.start_position);
  EXPECT_EQ(1, d.close_button);
  EXPECT_EQ(1, d.escape_closes);
  EXPECT_EQ(1, d.own_taskbar_window);
  EXPECT_EQ(0, d.always_on_top);
  EXPECT_EQ("", d.caption);
}

TEST(WindowUnitDataTest, OlderVersionsKeepTheDefaultsOfLaterFields) {
  Bytes v1;
  v1.I32(1).I32(0).I32(0).U32(0xFFFFFF).I32(1).I32(0).I32(0).I32(0).I32(0).I32(0);
  v1.I32(1).I32(0).I32(1).I32(5);
  v1.Counted("").Counted("").Counted("").Counted("旧").Counted("");
  WindowUnitData d;
  ASSERT_TRUE(ReadWindowUnitData(v1.Get(), &d));
  EXPECT_EQ(1, d.version);
  EXPECT_EQ(0, d.border_style);
  EXPECT_EQ(0xFFFFFFu, d.background_colour);
  EXPECT_EQ(0, d.escape_closes);
  EXPECT_EQ(5, d.help_topic);
  EXPECT_EQ("旧", d.caption);
  EXPECT_EQ(1, d.own_taskbar_window);  // version >= 2 field: default
  EXPECT_EQ(0, d.drag_by_body);
  EXPECT_EQ(0, d.property28);
  EXPECT_EQ(0, d.always_on_top);
  EXPECT_EQ(0, d.property30);
  EXPECT_EQ("", d.text31);
  EXPECT_EQ(v1.Get(), WriteWindowUnitData(d));

  // Each version adds its fields: 4 bytes for 2, 4 and 5, 8 for 3, a
  // counted text for 6 (here one byte long).
  const size_t sizes[] = {0, v1.Size(), v1.Size() + 4, v1.Size() + 12, v1.Size() + 16,
                          v1.Size() + 20, v1.Size() + 24};
  for (int32_t version = 1; version <= 6; ++version) {
    WindowUnitData w;
    w.version = version;
    w.caption = "旧";
    w.own_taskbar_window = 0;
    w.drag_by_body = 1;
    w.always_on_top = 1;
    w.property30 = 9;
    w.text31 = "t";
    const std::vector<uint8_t> bytes = WriteWindowUnitData(w);
    EXPECT_EQ(sizes[version] + (version == 6 ? 1 : 0), bytes.size()) << version;
    WindowUnitData back;
    ASSERT_TRUE(ReadWindowUnitData(bytes, &back)) << version;
    EXPECT_EQ(version, back.version);
    EXPECT_EQ("旧", back.caption);
    EXPECT_EQ(version >= 2 ? 0 : 1, back.own_taskbar_window) << version;
    EXPECT_EQ(version >= 3 ? 1 : 0, back.drag_by_body) << version;
    EXPECT_EQ(version >= 4 ? 1 : 0, back.always_on_top) << version;
    EXPECT_EQ(version >= 5 ? 9 : 0, back.property30) << version;
    EXPECT_EQ(version >= 6 ? "t" : "", back.text31) << version;
    EXPECT_EQ(bytes, WriteWindowUnitData(back));
  }
}

TEST(WindowUnitDataTest, RejectsUnreadableData) {
  WindowUnitData untouched;
  untouched.caption = "keep";
  std::vector<uint8_t> v7 = WindowDataV6().Get();
  v7[0] = 7;
  EXPECT_FALSE(ReadWindowUnitData(v7, &untouched));
  std::vector<uint8_t> trailing = WindowDataV6().Get();
  trailing.push_back(0);
  EXPECT_FALSE(ReadWindowUnitData(trailing, &untouched));
  std::vector<uint8_t> huge_text = Bytes().I32(1).Get();
  huge_text.resize(4 + 13 * 4, 0);
  Bytes tail;
  tail.I32(0x7FFFFFFF);
  huge_text.insert(huge_text.end(), tail.Get().begin(), tail.Get().end());
  EXPECT_FALSE(ReadWindowUnitData(huge_text, &untouched));
  const std::vector<uint8_t> good = WindowDataV6().Get();
  for (size_t n = 1; n < good.size(); ++n) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_FALSE(ReadWindowUnitData(cut, &untouched)) << n;
  }
  EXPECT_EQ("keep", untouched.caption);

  WindowUnitData future;
  future.version = 7;
  EXPECT_EQ((std::vector<uint8_t>{7, 0, 0, 0}), WriteWindowUnitData(future));
}

}  // namespace
}  // namespace rt
