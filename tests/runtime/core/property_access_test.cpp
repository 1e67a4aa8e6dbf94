#include "runtime/core/property_access.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "runtime/core/heap.h"
#include "runtime/core/property_conversion.h"
#include "runtime/core/runtime_state.h"

namespace rt {
namespace {

constexpr uint32_t kWin = 0x52010001;
constexpr uint32_t kOwn = 0x06010000;
constexpr uint32_t kButton = 0x1601001E;
constexpr uint32_t kMenu = 0x26010007;

// A window that is not loaded: every access goes to its stored records.
class StoredPropertyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Window w;
    w.record.id = kWin;
    UnitRecord own;
    own.id = kOwn;
    own.type_id = kTypeWindow;
    own.flags = kFlagVisible;
    own.left = 50;
    own.width = 678;
    UnitRecord button;
    button.id = kButton;
    button.type_id = kTypeButton;
    button.flags = kFlagVisible | kFlagDisabled | kFlagTabStop;
    button.left = 469;
    button.top = 8;
    button.width = 60;
    button.height = 25;
    UnitRecord menu;
    menu.id = kMenu;
    menu.type_id = kTypeMenuItem;
    menu.caption = "文件";
    menu.flags = kMenuChecked;
    w.record.units = {own, button, menu};
    Runtime().windows.push_back(w);
  }
  void TearDown() override { Runtime().windows.clear(); }
  UnitRecord& Unit(int i) { return Runtime().windows[0].record.units[i]; }
};

TEST_F(StoredPropertyTest, GeometryIsClampedWhenStored) {
  WriteProperty(kWin, kButton, kPropWidth, -1, -5, 0);
  EXPECT_EQ(0, ReadProperty(kWin, kButton, kPropWidth, -1));
  WriteProperty(kWin, kButton, kPropLeft, -1, 40000, 0);
  EXPECT_EQ(32627, ReadProperty(kWin, kButton, kPropLeft, -1));
  WriteProperty(kWin, kButton, kPropTop, -1, -40000, 0);
  EXPECT_EQ(-32627, Unit(1).top);
  WriteProperty(kWin, kButton, kPropHeight, -1, 32628, 0);
  EXPECT_EQ(32627, Unit(1).height);
  WriteProperty(kWin, kButton, kPropLeft, -1, -7, 0);
  EXPECT_EQ(-7, ReadProperty(kWin, kButton, kPropLeft, -1));
}

TEST_F(StoredPropertyTest, VisibleAndDisabledLiveInTheFlagWord) {
  EXPECT_EQ(1, ReadProperty(kWin, kButton, kPropVisible, -1));
  EXPECT_EQ(1, ReadProperty(kWin, kButton, kPropDisabled, -1));
  WriteProperty(kWin, kButton, kPropVisible, -1, 0, 0);
  WriteProperty(kWin, kButton, kPropDisabled, -1, 0, 0);
  EXPECT_EQ(kFlagTabStop, Unit(1).flags);
  EXPECT_EQ(0, ReadProperty(kWin, kButton, kPropVisible, -1));
  WriteProperty(kWin, kButton, kPropVisible, -1, 7, 0);  // any nonzero value is true
  EXPECT_EQ(kFlagTabStop | kFlagVisible, Unit(1).flags);
}

TEST_F(StoredPropertyTest, ControlZeroIsTheWindowsOwnUnit) {
  EXPECT_EQ(678, ReadProperty(kWin, 0, kPropWidth, -1));
  WriteProperty(kWin, 0, kPropLeft, -1, 12, 0);
  EXPECT_EQ(12, Unit(0).left);
  EXPECT_EQ(12, ReadProperty(kWin, kOwn, kPropLeft, -1));
}

TEST_F(StoredPropertyTest, TagTextIsCopiedInAndOut) {
  EXPECT_EQ(0, ReadProperty(kWin, kButton, kPropTag, -1)) << "an empty tag reads as null";
  char tag[] = "标记";
  WriteProperty(kWin, kButton, kPropTag, -1, reinterpret_cast<intptr_t>(tag), 0);
  tag[0] = 'x';
  auto* read = reinterpret_cast<char*>(static_cast<intptr_t>(ReadProperty(kWin, kButton, kPropTag, -1)));
  EXPECT_STREQ("标记", read);
  FreeMemory(read);
  WriteProperty(kWin, kButton, kPropTag, -1, 0, 0);
  EXPECT_EQ("", Unit(1).tag);
}

