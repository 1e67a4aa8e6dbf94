// The standard controls, the transparent label and the drop target on real
// platform windows, built from the program's own window template.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/window_template.h"
#include "runtime/commands/button.h"
#include "runtime/commands/control_commands.h"
#include "runtime/commands/drop_target.h"
#include "runtime/commands/edit_box.h"
#include "runtime/commands/list_box.h"
#include "runtime/commands/system_commands.h"
#include "runtime/commands/trans_label.h"
#include "runtime/core/heap.h"
#include "runtime/core/property_access.h"
#include "runtime/core/template_format.h"
#include "runtime/core/window_loading.h"
#include "tests/support/runtime_fixture.h"

namespace rt {
namespace {

constexpr uint32_t kMain = 0x52010001;
constexpr uint32_t kListWindow = 0x5201002A;
constexpr uint32_t kPathBox = 0x1601001C;
constexpr uint32_t kRateBox = 0x16010020;
constexpr uint32_t kBrowseButton = 0x1601001D;
constexpr uint32_t kDrop = 0x16010024;
constexpr uint32_t kHintLabel = 0x16010023;
constexpr uint32_t kFriendList = 0x1601002C;

// Handler slots: 0-9 are the program's own bindings in the template; the
// tests bind more events to 10-14.
constexpr int32_t kSlotBrowseClick = 2;
constexpr int32_t kSlotFilesDropped = 3;
constexpr int32_t kSlotListDoubleClick = 9;
constexpr int32_t kSlotRateChanged = 10;
constexpr int32_t kSlotListSelection = 11;
constexpr int32_t kSlotTextDropped = 12;
constexpr int32_t kSlotHtmlDropped = 13;
constexpr int32_t kSlotUrlDropped = 14;
constexpr int32_t kSlotRateLostFocus = 15;
constexpr int32_t kSlotCount = 16;

struct Call {
  int32_t slot;
  bool has_text;
  std::string text;
};
std::vector<Call> g_calls;

template <int32_t Slot>
bool Record(const EventWord*, int32_t, int64_t*) {
  g_calls.push_back({Slot, false, std::string()});
  return false;
}

// A drop event: one text passed by reference.
template <int32_t Slot>
bool RecordText(const EventWord* args, int32_t count, int64_t*) {
  const char* text = count == 1 ? *reinterpret_cast<char* const*>(args[0]) : nullptr;
  g_calls.push_back({Slot, true, text != nullptr ? text : "(null)"});
  return false;
}

// The lost-focus event of the sample-rate box sees the text already normalised.
bool RecordRateText(const EventWord*, int32_t, int64_t*) {
  char buffer[64] = {};
  GetWindowTextA(test_support::ControlHandle(kMain, kRateBox), buffer, sizeof buffer);
  g_calls.push_back({kSlotRateLostFocus, true, buffer});
  return false;
}

const HandlerFn kHandlers[] = {
    Record<0>, Record<1>, Record<2>, RecordText<3>, Record<4>, Record<5>, Record<6>, Record<7>,
    Record<8>, Record<9>, Record<10>, Record<11>, RecordText<12>, RecordText<13>, RecordText<14>, RecordRateText,
    nullptr,
};

int CountOf(int32_t slot) {
  int n = 0;
  for (const Call& c : g_calls) n += c.slot == slot ? 1 : 0;
  return n;
}

UnitRecord* UnitIn(std::vector<WindowRecord>& windows, uint32_t window, uint32_t unit) {
  for (WindowRecord& w : windows) {
    if (w.id != window) continue;
    for (UnitRecord& u : w.units) {
      if (u.id == unit) return &u;
    }
  }
  return nullptr;
}

// The program's template with the test's extra bindings.
std::vector<WindowRecord> ProgramWindows() {
  std::vector<WindowRecord> windows;
  ReadWindowTemplate(res::kWindowTemplate, res::kWindowTemplateSize, &windows);
  if (UnitRecord* rate = UnitIn(windows, kMain, kRateBox)) {
    rate->events.push_back(test_support::Bind(kEditContentChanged, kSlotRateChanged));
    rate->events.push_back(test_support::Bind(-8, kSlotRateLostFocus));
  }
  if (UnitRecord* list = UnitIn(windows, kListWindow, kFriendList)) {
    list->events.push_back(test_support::Bind(kListSelectionChanged, kSlotListSelection));
  }
  if (UnitRecord* drop = UnitIn(windows, kMain, kDrop)) {
    drop->events.push_back(test_support::Bind(kTextDropped, kSlotTextDropped));
    drop->events.push_back(test_support::Bind(kHtmlDropped, kSlotHtmlDropped));
    drop->events.push_back(test_support::Bind(kUrlDropped, kSlotUrlDropped));
  }
  return windows;
}

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ASSERT_TRUE(fixture_.ok());
    RegisterEditBoxType();
    RegisterButtonType();
    RegisterListBoxType();
    RegisterTransLabelType();
    RegisterDropTargetType();
    ASSERT_EQ(LoadWindow(kMain, 0, false), 0);
    g_calls.clear();
  }
  void TearDown() override { OleUninitialize(); }

