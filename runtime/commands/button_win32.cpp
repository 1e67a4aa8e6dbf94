#include <windows.h>

#include "runtime/commands/button.h"
#include "runtime/commands/control_messages_win32.h"
#include "runtime/commands/control_support_win32.h"
#include "runtime/core/unit_record.h"
#include "runtime/core/unit_types.h"

namespace rt {
namespace {

struct ButtonControl : PlatformControl {
  ButtonData data;
  int32_t horizontal_align = 1;  // centred, as the platform draws a push button
  int32_t vertical_align = 1;
  int32_t is_default = 0;
  uint32_t text_colour = 0;
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
  switch (message) {
    case kMsgReflectBase + WM_COMMAND:
      if (HIWORD(wparam) == BN_CLICKED) RaiseControlEvent(c, kButtonClicked);
      return 0;
    default: break;
  }
  return CommonControlMessage(c, hwnd, message, wparam, lparam);
}

ControlObject* CreateButton(const CreateParams& p) {
  ButtonData data;
  if (!ReadButtonData(p.type_data, p.type_data_size, &data)) return nullptr;
  auto* c = new ButtonControl();
  c->data = data;
  HWND hwnd = CreateControlWindow("BUTTON", 0, data.caption.c_str(),
                                  WS_CHILD | WS_CLIPSIBLINGS | BS_PUSHBUTTON | AlignStyle(c) | p.style, p);
  if (hwnd == nullptr) {
    delete c;
    return nullptr;
  }
  AdoptPlatformControl(c, hwnd, p, kTypeButton, ButtonProc);
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
    case kButtonFont: SelectStoredFont(c, value.bytes); break;
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

constexpr UnitTypeOps kOps = {CreateButton, SetButtonProperty, GetButtonProperty, StoreButtonState, AcceptsEnter};
constexpr UnitTypeDescriptor kType =
    DescribeUnitType<kOps>(kTypeButton, kTypeClass1 | kTypeAcceptsEnter, kButtonPropertyTypes);

}  // namespace

void RegisterButtonType() { RegisterUnitType(&kType); }

}  // namespace rt
