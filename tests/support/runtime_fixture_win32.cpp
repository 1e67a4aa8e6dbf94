#include "tests/support/runtime_fixture.h"

#include "runtime/commands/window_type.h"
#include "runtime/core/message_loop.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/template_format.h"
#include "runtime/core/window_loading.h"

namespace test_support {
namespace {

constexpr char kHiddenOwnerClass[] = "_KL_HideOwner";

HWND CreateHiddenOwner() {
  WNDCLASSA existing;
  if (!GetClassInfoA(GetModuleHandleA(nullptr), kHiddenOwnerClass, &existing)) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.lpszClassName = kHiddenOwnerClass;
    if (!RegisterClassA(&wc)) return nullptr;
  }
  return CreateWindowExA(WS_EX_TOOLWINDOW, kHiddenOwnerClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

TestControl* ControlOf(HWND hwnd) {
  return reinterpret_cast<TestControl*>(GetPropA(hwnd, "TestControl"));
}

LRESULT CALLBACK TestControlProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  TestControl* c = ControlOf(hwnd);
  if (c == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  const WNDPROC base = c->base;
  switch (message) {
    case WM_LBUTTONDOWN: ++c->left_downs; break;
    case WM_KEYDOWN: ++c->key_downs; break;
    case WM_CHAR: c->characters.push_back(wparam); break;
    case rt::kMsgLoadComplete: ++c->load_complete; return 0;
    case rt::kMsgWindowShown: ++c->window_shown; return 0;
    case rt::kMsgReflectBase + WM_COMMAND:
      if (HIWORD(wparam) == BN_CLICKED) {
        rt::SimpleEvent e{c->window_id, c->unit_id, 0, 0, {}, 0, 0};
        rt::RaiseEvent(&e);
      }
      return 0;
    case WM_NCDESTROY: {
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(base));
      RemovePropA(hwnd, "TestControl");
      rt::UnitDestroyed(c);
      delete c;
      return CallWindowProcA(base, hwnd, message, wparam, lparam);
    }
    default: break;
  }
  return CallWindowProcA(base, hwnd, message, wparam, lparam);
}

rt::ControlObject* CreateTestControl(const rt::CreateParams& p) {
  std::string caption;
  if (p.type_data != nullptr) caption.assign(reinterpret_cast<const char*>(p.type_data), p.type_data_size);
  HWND hwnd = CreateWindowExA(0, "BUTTON", caption.c_str(), WS_CHILD | BS_PUSHBUTTON | p.style, p.left, p.top,
                              p.width, p.height, reinterpret_cast<HWND>(p.parent),
                              reinterpret_cast<HMENU>(static_cast<uintptr_t>(p.child_id)),
                              GetModuleHandleA(nullptr), nullptr);
  if (hwnd == nullptr) return nullptr;
  auto* c = new TestControl();
  c->hwnd = reinterpret_cast<uintptr_t>(hwnd);
  SetPropA(hwnd, "TestControl", c);
  c->base = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TestControlProc)));
  return c;
}

bool AcceptsEnter(rt::ControlObject*) { return true; }

bool FilterF12(rt::Window*, rt::PlatformMessage* message) {
  ++TestFilterCalls();
  return message->message == WM_KEYDOWN && message->wparam == VK_F12;
}

}  // namespace

int& TestFilterCalls() {
  static int calls = 0;
  return calls;
}

void* TestControlQuery(int32_t operation) {
  switch (operation) {
    case rt::kOpCreate: return reinterpret_cast<void*>(static_cast<rt::CreateOp>(CreateTestControl));
    case rt::kOpAcceptsEnter: return reinterpret_cast<void*>(static_cast<rt::AcceptsEnterOp>(AcceptsEnter));
    case rt::kOpFilterMessage: return reinterpret_cast<void*>(static_cast<rt::FilterMessageOp>(FilterF12));
    default: return nullptr;
  }
}

rt::EventBinding Bind(int32_t event, int32_t handler_index) {
  rt::EventBinding b;
  b.event = event;
  b.offset = handler_index < 0 ? -1 : 4 * handler_index;
  return b;
}