  HWND Control(uint32_t window, uint32_t id) { return test_support::ControlHandle(window, id); }
  std::string Text(HWND hwnd) {
    char buffer[256] = {};
    GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
  }
  void Type(HWND hwnd, const char* keys) {
    for (const char* k = keys; *k != '\0'; ++k) SendMessageA(hwnd, WM_CHAR, static_cast<unsigned char>(*k), 1);
  }
  // Puts text in the box as the user would leave it, then takes the focus away.
  std::string LeaveWith(HWND hwnd, const char* text) {
    SetWindowTextA(hwnd, text);
    SendMessageA(hwnd, WM_KILLFOCUS, 0, 0);
    return Text(hwnd);
  }

  std::vector<WindowRecord> windows_ = ProgramWindows();
  test_support::RuntimeFixture fixture_{windows_, kHandlers, kSlotCount};
};

TEST_F(ControlsTest, SampleRateBoxFiltersTypedCharacters) {
  HWND rate = Control(kMain, kRateBox);
  ASSERT_NE(rate, nullptr);
  char cls[32] = {};
  GetClassNameA(rate, cls, sizeof cls);
  EXPECT_STRCASEEQ(cls, "Edit");
  EXPECT_EQ(Text(rate), "12000");
  SetWindowTextA(rate, "");
  Type(rate, "a.1-2x");
  EXPECT_EQ(Text(rate), "1-2");
  SetWindowTextA(rate, "1234");
  SendMessageA(rate, EM_SETSEL, 4, 4);
  Type(rate, "56");  // the sixth character goes beyond the limit of five
  EXPECT_EQ(Text(rate), "12345");
  SendMessageA(rate, EM_SETSEL, 5, 5);
  Type(rate, "\b");  // control characters pass the filter
  EXPECT_EQ(Text(rate), "1234");
}

TEST_F(ControlsTest, SampleRateBoxNormalisesWhenLeft) {
  HWND rate = Control(kMain, kRateBox);
  EXPECT_EQ(LeaveWith(rate, "00120"), "120");
  EXPECT_EQ(LeaveWith(rate, ""), "");
  EXPECT_EQ(LeaveWith(rate, "-"), "");
  EXPECT_EQ(LeaveWith(rate, "0"), "");
  EXPECT_EQ(LeaveWith(rate, "-77"), "-77");
  g_calls.clear();
  EXPECT_EQ(LeaveWith(rate, "0042"), "42");
  ASSERT_EQ(CountOf(kSlotRateLostFocus), 1);
  EXPECT_EQ(g_calls.back().slot, kSlotRateLostFocus);
  EXPECT_EQ(g_calls.back().text, "42");
  // The path box has the type's defaults: any text, left as it is.
  HWND path = Control(kMain, kPathBox);
  EXPECT_EQ(LeaveWith(path, "0012x"), "0012x");
  SendMessageA(path, EM_SETSEL, 5, 5);
  Type(path, "a.");
  EXPECT_EQ(Text(path), "0012xa.");
}

TEST_F(ControlsTest, ByteModeClampsWhenLeft) {
  WriteProperty(kMain, kRateBox, kFirstTypeProperty + kEditInputMode, -1, kInputByte, 0);
  EXPECT_EQ(ReadProperty(kMain, kRateBox, kFirstTypeProperty + kEditInputMode, -1), kInputByte);
  HWND rate = Control(kMain, kRateBox);
  EXPECT_EQ(LeaveWith(rate, "300"), "255");
  EXPECT_EQ(LeaveWith(rate, "-4"), "");
  SetWindowTextA(rate, "");
  Type(rate, "-9");
  EXPECT_EQ(Text(rate), "9");
}

