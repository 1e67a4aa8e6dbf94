#include <windows.h>

#include <memory>

#include "runtime/commands/control_messages_win32.h"
#include "runtime/commands/control_support_win32.h"
#include "runtime/commands/edit_box.h"
#include "runtime/core/display_scale.h"
#include "runtime/core/events.h"
#include "runtime/core/unit_record.h"
#include "runtime/core/unit_types.h"

namespace rt {
namespace {

struct EditBoxControl : PlatformControl {
  EditBoxData data;
  bool program_update = false;  // a Content write is setting the text
};

HWND H(const ControlObject* c) { return reinterpret_cast<HWND>(c->hwnd); }

DWORD StyleFor(const EditBoxData& d) {
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  if (d.hide_selection == 0) style |= ES_NOHIDESEL;
  if (d.multi_line) {
    style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
    if (d.scroll_bars == 1 || d.scroll_bars == 3) style |= ES_AUTOHSCROLL | WS_HSCROLL;
    if (d.scroll_bars == 2 || d.scroll_bars == 3) style |= WS_VSCROLL;
  } else {
    style |= ES_AUTOHSCROLL;
  }
  if (d.alignment == 1) style |= ES_CENTER;
  if (d.alignment == 2) style |= ES_RIGHT;
  if (d.input_mode == kInputReadOnly) style |= ES_READONLY;
  if (d.input_mode == kInputPassword) style |= ES_PASSWORD;
  if (d.letter_case == 1) style |= ES_LOWERCASE;
  if (d.letter_case == 2) style |= ES_UPPERCASE;
  return style;
}

WPARAM PasswordChar(const EditBoxData& d) { return d.password_char != 0 ? d.password_char : '*'; }

void ApplyBackground(EditBoxControl* c) {
  c->background = ReplaceBackground(H(c), c->background, c->data.background_colour);
}

// A single-line box lower than one line of its font grows to fit it.
void FitOneLine(EditBoxControl* c) {
  if (c->data.multi_line) return;
  HWND hwnd = H(c);
  TEXTMETRICA tm;
  if (!MeasureFont(hwnd, FontOrDefault(c->font), &tm)) return;
  const int needed = tm.tmHeight + 2 * GetSystemMetrics(SM_CYEDGE);
  RECT r;
  GetWindowRect(hwnd, &r);
  if (r.bottom - r.top < needed) {
    SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, needed, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// Width that the text of `font` takes in hwnd, or -1 when it cannot be measured.
int TextWidth(HWND hwnd, HFONT font, const std::string& text) {
  HDC dc = GetDC(hwnd);
  if (dc == nullptr) return -1;
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size = {};
  const bool measured = GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size) != FALSE;
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return measured ? size.cx : -1;
}

// A single-line box shows its initial content whole, the caret after it
// included: a narrow box (the sample rate's 40 pixels for five digits) first
// gets one-pixel margins instead of the font's, then, if that is not enough,
// a smaller font of the same face.
void FitContent(EditBoxControl* c) {
  if (c->data.multi_line || c->data.content.empty()) return;
  HWND hwnd = H(c);
  RECT client;
  GetClientRect(hwnd, &client);
  const int dpi = SystemDpi();
  const int caret = ScaleToDpi(2, dpi);  // the caret and the pixel before the first character
  const LRESULT margins = SendMessageA(hwnd, EM_GETMARGINS, 0, 0);
  int width = TextWidth(hwnd, FontOrDefault(c->font), c->data.content);
  if (width < 0 || width + caret + LOWORD(margins) + HIWORD(margins) <= client.right) return;
  const int margin = ScaleToDpi(1, dpi);
  SendMessageA(hwnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
  const int room = client.right - 2 * margin - caret;
  if (width <= room) return;
  LOGFONTA font = {};
  if (GetObjectA(FontOrDefault(c->font), sizeof font, &font) == 0 || font.lfHeight == 0) return;
  // Down to three quarters of the height; the smallest size tried stays if none fits.
  const int sign = font.lfHeight < 0 ? -1 : 1;
  const int height = font.lfHeight * sign;
  HFONT smaller = nullptr;
  for (int h = height - 1; h >= (height * 3 + 3) / 4 && (smaller == nullptr || width > room); --h) {
    if (smaller != nullptr) DeleteObject(smaller);
    font.lfHeight = h * sign;
    font.lfWidth = 0;
    smaller = CreateFontIndirectA(&font);
    if (smaller == nullptr) return;
    width = TextWidth(hwnd, smaller, c->data.content);
  }
  if (smaller == nullptr) return;
  if (c->font != nullptr) DeleteObject(c->font);
  c->font = smaller;
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(smaller), TRUE);
  SendMessageA(hwnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
}

void ApplySelection(EditBoxControl* c) {
  const int start = c->data.selection_start;
  SendMessageA(H(c), EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start + c->data.selection_length));
  SendMessageA(H(c), EM_SCROLLCARET, 0, 0);
}

void SetContent(EditBoxControl* c, const std::string& text) {
  c->data.content = text;
  c->program_update = true;
  SetWindowTextA(H(c), text.c_str());
  c->program_update = false;
  // The platform's own notification was ignored: exactly one change event.
  SendMessageA(H(c), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(H(c)), EN_CHANGE), static_cast<LPARAM>(c->hwnd));
}

// Leaving the box puts a number typed into it into its normal form.
void Normalise(EditBoxControl* c) {
  const int32_t mode = c->data.input_mode;
  if (mode < kInputByte || mode > kInputDateTime) return;
  HWND hwnd = H(c);
  const std::string current = WindowText(hwnd);
  const std::string normal = NormaliseEditText(mode, current);
  if (normal == current) return;
  DWORD start = 0;
  SendMessageA(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  SetWindowTextA(hwnd, normal.c_str());
  SendMessageA(hwnd, EM_SETSEL, start, start);
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* c = static_cast<EditBoxControl*>(AttachedControl(hwnd));
  if (c == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  switch (message) {
    case WM_CHAR:
      if (!EditAcceptsCharacter(c->data.input_mode, static_cast<uint32_t>(wparam))) return 0;
      break;
    case WM_KILLFOCUS: {
      // Normalised before the lost-focus event, so that a handler reads the
      // normal form.
      const LRESULT answer = CallWindowProcA(c->base, hwnd, message, wparam, lparam);
      Normalise(c);
      RaiseControlEvent(c, kEventLostFocus);
      return answer;
    }
    case WM_COMMAND:
    case kMsgReflectBase + WM_COMMAND:
      if (HIWORD(wparam) == EN_CHANGE && !c->program_update) RaiseControlEvent(c, kEditContentChanged);
      return 0;
    case kMsgReflectBase + WM_CTLCOLOREDIT:
    case kMsgReflectBase + WM_CTLCOLORSTATIC:
      if (message == kMsgReflectBase + WM_CTLCOLORSTATIC && !IsWindowEnabled(hwnd)) return 0;
      return BackgroundAnswer(c->background, wparam, c->data.background_colour);
    default: break;
  }
  return CommonControlMessage(c, hwnd, message, wparam, lparam);
}

ControlObject* CreateEditBox(const CreateParams& p) {
  EditBoxData data;
  if (!ReadEditBoxData(p.type_data, p.type_data_size, &data)) return nullptr;
  HWND hwnd = CreateControlWindow("EDIT", BorderExStyle(data.border_style), data.content.c_str(),
                                  StyleFor(data) | p.style, p);
  if (hwnd == nullptr) return nullptr;
  auto* c = new EditBoxControl();
  c->data = data;
  AdoptPlatformControl(c, hwnd, p, kTypeEditBox, EditProc);
  if (data.input_mode == kInputPassword) {
    SendMessageA(hwnd, EM_SETPASSWORDCHAR, PasswordChar(data), 0);
  }
  if (data.max_length > 0) SendMessageA(hwnd, EM_LIMITTEXT, static_cast<WPARAM>(data.max_length), 0);
  SelectStoredFont(c, data.font);
  ApplyBackground(c);
  FitContent(c);
  FitOneLine(c);
  ApplySelection(c);
  return c;
}

void ReplaceStyle(HWND hwnd, DWORD mask, DWORD bits) {
  const DWORD style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
  SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>((style & ~mask) | bits));
  InvalidateRect(hwnd, nullptr, TRUE);
}

bool SetEditProperty(ControlObject* object, int32_t index, const RawValue& value) {
  auto* c = static_cast<EditBoxControl*>(object);
  EditBoxData& d = c->data;
  HWND hwnd = H(c);
  const int32_t n = static_cast<int32_t>(value.number);
  switch (index) {
    case kEditContent: SetContent(c, value.bytes); break;
    case kEditBorderStyle:
      d.border_style = n;
      ApplyBorderStyle(hwnd, n);
      break;
    case kEditProperty2: d.property2 = n; break;
    case kEditBackgroundColour: d.background_colour = static_cast<uint32_t>(n); ApplyBackground(c); break;
    case kEditHideSelection: d.hide_selection = n; ReplaceStyle(hwnd, ES_NOHIDESEL, n ? 0 : ES_NOHIDESEL); break;
    case kEditMaxLength:
      d.max_length = n < 0 ? 0 : n;
      SendMessageA(hwnd, EM_LIMITTEXT, static_cast<WPARAM>(d.max_length), 0);
      break;
    case kEditMultiLine: d.multi_line = n; break;  // fixed when the platform control is made
    case kEditScrollBars: d.scroll_bars = n; break;
    case kEditAlignment:
      d.alignment = n < 0 ? 0 : (n > 2 ? 2 : n);
      ReplaceStyle(hwnd, ES_CENTER | ES_RIGHT, d.alignment == 1 ? ES_CENTER : (d.alignment == 2 ? ES_RIGHT : 0));
      break;
    case kEditInputMode:
      d.input_mode = n < 0 ? 0 : (n > kInputDateTime ? kInputDateTime : n);
      SendMessageA(hwnd, EM_SETREADONLY, d.input_mode == kInputReadOnly, 0);
      SendMessageA(hwnd, EM_SETPASSWORDCHAR, d.input_mode == kInputPassword ? PasswordChar(d) : 0, 0);
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case kEditPasswordChar:
      d.password_char = static_cast<uint16_t>(n);
      if (d.input_mode == kInputPassword) SendMessageA(hwnd, EM_SETPASSWORDCHAR, d.password_char, 0);
      break;
    case kEditLetterCase:
      d.letter_case = n;
      ReplaceStyle(hwnd, ES_LOWERCASE | ES_UPPERCASE, n == 1 ? ES_LOWERCASE : (n == 2 ? ES_UPPERCASE : 0));
      break;
    case kEditSpinButton: d.spin_button = n; break;
    case kEditSpinMinimum: d.spin_minimum = n; break;
    case kEditSpinMaximum: d.spin_maximum = n; break;
    case kEditSelectionStart:
    case kEditSelectionLength: {
      DWORD start = 0, end = 0;
      SendMessageA(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
      d.selection_start = index == kEditSelectionStart ? n : static_cast<int32_t>(start);
      d.selection_length = index == kEditSelectionLength ? n : static_cast<int32_t>(end - start);
      ApplySelection(c);
      break;
    }
    case kEditSelectedText:
      SendMessageA(hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(value.bytes.c_str()));
      break;
    case kEditFont: d.font = value.bytes; SelectStoredFont(c, d.font); break;
    case kEditExtraText1: d.extra_text1 = value.bytes; break;
    case kEditExtraText2: d.extra_text2 = value.bytes; break;
    default: return false;
  }
  return true;
}

bool GetEditProperty(ControlObject* object, int32_t index, RawValue* value) {
  auto* c = static_cast<EditBoxControl*>(object);
  const EditBoxData& d = c->data;
  HWND hwnd = H(c);
  DWORD start = 0, end = 0;
  if (index == kEditSelectionStart || index == kEditSelectionLength || index == kEditSelectedText) {
    SendMessageA(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  }
  switch (index) {
    case kEditContent: value->bytes = WindowText(hwnd); break;
    case kEditBorderStyle: value->number = d.border_style; break;
    case kEditProperty2: value->number = d.property2; break;
    case kEditBackgroundColour: value->number = d.background_colour; break;
    case kEditHideSelection: value->number = d.hide_selection; break;
    case kEditMaxLength: value->number = d.max_length; break;
    case kEditMultiLine: value->number = d.multi_line; break;
    case kEditScrollBars: value->number = d.scroll_bars; break;
    case kEditAlignment: value->number = d.alignment; break;
    case kEditInputMode: value->number = d.input_mode; break;
    case kEditPasswordChar: value->number = d.password_char; break;
    case kEditLetterCase: value->number = d.letter_case; break;
    case kEditSpinButton: value->number = d.spin_button; break;
    case kEditSpinMinimum: value->number = d.spin_minimum; break;
    case kEditSpinMaximum: value->number = d.spin_maximum; break;
    case kEditSelectionStart: value->number = start; break;
    case kEditSelectionLength: value->number = end - start; break;
    case kEditSelectedText: {
      const std::string text = WindowText(hwnd);
      if (start < end && end <= text.size()) value->bytes = text.substr(start, end - start);
      break;
    }
    case kEditFont: value->bytes = FontPropertyBytes(d.font); break;
    case kEditExtraText1: value->bytes = d.extra_text1; break;
    case kEditExtraText2: value->bytes = d.extra_text2; break;
    default: return false;
  }
  return true;
}

void StoreEditState(ControlObject* object, UnitRecord* record) {
  auto* c = static_cast<EditBoxControl*>(object);
  EditBoxData d = c->data;
  d.content = WindowText(H(c));
  DWORD start = 0, end = 0;
  SendMessageA(H(c), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  d.selection_start = static_cast<int32_t>(start);
  d.selection_length = static_cast<int32_t>(end - start);
  record->type_data = WriteEditBoxData(d);
}

constexpr UnitTypeOps kOps = {CreateEditBox, SetEditProperty, GetEditProperty, StoreEditState};
constexpr UnitTypeDescriptor kType = DescribeUnitType<kOps>(kTypeEditBox, kTypeClass1, kEditPropertyTypes);

}  // namespace

void RegisterEditBoxType() { RegisterUnitType(&kType); }

}  // namespace rt
