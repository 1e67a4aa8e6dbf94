#include <windows.h>

#include "runtime/commands/button.h"
#include "runtime/commands/control_messages_win32.h"
#include "runtime/commands/control_support_win32.h"
#include "runtime/core/unit_record.h"
#include "runtime/core/unit_types.h"
#include "runtime/core/window_loading.h"

namespace rt {
namespace {

struct ButtonControl : ControlObject {
  ButtonData data;
  WNDPROC base = nullptr;
  HFONT font = nullptr;
  int32_t horizontal_align = 1;  // centred, as the platform draws a push button
  int32_t vertical_align = 1;
  int32_t is_default = 0;
  uint32_t text_colour = 0;

  ~ButtonControl() override {
    if (font != nullptr) DeleteObject(font);
  }
};

HWND H(const ControlObject* c) { return reinterpret_cast<HWND>(c->hwnd); }

DWORD AlignStyle(const ButtonControl* c) {
  DWORD style = c->horizontal_align == 0 ? BS_LEFT : (c->horizontal_align == 2 ? BS_RIGHT : BS_CENTER);
  style |= c->vertical_align == 0 ? BS_TOP : (c->vertical_align == 2 ? BS_BOTTOM : BS_VCENTER);
  return style;
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* c = static_cast<ButtonControl*>(AttachedControl(hwnd));
  if (c == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  const WNDPROC base = c->base;
  switch (message) {
    case kMsgReflectBase + WM_COMMAND:
      if (HIWORD(wparam) == BN_CLICKED) RaiseControlEvent(c, kButtonClicked);
      return 0;
    default: break;
  }
  return CommonControlMessage(c, base, hwnd, message, wparam, lparam);
}

ControlObject* CreateButton(const CreateParams& p) {
  ButtonData data;
  if (!ReadButtonData(p.type_data, p.type_data_size, &data)) return nullptr;
  auto* c = new ButtonControl();
  c->data = data;
  HWND hwnd = CreateWindowExA(0, "BUTTON", data.caption.c_str(),
                              WS_CHILD | WS_CLIPSIBLINGS | BS_PUSHBUTTON | AlignStyle(c) | p.style, p.left, p.top,
                              p.width, p.height, reinterpret_cast<HWND>(p.parent),
                              reinterpret_cast<HMENU>(static_cast<uintptr_t>(p.child_id)),
                              GetModuleHandleA(nullptr), nullptr);
  if (hwnd == nullptr) {
    delete c;
    return nullptr;
  }
  c->hwnd = reinterpret_cast<uintptr_t>(hwnd);
  c->window_id = p.window != nullptr ? p.window->record.id : 0;
  c->unit_id = p.unit_id;
  c->type_id = kTypeButton;
  c->base = SubclassControl(hwnd, c, ButtonProc);
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontOrDefault(nullptr)), FALSE);
  return c;
}

bool SetButtonProperty(ControlObject* object, int32_t index, const RawValue& value) {
  auto* c = static_cast<ButtonControl*>(object);
  HWND hwnd = H(c);
  const int32_t n = static_cast<int32_t>(value.number);
  switch (index) {
    case kButtonCaption:
      c->data.caption = value.bytes;
      SetWindowTextA(hwnd, value.bytes.c_str());
      break;
    case kButtonFont:
      if (c->font != nullptr) DeleteObject(c->font);
      c->font = CreateStoredFont(value.bytes);
      SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontOrDefault(c->font)), TRUE);
      break;
    case kButtonHorizontalAlign:
    case kButtonVerticalAlign: {
      const int32_t v = n < 0 ? 0 : (n > 2 ? 2 : n);
      (index == kButtonHorizontalAlign ? c->horizontal_align : c->vertical_align) = v;
      const DWORD style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & ~(BS_CENTER | BS_VCENTER);
      SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(style | AlignStyle(c)));
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
    }
    case kButtonDefault:
      c->is_default = n != 0 ? 1 : 0;
      SendMessageA(hwnd, BM_SETSTYLE, c->is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
      break;
    case kButtonTextColour: c->text_colour = static_cast<uint32_t>(n); break;
    default: return false;
  }
  return true;
}

bool GetButtonProperty(ControlObject* object, int32_t index, RawValue* value) {
  auto* c = static_cast<ButtonControl*>(object);
  switch (index) {
    case kButtonCaption: value->bytes = WindowText(H(c)); break;
    case kButtonFont: {
      LOGFONTA font{};
      GetObjectA(FontOrDefault(c->font), sizeof font, &font);
      value->bytes.assign(reinterpret_cast<const char*>(&font), sizeof font);
      break;
    }
    case kButtonHorizontalAlign: value->number = c->horizontal_align; break;
    case kButtonVerticalAlign: value->number = c->vertical_align; break;
    case kButtonDefault: value->number = c->is_default; break;
    case kButtonTextColour: value->number = c->text_colour; break;
    default: return false;
  }
  return true;
}

void StoreButtonState(ControlObject* object, UnitRecord* record) {
  auto* c = static_cast<ButtonControl*>(object);
  ButtonData d = c->data;
  d.caption = WindowText(H(c));
  record->type_data = WriteButtonData(d);
}

bool AcceptsEnter(ControlObject* object) {
  return object != nullptr && IsWindowEnabled(H(object)) && IsWindowVisible(H(object));
}

const int32_t kPropertyTypes[kButtonPropertyCount] = {1005, 1013, 1000, 1000, 1003, 1001};

const UnitTypeOps kOps = {CreateButton, SetButtonProperty, GetButtonProperty, StoreButtonState, AcceptsEnter};

void* Query(int32_t operation) { return QueryOperation(kOps, operation); }

const UnitTypeDescriptor kButtonType = {kTypeButton, kTypeClass1 | kTypeAcceptsEnter, kPropertyTypes,
                                        kButtonPropertyCount, Query};

}  // namespace

const UnitTypeDescriptor& ButtonTypeDescriptor() { return kButtonType; }
void RegisterButtonType() { RegisterUnitType(&kButtonType); }

}  // namespace rt