TEST_F(ControlsTest, ContentWriteRaisesChangeOnceAndEmptyReadsNull) {
  HWND rate = Control(kMain, kRateBox);
  const char* text = "777";
  WriteProperty(kMain, kRateBox, kFirstTypeProperty + kEditContent, -1, reinterpret_cast<intptr_t>(text), 0);
  EXPECT_EQ(Text(rate), "777");
  EXPECT_EQ(CountOf(kSlotRateChanged), 1);
  char* read = reinterpret_cast<char*>(ReadProperty(kMain, kRateBox, kFirstTypeProperty + kEditContent, -1));
  ASSERT_NE(read, nullptr);
  EXPECT_STREQ(read, "777");
  FreeMemory(read);

  WriteProperty(kMain, kRateBox, kFirstTypeProperty + kEditContent, -1, 0, 0);
  EXPECT_EQ(Text(rate), "");
  EXPECT_EQ(CountOf(kSlotRateChanged), 2);
  EXPECT_EQ(ReadProperty(kMain, kRateBox, kFirstTypeProperty + kEditContent, -1), 0);

  Type(rate, "5");  // a change by the user raises it too
  EXPECT_EQ(CountOf(kSlotRateChanged), 3);
}

TEST_F(ControlsTest, ButtonClickRaisesItsEvent) {
  HWND browse = Control(kMain, kBrowseButton);
  char cls[32] = {};
  GetClassNameA(browse, cls, sizeof cls);
  EXPECT_STRCASEEQ(cls, "Button");
  EXPECT_EQ(Text(browse), "浏览目录");
  SendMessageA(browse, BM_CLICK, 0, 0);
  EXPECT_EQ(CountOf(kSlotBrowseClick), 1);
  EXPECT_EQ(g_calls.size(), 1u);
}

TEST_F(ControlsTest, TransLabelClampsItsChoices) {
  HWND hint = Control(kMain, kHintLabel);
  char cls[32] = {};
  GetClassNameA(hint, cls, sizeof cls);
  EXPECT_STREQ(cls, "RtTransLabel");
  EXPECT_TRUE(GetWindowLongA(hint, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  WriteProperty(kMain, kHintLabel, kFirstTypeProperty + kLabelTextEffect, -1, 7, 0);
  EXPECT_EQ(ReadProperty(kMain, kHintLabel, kFirstTypeProperty + kLabelTextEffect, -1), 3);
  WriteProperty(kMain, kHintLabel, kFirstTypeProperty + kLabelHorizontalAlign, -1, -1, 0);
  EXPECT_EQ(ReadProperty(kMain, kHintLabel, kFirstTypeProperty + kLabelHorizontalAlign, -1), 0);
  EXPECT_EQ(ReadProperty(kMain, kHintLabel, kFirstTypeProperty + kLabelVerticalAlign, -1), 1);
  const char* caption = "新";
  WriteProperty(kMain, kHintLabel, kFirstTypeProperty + kLabelCaption, -1, reinterpret_cast<intptr_t>(caption), 0);
  EXPECT_EQ(Text(hint), "新");
}

// Counts the pixels inside a rectangle of a window's client area, as the
// window has drawn them, that the predicate picks.
template <class Pick>
int Pixels(HWND parent, const RECT& area, Pick pick) {
  HDC dc = GetDC(parent);
  int n = 0;
  for (LONG y = area.top; y < area.bottom; ++y) {
    for (LONG x = area.left; x < area.right; ++x) n += pick(GetPixel(dc, x, y)) ? 1 : 0;
  }
  ReleaseDC(parent, dc);
  return n;
}

// Text is smoothed at its edges: a colour counts when it is near.
bool Reddish(COLORREF c) { return GetRValue(c) > 160 && GetGValue(c) < 110 && GetBValue(c) < 110; }
bool Blackish(COLORREF c) { return GetRValue(c) < 70 && GetGValue(c) < 70 && GetBValue(c) < 70; }

TEST_F(ControlsTest, TransLabelPaintsOnlyItsText) {
  HWND hint = Control(kMain, kHintLabel);
  HWND main = GetParent(hint);
  RECT area;
  GetWindowRect(hint, &area);
  MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&area), 2);
  area.right = area.left + 120;  // the start of the text
  const int total = (area.right - area.left) * (area.bottom - area.top);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  auto settle = [&] {
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    test_support::Pump();
  };

  const char* empty = "";
  WriteProperty(kMain, kHintLabel, kFirstTypeProperty + kLabelCaption, -1, reinterpret_cast<intptr_t>(empty), 0);
  settle();
  EXPECT_EQ(Pixels(main, area, [&](COLORREF c) { return c == face; }), total);  // the parent shows through

  const char* text = "WWWWWW";
  WriteProperty(kMain, kHintLabel, kFirstTypeProperty + kLabelCaption, -1, reinterpret_cast<intptr_t>(text), 0);
  WriteProperty(kMain, kHintLabel, kFirstTypeProperty + kLabelTextColour, -1, 0x0000FF, 0);
  settle();
  EXPECT_GT(Pixels(main, area, Reddish), 8);
  EXPECT_EQ(Pixels(main, area, Blackish), 0);

  WriteProperty(kMain, kHintLabel, kFirstTypeProperty + kLabelTextEffect, -1, kEffectShadow, 0);
  settle();
  EXPECT_GT(Pixels(main, area, Blackish), 8);  // the shadow
  EXPECT_GT(Pixels(main, area, Reddish), 8);
}

class ListBoxTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    ArgValue args[3] = {MakeControlRef(kListWindow, 0, kTypeWindow), ArgValue::Omitted(), ArgValue::Bool(false)};
    ASSERT_EQ(CallCoreCommand(LoadWindowCommand, 3, args).AsInt(), 1);
    list_ = Control(kListWindow, kFriendList);
    ASSERT_NE(list_, nullptr);
  }
  ArgValue Ref() { return MakeControlRef(kListWindow, kFriendList, kTypeListBox); }
  int32_t Add(const char* text, const ArgValue& value) {
    ArgValue args[3] = {Ref(), ArgValue::Text(text), value};
    return CallCoreCommand(ListBoxAddItem, 3, args).AsInt();
  }
  std::string ItemText(int32_t index) {
    ArgValue args[2] = {Ref(), ArgValue::Int(index)};
    const ArgValue r = CallCoreCommand(rt::ListBoxItemText, 2, args);
    std::string text = r.AsText() != nullptr ? r.AsText() : "(null)";
    FreeMemory(const_cast<char*>(r.AsText()));
    return text;
  }
  int64_t Selection() { return ReadProperty(kListWindow, kFriendList, kFirstTypeProperty + kListCurrentSelection, -1); }

  HWND list_ = nullptr;
};

TEST_F(ListBoxTest, LoadedHiddenAndDisabledWithItsStyles) {
  HWND window = test_support::WindowHandle(kListWindow);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_FALSE(IsWindowEnabled(window));
  const DWORD style = static_cast<DWORD>(GetWindowLongA(list_, GWL_STYLE));
  EXPECT_TRUE(style & LBS_NOTIFY);
  EXPECT_TRUE(style & LBS_USETABSTOPS);
  EXPECT_TRUE(style & LBS_NOINTEGRALHEIGHT);
  EXPECT_FALSE(style & (LBS_SORT & ~LBS_NOTIFY));
  EXPECT_FALSE(style & LBS_EXTENDEDSEL);
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(list_, WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, "微软雅黑");
  EXPECT_EQ(font.lfHeight, -16);
  EXPECT_EQ(font.lfCharSet, 134);
}