TEST_F(StoredPropertyTest, MousePointerCodesAreTranslatedBothWays) {
  const int32_t hand = 16;
  void* buffer = NewByteBuffer(&hand, 4);
  WriteProperty(kWin, kButton, kPropMousePointer, -1, reinterpret_cast<intptr_t>(buffer), 0);
  FreeMemory(buffer);
  ASSERT_EQ(4u, Unit(1).pointer_data.size());
  int32_t stored;
  std::memcpy(&stored, Unit(1).pointer_data.data(), 4);
  EXPECT_EQ(32649, stored);
  void* read = reinterpret_cast<void*>(static_cast<intptr_t>(ReadProperty(kWin, kButton, kPropMousePointer, -1)));
  ASSERT_EQ(4, ByteBufferLength(read));
  int32_t code;
  std::memcpy(&code, ByteBufferData(read), 4);
  EXPECT_EQ(16, code);
  FreeMemory(read);
  WriteProperty(kWin, kButton, kPropMousePointer, -1, 0, 0);
  EXPECT_TRUE(Unit(1).pointer_data.empty());
}

TEST_F(StoredPropertyTest, MenuItemsHaveTheirOwnFourProperties) {
  auto* caption = reinterpret_cast<char*>(static_cast<intptr_t>(ReadProperty(kWin, kMenu, kMenuPropCaption, -1)));
  EXPECT_STREQ("文件", caption);
  FreeMemory(caption);
  EXPECT_EQ(1, ReadProperty(kWin, kMenu, kMenuPropChecked, -1));
  EXPECT_EQ(0, ReadProperty(kWin, kMenu, kMenuPropDisabled, -1));
  EXPECT_EQ(1, ReadProperty(kWin, kMenu, kMenuPropVisible, -1));
  WriteProperty(kWin, kMenu, kMenuPropVisible, -1, 0, 0);
  WriteProperty(kWin, kMenu, kMenuPropDisabled, -1, 1, 0);
  WriteProperty(kWin, kMenu, kMenuPropChecked, -1, 0, 0);
  EXPECT_EQ(kMenuHidden | kMenuDisabled, Unit(2).flags);
  EXPECT_EQ(0, ReadProperty(kWin, kMenu, kMenuPropVisible, -1));
}

TEST(PropertyConversionTest, NumbersByDataType) {
  const FontRecord none{};
  RawValue raw;
  raw.number = 0x1234567890LL;
  EXPECT_EQ(0x34567890, ConvertPropertyRead(kDataTypeInt, -1, raw, 96));
  EXPECT_EQ(0x1234567890LL, ConvertPropertyRead(kDataType64Bit1002, -1, raw, 96));
  raw.number = 2;
  EXPECT_EQ(0, ConvertPropertyRead(kDataTypeBool, -1, raw, 96)) << "only a raw 1 reads as true";
  raw.number = 1;
  EXPECT_EQ(1, ConvertPropertyRead(kDataTypeBool, -1, raw, 96));

  EXPECT_EQ(0, ConvertPropertyWrite(kDataTypeNonNegativeInt, -1, -5, 0, none, 96).number);
  EXPECT_EQ(-5, ConvertPropertyWrite(kDataTypeInt, -1, -5, 0, none, 96).number);
  EXPECT_EQ(1, ConvertPropertyWrite(kDataTypeBool, -1, 9, 0, none, 96).number);
  EXPECT_EQ(0x0000000700000005LL, ConvertPropertyWrite(kDataType64Bit1004, -1, 5, 7, none, 96).number);
  EXPECT_EQ("", ConvertPropertyWrite(kDataTypeText, -1, 0, 0, none, 96).bytes) << "null text writes empty";
}

// Each number of 1000..1024 (and 0, a property the type does not list) is
// read by its kind; one raw value tells the kinds apart.
TEST(PropertyConversionTest, EachDataTypeNumberReadsByItsKind) {
  enum Kind { kNumber, k64Bit, kBool, kBytes, kPointer, kFont, kText };
  const std::vector<std::pair<int32_t, Kind>> kinds = {
      {0, kText},       {1000, kNumber}, {1001, kNumber}, {1002, k64Bit},  {1003, kBool},   {1004, k64Bit},
      {1005, kText},    {1006, kNumber}, {1007, kText},   {1008, kText},   {1009, kBytes},  {1010, kBytes},
      {1011, kPointer}, {1012, kBytes},  {1013, kFont},   {1014, kNumber}, {1015, kNumber}, {1016, kText},
      {1017, kNumber},  {1018, kText},   {1019, kText},   {1020, kText},   {1021, kText},   {1022, kText},
      {1023, kBytes},   {1024, kBytes},
  };
  RawValue raw;
  raw.number = 0x500000001LL;
  raw.bytes = std::string("\x00\x7F\x00\x00z", 5);  // first word 32512, the arrow's stored pointer code
  for (const auto& [number, kind] : kinds) {
    SCOPED_TRACE(number);
    const auto type = static_cast<PropertyDataType>(number);
    // Element 5 of a font is its size in points: 32512 pixels high at 96 DPI.
    const int64_t read = ConvertPropertyRead(type, kind == kFont ? kFontSize : -1, raw, 96);
    const auto* block = reinterpret_cast<const unsigned char*>(static_cast<intptr_t>(read));
    switch (kind) {
      case kNumber: EXPECT_EQ(1, read); break;
      case k64Bit: EXPECT_EQ(0x500000001LL, read); break;
      case kBool: EXPECT_EQ(0, read) << "the raw value is not 1"; break;
      case kFont: EXPECT_EQ(24384, read); break;
      case kBytes:
      case kPointer: {
        ASSERT_EQ(5, ByteBufferLength(block));
        int32_t first;
        std::memcpy(&first, ByteBufferData(block), 4);
        EXPECT_EQ(kind == kPointer ? 1 : 32512, first);
        EXPECT_EQ('z', ByteBufferData(block)[4]);
        FreeMemory(const_cast<unsigned char*>(block));
        break;
      }
      case kText:
        ASSERT_NE(nullptr, block);
        EXPECT_EQ(0, std::memcmp(block, raw.bytes.data(), 5));
        EXPECT_EQ(0, block[5]);
        FreeMemory(const_cast<unsigned char*>(block));
        break;
    }
  }
}