rt::UnitRecord WindowUnit(uint32_t id, const rt::WindowUnitData& data, uint32_t flags, int32_t left,
                          int32_t top, int32_t width, int32_t height, std::vector<rt::EventBinding> events) {
  rt::UnitRecord u;
  u.id = id;
  u.type_id = rt::kTypeWindow;
  u.flags = flags;
  u.left = left;
  u.top = top;
  u.width = width;
  u.height = height;
  u.events = std::move(events);
  u.type_data = rt::WriteWindowUnitData(data);
  return u;
}

rt::UnitRecord ControlUnit(uint32_t id, uint32_t type_id, uint32_t flags, int32_t left, int32_t top,
                           int32_t width, int32_t height, std::vector<rt::EventBinding> events,
                           const std::string& caption) {
  rt::UnitRecord u;
  u.id = id;
  u.type_id = type_id;
  u.flags = flags;
  u.left = left;
  u.top = top;
  u.width = width;
  u.height = height;
  u.events = std::move(events);
  u.type_data.assign(caption.begin(), caption.end());
  return u;
}

rt::WindowRecord MakeWindow(uint32_t id, std::vector<rt::UnitRecord> units) {
  rt::WindowRecord w;
  w.id = id;
  w.word_b = 0x09000000u | (id & 0xFFFFFFu);
  w.units = std::move(units);
  return w;
}

RuntimeFixture::RuntimeFixture(const std::vector<rt::WindowRecord>& windows, const rt::HandlerFn* handlers,
                               int32_t handler_count) {
  rt::RuntimeState& state = rt::Runtime();
  state.window_thread = GetCurrentThreadId();
  state.program_words[0] = 3;
  state.hidden_owner = reinterpret_cast<uintptr_t>(CreateHiddenOwner());
  const std::vector<uint8_t> bytes = rt::WriteWindowTemplate(windows);
  std::vector<rt::WindowRecord> read;
  if (state.hidden_owner == 0 || bytes.empty() || !rt::ReadWindowTemplate(bytes.data(), bytes.size(), &read) ||
      !rt::ResolveHandlers(read, handler_count)) {
    return;
  }
  for (rt::WindowRecord& record : read) {
    rt::Window window;
    window.record = std::move(record);
    state.windows.push_back(std::move(window));
  }
  rt::SetHandlerTable(handlers, handler_count);
  rt::RegisterWindowType();
  ok_ = true;
}

RuntimeFixture::~RuntimeFixture() {
  rt::RuntimeState& state = rt::Runtime();
  ++state.suspension;  // no handler runs while the test's windows go
  state.loop_entered = false;
  for (rt::Window& window : state.windows) {
    if (HWND hwnd = reinterpret_cast<HWND>(rt::LoadedWindowHandle(window))) DestroyWindow(hwnd);
  }
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  state.windows.clear();
  if (state.hidden_owner != 0) DestroyWindow(reinterpret_cast<HWND>(state.hidden_owner));
  state.hidden_owner = 0;
  state.unit_types.clear();
  rt::SetHandlerTable(nullptr, 0);
  state.modal_marker = 0;
  state.suspension = 0;
}

HWND WindowHandle(uint32_t window_id) {
  rt::Window* window = rt::LookupWindow(window_id);
  return window != nullptr ? reinterpret_cast<HWND>(rt::LoadedWindowHandle(*window)) : nullptr;
}

HWND ControlHandle(uint32_t window_id, uint32_t control_id) {
  rt::Window* window = rt::LookupWindow(window_id);
  rt::UnitRecord* unit = window != nullptr ? rt::FindUnit(*window, control_id) : nullptr;
  if (unit == nullptr || unit->live == nullptr) return nullptr;
  return reinterpret_cast<HWND>(unit->live->hwnd);
}

TestControl* LiveTestControl(uint32_t window_id, uint32_t control_id) {
  rt::Window* window = rt::LookupWindow(window_id);
  rt::UnitRecord* unit = window != nullptr ? rt::FindUnit(*window, control_id) : nullptr;
  return unit != nullptr ? static_cast<TestControl*>(unit->live) : nullptr;
}

void Pump() { rt::ProcessWaitingMessages(); }

}  // namespace test_support