TEST_F(ListBoxTest, AddTextValuesAndClear) {
  EXPECT_EQ(Selection(), -1);
  EXPECT_EQ(Add("10001", ArgValue::Omitted()), 0);
  EXPECT_EQ(Add("wxid_abcdefghijklmnopq", ArgValue::Int(7)), 1);
  EXPECT_EQ(SendMessageA(list_, LB_GETITEMDATA, 0, 0), 0);
  EXPECT_EQ(SendMessageA(list_, LB_GETITEMDATA, 1, 0), 7);
  EXPECT_EQ(ItemText(0), "10001");
  EXPECT_EQ(ItemText(1), "wxid_abcdefghijklmnopq");
  EXPECT_EQ(ItemText(-1), "(null)");
  EXPECT_EQ(ItemText(2), "(null)");
  EXPECT_EQ(Selection(), -1);
  SendMessageA(list_, LB_SETCURSEL, 1, 0);
  EXPECT_EQ(Selection(), 1);

  ArgValue ref = Ref();
  CallCoreCommand(ListBoxClear, 1, &ref);
  EXPECT_EQ(SendMessageA(list_, LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(Selection(), -1);
  EXPECT_EQ(ItemText(0), "(null)");
  EXPECT_EQ(Add("again", ArgValue::Omitted()), 0);
}

TEST_F(ListBoxTest, HeldDrawingLeavesAddedItemsUndrawnUntilLetGo) {
  HWND window = test_support::WindowHandle(kListWindow);
  ShowWindow(window, SW_SHOWNA);
  UpdateWindow(window);
  const auto hold = [this](bool held) {
    ArgValue args[2] = {Ref(), ArgValue::Bool(held)};
    CallCoreCommand(ListBoxHoldDrawing, 2, args);
  };
  RECT update{};
  Add("10001", ArgValue::Omitted());
  EXPECT_TRUE(GetUpdateRect(list_, &update, FALSE)) << "an item added is drawn";
  ValidateRect(list_, nullptr);

  hold(true);
  Add("10002", ArgValue::Omitted());
  Add("10003", ArgValue::Omitted());
  EXPECT_FALSE(GetUpdateRect(list_, &update, FALSE)) << "held: nothing to draw";
  hold(false);
  ASSERT_TRUE(GetUpdateRect(list_, &update, FALSE));
  for (int index = 0; index < 3; ++index) {
    RECT item{}, common{};
    SendMessageA(list_, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    EXPECT_TRUE(IntersectRect(&common, &update, &item)) << "item " << index << " is to be drawn";
  }
  EXPECT_EQ(SendMessageA(list_, LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(ItemText(2), "10003");
  ShowWindow(window, SW_HIDE);
}

TEST_F(ListBoxTest, NotificationsBecomeEvents) {
  Add("a", ArgValue::Omitted());
  HWND parent = GetParent(list_);
  const WPARAM id = static_cast<WPARAM>(GetDlgCtrlID(list_));
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list_));
  EXPECT_EQ(CountOf(kSlotListSelection), 1);
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK), reinterpret_cast<LPARAM>(list_));
  EXPECT_EQ(CountOf(kSlotListDoubleClick), 1);
}

TEST_F(ListBoxTest, LoadWindowWithAnOwnerThatIsNotLoaded) {
  ArgValue args[3] = {MakeControlRef(kListWindow, 0, kTypeWindow), MakeControlRef(0x52010099, 0, kTypeWindow),
                      ArgValue::Bool(false)};
  EXPECT_EQ(CallCoreCommand(LoadWindowCommand, 3, args).AsInt(), 0);
  args[1] = MakeControlRef(kMain, 0, kTypeWindow);
  EXPECT_EQ(CallCoreCommand(LoadWindowCommand, 3, args).AsInt(), 1);  // already loaded: brought forward
}

// A data object made by the test: each format it offers as HGLOBAL bytes.
class TestData : public IDataObject {
 public:
  void Offer(CLIPFORMAT format, const std::string& bytes) { formats_.push_back({format, bytes}); }
  void OfferFiles(const std::vector<std::string>& names) {
    std::string block(sizeof(DROPFILES), '\0');
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    std::memcpy(&block[0], &header, sizeof header);
    for (const std::string& name : names) block += name + '\0';
    block += '\0';
    Offer(CF_HDROP, block);
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* medium) override {
    const std::string* bytes = Find(f);
    if (bytes == nullptr) return DV_E_FORMATETC;
    HGLOBAL memory = GlobalAlloc(GHND, bytes->size() + 1);
    std::memcpy(GlobalLock(memory), bytes->data(), bytes->size());
    GlobalUnlock(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override { return Find(f) != nullptr ? S_OK : DV_E_FORMATETC; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  const std::string* Find(const FORMATETC* f) const {
    if (f == nullptr || !(f->tymed & TYMED_HGLOBAL) || f->dwAspect != DVASPECT_CONTENT) return nullptr;
    for (const auto& offered : formats_) {
      if (offered.first == f->cfFormat) return &offered.second;
    }
    return nullptr;
  }
  std::vector<std::pair<CLIPFORMAT, std::string>> formats_;
};

class DropTargetTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    path_ = Control(kMain, kPathBox);
    ASSERT_TRUE(Register());
    // The object OLE keeps for the window is the one the drags reach.
    target_ = static_cast<IDropTarget*>(GetPropA(path_, "OleDropTargetInterface"));
    ASSERT_NE(target_, nullptr);
  }
  bool Register() {
    ArgValue args[2] = {MakeControlRef(kMain, kDrop, kTypeDropTarget),
                        ArgValue::Int(static_cast<int32_t>(reinterpret_cast<intptr_t>(path_)))};
    return CallLibraryCommand(RegisterDropTarget, 2, args).AsInt() != 0;
  }
  void Accept(int32_t property, bool on) {
    WriteProperty(kMain, kDrop, kFirstTypeProperty + property, -1, on ? 1 : 0, 0);
  }
  DWORD Enter(TestData& data, DWORD keys, DWORD allowed) {
    DWORD effect = allowed;
    EXPECT_EQ(target_->DragEnter(&data, keys, POINTL{10, 10}, &effect), S_OK);
    return effect;
  }
  HRESULT Drop(TestData& data, DWORD keys, DWORD allowed, DWORD* effect_out = nullptr) {
    DWORD effect = allowed;
    const HRESULT hr = target_->Drop(&data, keys, POINTL{10, 10}, &effect);
    if (effect_out != nullptr) *effect_out = effect;
    return hr;
  }

  HWND path_ = nullptr;
  IDropTarget* target_ = nullptr;
};

TEST_F(DropTargetTest, OneFileGivesItsPathAlone) {
  TestData data;
  data.OfferFiles({"C:\\voice\\a.slk"});
  EXPECT_EQ(Enter(data, 0, DROPEFFECT_COPY | DROPEFFECT_MOVE), static_cast<DWORD>(DROPEFFECT_COPY));
  DWORD effect = 0;
  EXPECT_EQ(Drop(data, 0, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect), E_FAIL);  // after raising the event
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].slot, kSlotFilesDropped);
  EXPECT_EQ(g_calls[0].text, "C:\\voice\\a.slk");
}

