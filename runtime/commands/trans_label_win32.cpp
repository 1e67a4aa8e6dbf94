#include <windows.h>

#include <vector>

#include "runtime/commands/control_support_win32.h"
#include "runtime/commands/trans_label.h"
#include "runtime/core/unit_record.h"

namespace rt {
namespace {

struct TransLabelControl : ClassControl {
  TransLabelData data;
};

// Windows inside `parent`, each followed by its own, from the bottom of the
// z-order to the top.
void CollectBottomToTop(HWND parent, std::vector<HWND>* out) {
  HWND first = GetWindow(parent, GW_CHILD);
  if (first == nullptr) return;
  for (HWND w = GetWindow(first, GW_HWNDLAST); w != nullptr; w = GetWindow(w, GW_HWNDPREV)) {
    out->push_back(w);
    CollectBottomToTop(w, out);
  }
}

// The label paints only its text: after a change or a move, what lies behind
// its rectangle is drawn again so that it shows through the rest.
void RedrawBehind(HWND label) {
  HWND top = label;
  for (;;) {
    const LONG style = GetWindowLongA(top, GWL_STYLE);
    if ((style & WS_POPUP) || !(style & WS_CHILD)) break;
    HWND parent = GetParent(top);
    if (parent == nullptr) break;
    top = parent;
  }
  RECT screen;
  GetWindowRect(label, &screen);
  if (top != label) {
    RECT in_top = screen;
    MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&in_top), 2);
    InvalidateRect(top, &in_top, TRUE);
    UpdateWindow(top);
    std::vector<HWND> inside;
    CollectBottomToTop(top, &inside);
    for (HWND w : inside) {
      if (w == label || !IsWindowVisible(w)) continue;
      RECT bounds, overlap;
      GetWindowRect(w, &bounds);
      if (!IntersectRect(&overlap, &bounds, &screen)) continue;
      MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&overlap), 2);
      RedrawWindow(w, &overlap, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
    }
  }
  InvalidateRect(label, nullptr, TRUE);
}

void Paint(HWND hwnd, const TransLabelData& d) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (dc == nullptr) return;
  const std::string text = WindowText(hwnd);
  if (!text.empty()) {
    HFONT made = nullptr;
    LOGFONTA font;
    if (ReadStoredFont(d.font, &font)) {
      font.lfCharSet = DEFAULT_CHARSET;
      font.lfOutPrecision = 0;
      font.lfClipPrecision = 0;
      font.lfQuality = PROOF_QUALITY;
      font.lfPitchAndFamily = 0;
      made = CreateFontIndirectA(&font);
    }
    HGDIOBJ old = SelectObject(dc, FontOrDefault(made));
    SetBkMode(dc, TRANSPARENT);
    RECT client;
    GetClientRect(hwnd, &client);
    const UINT format = TransLabelTextFormat(d);
    for (const LabelTextPass& pass : TransLabelPasses(d)) {
      RECT r = client;
      OffsetRect(&r, pass.dx, pass.dy);
      SetTextColor(dc, PlatformColour(pass.colour, COLOR_WINDOWTEXT));
      DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
    }
    SelectObject(dc, old);
    if (made != nullptr) DeleteObject(made);
  }
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK LabelProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* c = static_cast<TransLabelControl*>(ClassControlOf(hwnd, message, lparam));
  if (c == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  switch (message) {
    case WM_PAINT: Paint(hwnd, c->data); return 0;
    case WM_ERASEBKGND: return 1;  // nothing of its own behind the text
    case WM_MOVE: {
      const LRESULT answer = DefWindowProcA(hwnd, message, wparam, lparam);
      if (c->created) RedrawBehind(hwnd);
      return answer;
    }
    case kMsgLoadComplete:
    case kMsgWindowShown: return 0;
    case WM_NCDESTROY: return DestroyClassControl(c, hwnd, message, wparam, lparam);
    default: break;
  }
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

// Nothing of its own behind the text: no background brush.
constexpr ControlClass kLabelClass = {"RtTransLabel", LabelProc, CS_DBLCLKS, kNoBackground};

ControlObject* CreateTransLabel(const CreateParams& p) {
  TransLabelData data;
  if (!ReadTransLabelData(p.type_data, p.type_data_size, &data) || !EnsureControlClass(kLabelClass)) return nullptr;
  auto* c = new TransLabelControl();
  c->data = data;
  IdentifyControl(c, p, kTypeTransLabel);
  HWND hwnd = CreateControlWindow(kLabelClass.name, WS_EX_TRANSPARENT, data.caption.c_str(),
                                  WS_CHILD | WS_CLIPSIBLINGS | p.style, p, c);
  if (hwnd == nullptr) {
    delete c;
    return nullptr;
  }
  c->created = true;
  return c;
}

bool SetLabelProperty(ControlObject* object, int32_t index, const RawValue& value) {
  auto* c = static_cast<TransLabelControl*>(object);
  if (!SetTransLabelProperty(&c->data, index, value)) return false;
  HWND hwnd = reinterpret_cast<HWND>(c->hwnd);
  if (index == kLabelCaption) SetWindowTextA(hwnd, c->data.caption.c_str());
  RedrawBehind(hwnd);
  return true;
}

bool GetLabelProperty(ControlObject* object, int32_t index, RawValue* value) {
  return GetTransLabelProperty(static_cast<TransLabelControl*>(object)->data, index, value);
}

void StoreLabelState(ControlObject* object, UnitRecord* record) {
  record->type_data = WriteTransLabelData(static_cast<TransLabelControl*>(object)->data);
}

constexpr UnitTypeOps kOps = {CreateTransLabel, SetLabelProperty, GetLabelProperty, StoreLabelState};
constexpr UnitTypeDescriptor kType = DescribeUnitType<kOps>(kTypeTransLabel, kTypeClass1, kLabelPropertyTypes);

}  // namespace

void RegisterTransLabelType() { RegisterUnitType(&kType); }
void ReleaseTransLabelClass() { ReleaseControlClass(kLabelClass); }

}  // namespace rt
