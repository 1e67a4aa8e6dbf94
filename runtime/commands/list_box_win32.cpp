#include <windows.h>

#include "runtime/commands/control_messages_win32.h"
#include "runtime/commands/control_support_win32.h"
#include "runtime/commands/list_box.h"
#include "runtime/core/display_scale.h"
#include "runtime/core/unit_record.h"
#include "runtime/core/unit_types.h"

namespace rt {
namespace {

struct ListBoxControl : PlatformControl {
  ListBoxData data;
  int32_t property12 = 0;
  int32_t property13 = 0;
};

HWND H(const ControlObject* c) { return reinterpret_cast<HWND>(c->hwnd); }

DWORD StyleFor(const ListBoxData& d) {
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | LBS_NOTIFY | LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT;
  if (d.sorted == 1) style |= LBS_SORT;  // the stored data holds no items of its own
  style |= d.multi_column == 1 ? (LBS_MULTICOLUMN | WS_HSCROLL) : WS_VSCROLL;
  if (d.extended_select == 1) style |= LBS_EXTENDEDSEL;
  return style;
}

void ApplyFontAndHeight(ListBoxControl* c) {
  HWND hwnd = H(c);
  SelectStoredFont(c, c->data.font);
  // The platform's item height for the new font, plus the stored extra.
  TEXTMETRICA tm;
  if (MeasureFont(hwnd, FontOrDefault(c->font), &tm)) {
    const int height = tm.tmHeight + ScaleToDpi(c->data.item_height_extra, SystemDpi());
    if (height > 0 && height < 256) SendMessageA(hwnd, LB_SETITEMHEIGHT, 0, height);
  }
}

void ApplyBackground(ListBoxControl* c) {
  c->background = ReplaceBackground(H(c), c->background, c->data.background_colour);
}

std::string ItemText(HWND hwnd, int index) {
  const LRESULT length = SendMessageA(hwnd, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const LRESULT got = SendMessageA(hwnd, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

int32_t CurrentSelection(ListBoxControl* c) {
  if (c->data.extended_select == 1) return -1;
  const LRESULT selected = SendMessageA(H(c), LB_GETCURSEL, 0, 0);
  c->data.selected_index = selected < 0 ? -1 : static_cast<int32_t>(selected);
  return c->data.selected_index;
}

LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* c = static_cast<ListBoxControl*>(AttachedControl(hwnd));
  if (c == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  switch (message) {
    case kMsgReflectBase + WM_COMMAND:
      if (HIWORD(wparam) == LBN_SELCHANGE) RaiseControlEvent(c, kListSelectionChanged);
      if (HIWORD(wparam) == LBN_DBLCLK) RaiseControlEvent(c, kListDoubleClicked);
      return 0;
    case kMsgReflectBase + WM_CTLCOLORLISTBOX:
      return BackgroundAnswer(c->background, wparam, c->data.background_colour);
    default: break;
  }
  return CommonControlMessage(c, hwnd, message, wparam, lparam);
}

ControlObject* CreateListBox(const CreateParams& p) {
  ListBoxData data;
  if (!ReadListBoxData(p.type_data, p.type_data_size, &data)) return nullptr;
  HWND hwnd = CreateControlWindow("LISTBOX", BorderExStyle(data.border_style), "", StyleFor(data) | p.style, p);
  if (hwnd == nullptr) return nullptr;
  auto* c = new ListBoxControl();
  c->data = data;
  AdoptPlatformControl(c, hwnd, p, kTypeListBox, ListProc);
  ApplyFontAndHeight(c);
  ApplyBackground(c);
  if (data.selected_index >= 0 && data.extended_select != 1) {
    SendMessageA(hwnd, LB_SETCURSEL, static_cast<WPARAM>(data.selected_index), 0);
  }
  return c;
}

bool SetListProperty(ControlObject* object, int32_t index, const RawValue& value) {
  auto* c = static_cast<ListBoxControl*>(object);
  ListBoxData& d = c->data;
  HWND hwnd = H(c);
  const int32_t n = static_cast<int32_t>(value.number);
  switch (index) {
    case kListItems: {
      // One item per line.
      SendMessageA(hwnd, LB_RESETCONTENT, 0, 0);
      size_t start = 0;
      while (start < value.bytes.size()) {
        size_t end = value.bytes.find("\r\n", start);
        if (end == std::string::npos) end = value.bytes.size();
        const std::string item = value.bytes.substr(start, end - start);
        SendMessageA(hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        start = end + 2;
      }
      break;
    }
    case kListBorderStyle:
      d.border_style = n;
      ApplyBorderStyle(hwnd, n);
      break;
    case kListSorted: d.sorted = n; break;  // fixed when the platform control is made
    case kListMultiColumn: d.multi_column = n; break;
    case kListItemHeightExtra: d.item_height_extra = n; ApplyFontAndHeight(c); break;
    case kListWord6: d.word6 = n; break;
    case kListBackgroundColour: d.background_colour = static_cast<uint32_t>(n); ApplyBackground(c); break;
    case kListExtendedSelect: d.extended_select = n; break;
    case kListCurrentSelection:
      d.selected_index = n < 0 ? -1 : n;
      if (d.extended_select != 1) SendMessageA(hwnd, LB_SETCURSEL, static_cast<WPARAM>(d.selected_index), 0);
      break;
    case kListFont: d.font = value.bytes; ApplyFontAndHeight(c); break;
    case kListItemCount: return true;  // follows the items
    case kListTopIndex: SendMessageA(hwnd, LB_SETTOPINDEX, static_cast<WPARAM>(n < 0 ? 0 : n), 0); break;
    case kListProperty12: c->property12 = n; break;
    case kListProperty13: c->property13 = n; break;
    default: return false;
  }
  return true;
}

bool GetListProperty(ControlObject* object, int32_t index, RawValue* value) {
  auto* c = static_cast<ListBoxControl*>(object);
  const ListBoxData& d = c->data;
  HWND hwnd = H(c);
  switch (index) {
    case kListItems: {
      const LRESULT count = SendMessageA(hwnd, LB_GETCOUNT, 0, 0);
      for (LRESULT i = 0; i < count; ++i) {
        if (i > 0) value->bytes += "\r\n";
        value->bytes += ItemText(hwnd, static_cast<int>(i));
      }
      break;
    }
    case kListBorderStyle: value->number = d.border_style; break;
    case kListSorted: value->number = d.sorted; break;
    case kListMultiColumn: value->number = d.multi_column; break;
    case kListItemHeightExtra: value->number = d.item_height_extra; break;
    case kListWord6: value->number = d.word6; break;
    case kListBackgroundColour: value->number = d.background_colour; break;
    case kListExtendedSelect: value->number = d.extended_select; break;
    case kListCurrentSelection: value->number = CurrentSelection(c); break;
    case kListFont: value->bytes = FontPropertyBytes(d.font); break;
    case kListItemCount: {
      const LRESULT count = SendMessageA(hwnd, LB_GETCOUNT, 0, 0);
      value->number = count < 0 ? 0 : count;
      break;
    }
    case kListTopIndex: value->number = SendMessageA(hwnd, LB_GETTOPINDEX, 0, 0); break;
    case kListProperty12: value->number = c->property12; break;
    case kListProperty13: value->number = c->property13; break;
    default: return false;
  }
  return true;
}

void StoreListState(ControlObject* object, UnitRecord* record) {
  auto* c = static_cast<ListBoxControl*>(object);
  if (c->data.extended_select != 1) CurrentSelection(c);
  record->type_data = WriteListBoxData(c->data);
}

constexpr UnitTypeOps kOps = {CreateListBox, SetListProperty, GetListProperty, StoreListState};
constexpr UnitTypeDescriptor kType = DescribeUnitType<kOps>(kTypeListBox, kTypeClass1, kListPropertyTypes);

}  // namespace

void RegisterListBoxType() { RegisterUnitType(&kType); }

}  // namespace rt
