#include "runtime/commands/control_commands.h"

#include <windows.h>

#include <string>

#include "runtime/core/control_object.h"
#include "runtime/core/heap.h"
#include "runtime/core/requests.h"

namespace rt {
namespace {

// The live control a ControlRef names; a missing one ends the program.
HWND ListBoxWindow(const ArgValue& ref) {
  auto* control = reinterpret_cast<ControlObject*>(RuntimeRequest(kReqLiveControlOrFail, ref.Word(0), ref.Word(1)));
  return control != nullptr ? reinterpret_cast<HWND>(control->hwnd) : nullptr;
}

}  // namespace

void LoadWindowCommand(ArgValue* result, int32_t argc, ArgValue* args) {
  *result = ArgValue::Bool(false);
  if (argc < 1 || args == nullptr) return;
  WindowLoadRecord record{args[0].Word(0), 0, 0};
  if (argc >= 2 && !args[1].IsOmitted()) {
    record.owner = static_cast<uintptr_t>(RuntimeRequest(kReqLiveControl, args[1].Word(0), 0));
    if (record.owner == 0) return;
  }
  record.modal = argc >= 3 && args[2].AsInt() != 0 ? 1 : 0;
  *result = ArgValue::Bool(RuntimeRequest(kReqLoadWindow, reinterpret_cast<intptr_t>(&record), 0) == 0);
}

void ListBoxItemText(ArgValue* result, int32_t argc, ArgValue* args) {
  *result = ArgValue::Text(nullptr);
  if (argc < 2 || args == nullptr) return;
  HWND list = ListBoxWindow(args[0]);
  const int32_t index = args[1].AsInt();
  const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  if (index < 0 || index >= count) return;
  const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length <= 0) return;
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const LRESULT got = SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
  if (got <= 0) return;
  *result = ArgValue::Text(NewTextN(text.data(), static_cast<int32_t>(got < length ? got : length)));
}

void ListBoxAddItem(ArgValue* result, int32_t argc, ArgValue* args) {
  *result = ArgValue::Int(-1);
  if (argc < 2 || args == nullptr) return;
  HWND list = ListBoxWindow(args[0]);
  const char* text = args[1].AsText();
  const LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text != nullptr ? text : ""));
  if (index < 0) return;
  // A new item's value is already 0.
  const uint32_t value = argc >= 3 && !args[2].IsOmitted() ? args[2].Word(0) : 0;
  if (value != 0) SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(value));
  *result = ArgValue::Int(static_cast<int32_t>(index));
}

void ListBoxClear(ArgValue* result, int32_t argc, ArgValue* args) {
  if (argc < 1 || args == nullptr) return;
  SendMessageA(ListBoxWindow(args[0]), LB_RESETCONTENT, 0, 0);
  (void)result;
}

void ListBoxHoldDrawing(ArgValue* result, int32_t argc, ArgValue* args) {
  (void)result;
  if (argc < 2 || args == nullptr) return;
  HWND list = ListBoxWindow(args[0]);
  const bool hold = args[1].Word(0) != 0;
  SendMessageA(list, WM_SETREDRAW, hold ? FALSE : TRUE, 0);
  if (!hold) InvalidateRect(list, nullptr, TRUE);
}

}  // namespace rt