TEST(PropertyConversionTest, FontElementsChangeOneAttributeOfTheCurrentFont) {
  FontRecord current{};
  current.height = -16;
  current.weight = 400;
  current.char_set = 134;
  std::strcpy(current.face_name, "微软雅黑");
  auto font_of = [](const RawValue& raw) {
    FontRecord f;
    EXPECT_EQ(sizeof f, raw.bytes.size());
    std::memcpy(&f, raw.bytes.data(), sizeof f);
    return f;
  };
  FontRecord bold = font_of(ConvertPropertyWrite(kDataTypeFont, kFontBold, 1, 0, current, 96));
  EXPECT_EQ(700, bold.weight);
  EXPECT_EQ(134, bold.char_set);
  EXPECT_STREQ("微软雅黑", bold.face_name);
  EXPECT_EQ(3500, font_of(ConvertPropertyWrite(kDataTypeFont, kFontAngle, -100, 0, current, 96)).escapement);
  EXPECT_EQ(100, font_of(ConvertPropertyWrite(kDataTypeFont, kFontAngle, 7300, 0, current, 96)).escapement);
  EXPECT_EQ(-16, font_of(ConvertPropertyWrite(kDataTypeFont, kFontSize, 12, 0, current, 96)).height);
  const char face31[] = "0123456789012345678901234567890";
  const char face32[] = "01234567890123456789012345678901";
  auto face = [&](const char* name) {
    return std::string(font_of(ConvertPropertyWrite(kDataTypeFont, kFontFaceName, reinterpret_cast<intptr_t>(name), 0, current, 96)).face_name);
  };
  EXPECT_EQ(face31, face(face31));
  EXPECT_EQ("宋体", face(face32));
  EXPECT_EQ("宋体", face(""));

  // A whole record makes a font of its own, every other attribute zero.
  FontAttributes record = {450, 1, 1, 0, 0, 9, nullptr};
  FontRecord whole = font_of(ConvertPropertyWrite(kDataTypeFont, kFontWhole, reinterpret_cast<intptr_t>(&record), 0, current, 96));
  EXPECT_EQ(450, whole.escapement);
  EXPECT_EQ(700, whole.weight);
  EXPECT_EQ(1, whole.italic);
  EXPECT_EQ(-12, whole.height);
  EXPECT_EQ(0, whole.char_set);
  EXPECT_STREQ("宋体", whole.face_name);
  FontAttributes long_name = {0, 0, 0, 0, 0, 9, face31};  // 31 bytes is too long here
  EXPECT_STREQ("宋体", font_of(ConvertPropertyWrite(kDataTypeFont, kFontWhole, reinterpret_cast<intptr_t>(&long_name), 0, current, 96)).face_name);

  RawValue raw;
  raw.bytes.assign(reinterpret_cast<const char*>(&current), sizeof current);
  EXPECT_EQ(12, ConvertPropertyRead(kDataTypeFont, kFontSize, raw, 96));
  EXPECT_EQ(0, ConvertPropertyRead(kDataTypeFont, kFontBold, raw, 96));
  auto* all = reinterpret_cast<FontAttributes*>(static_cast<intptr_t>(ConvertPropertyRead(kDataTypeFont, kFontWhole, raw, 96)));
  EXPECT_EQ(12, all->size);
  EXPECT_STREQ("微软雅黑", all->face_name);
  FreeMemory(const_cast<char*>(all->face_name));
  FreeMemory(all);
}

}  // namespace
}  // namespace rt