TEST_F(DropTargetTest, SeveralFilesEachFollowedByCrLf) {
  TestData data;
  data.OfferFiles({"C:\\MobileQQ", "C:\\x\\语音.amr"});
  Enter(data, 0, DROPEFFECT_COPY);
  EXPECT_EQ(Drop(data, 0, DROPEFFECT_COPY), E_FAIL);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].text, "C:\\MobileQQ\r\nC:\\x\\语音.amr\r\n");
}

TEST_F(DropTargetTest, FilesOnlyRefusesText) {
  TestData data;
  data.Offer(CF_TEXT, "hello");
  EXPECT_EQ(Enter(data, 0, DROPEFFECT_COPY | DROPEFFECT_MOVE), static_cast<DWORD>(DROPEFFECT_NONE));
  DWORD effect = DROPEFFECT_COPY;
  EXPECT_EQ(target_->DragOver(0, POINTL{1, 1}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(Drop(data, 0, DROPEFFECT_COPY), E_FAIL);
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(DropTargetTest, KeyStateAndAllowedEffects) {
  TestData data;
  data.OfferFiles({"C:\\a"});
  const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  EXPECT_EQ(Enter(data, MK_CONTROL, all), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(Enter(data, MK_CONTROL, DROPEFFECT_MOVE), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(Enter(data, MK_SHIFT, all), static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_EQ(Enter(data, MK_CONTROL | MK_SHIFT, all), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(Enter(data, 0, all), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(Enter(data, 0, DROPEFFECT_MOVE | DROPEFFECT_LINK), static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_EQ(Enter(data, 0, DROPEFFECT_LINK), static_cast<DWORD>(DROPEFFECT_LINK));
  DWORD effect = DROPEFFECT_MOVE;
  EXPECT_EQ(target_->DragOver(MK_SHIFT, POINTL{1, 1}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_EQ(target_->DragLeave(), S_OK);
  effect = DROPEFFECT_COPY;
  target_->DragOver(0, POINTL{1, 1}, &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));  // the drag has left
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(DropTargetTest, TextWithHtmlRaisesOnlyHtml) {
  const UINT html = RegisterClipboardFormatA("HTML Format");
  TestData data;
  data.Offer(CF_TEXT, "plain");
  // UTF-8 with a no-break space and a Chinese character.
  data.Offer(static_cast<CLIPFORMAT>(html), "<b>a\xC2\xA0" "b \xE4\xB8\xAD</b>");
  Accept(kDropAcceptText, true);
  Accept(kDropAcceptHtml, true);
  EXPECT_EQ(ReadProperty(kMain, kDrop, kFirstTypeProperty + kDropAcceptHtml, -1), 1);
  EXPECT_EQ(Enter(data, 0, DROPEFFECT_COPY), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(Drop(data, 0, DROPEFFECT_COPY), E_FAIL);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].slot, kSlotHtmlDropped);
  EXPECT_EQ(g_calls[0].text, "<b>a b 中</b>");

  // With text alone accepted, the HTML still keeps the text back.
  g_calls.clear();
  Accept(kDropAcceptHtml, false);
  Enter(data, 0, DROPEFFECT_COPY);
  EXPECT_EQ(Drop(data, 0, DROPEFFECT_COPY), E_FAIL);
  EXPECT_TRUE(g_calls.empty());

  TestData text_only;
  text_only.Offer(CF_TEXT, "plain");
  Enter(text_only, 0, DROPEFFECT_COPY);
  EXPECT_EQ(Drop(text_only, 0, DROPEFFECT_COPY), E_FAIL);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].slot, kSlotTextDropped);
  EXPECT_EQ(g_calls[0].text, "plain");
}

TEST_F(DropTargetTest, UrlIsDelivered) {
  const UINT url = RegisterClipboardFormatA("UniformResourceLocator");
  TestData data;
  data.Offer(static_cast<CLIPFORMAT>(url), "http://example.org/");
  Accept(kDropAcceptUrl, true);
  Enter(data, 0, DROPEFFECT_LINK);
  EXPECT_EQ(Drop(data, 0, DROPEFFECT_LINK), E_FAIL);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].slot, kSlotUrlDropped);
  EXPECT_EQ(g_calls[0].text, "http://example.org/");
}

TEST_F(DropTargetTest, AcceptFilesWrittenFalseRefusesTheNextDrag) {
  TestData data;
  data.OfferFiles({"C:\\a"});
  Enter(data, 0, DROPEFFECT_COPY);
  target_->DragLeave();
  Accept(kDropAcceptFiles, false);
  EXPECT_EQ(ReadProperty(kMain, kDrop, kFirstTypeProperty + kDropAcceptFiles, -1), 0);
  Accept(kDropAcceptText, true);  // something else enabled: the files are looked at and refused
  EXPECT_EQ(Enter(data, 0, DROPEFFECT_COPY), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(Drop(data, 0, DROPEFFECT_COPY), E_FAIL);
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(DropTargetTest, RegisteredAtMostOnce) {
  EXPECT_FALSE(Register());
  // The registration holds a reference besides the control's own.
  target_->AddRef();
  EXPECT_EQ(target_->Release(), 2u);
  IUnknown* unknown = nullptr;
  ASSERT_EQ(target_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  EXPECT_EQ(static_cast<void*>(unknown), static_cast<void*>(target_));
  EXPECT_EQ(unknown->Release(), 2u);
  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(target_->QueryInterface(IID_IDataObject, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
}

TEST_F(DropTargetTest, DestroyingTheControlRevokesTheRegistration) {
  HWND drop = Control(kMain, kDrop);
  ASSERT_NE(drop, nullptr);
  EXPECT_FALSE(IsWindowVisible(drop));  // never shown
  DestroyWindow(drop);
  EXPECT_TRUE(IsWindow(path_));
  EXPECT_EQ(GetPropA(path_, "OleDropTargetInterface"), nullptr);
  EXPECT_EQ(RevokeDragDrop(path_), DRAGDROP_E_NOTREGISTERED);
}

}  // namespace
}  // namespace rt
