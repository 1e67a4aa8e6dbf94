#include "runtime/core/events.h"

#include "runtime/core/registry.h"
#include "runtime/core/runtime_error.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/unit_types.h"

namespace rt {
namespace {

int32_t Location(uint32_t id) { return static_cast<int32_t>(id); }

// The handler bound to (window, control, event), or null; reports the
// three lookup failures. Remembers the event source when one is found.
HandlerFn FindHandler(uint32_t window_id, uint32_t control_id, int32_t event) {
  RuntimeState& state = Runtime();
  if (state.suspension > 0) return nullptr;
  Window* window = LookupWindow(window_id);
  if (window == nullptr) ReportErrorMessage("未找到引发事件的窗口", 0, Location(window_id), 0);
  UnitRecord* unit = FindUnit(*window, control_id);
  if (unit == nullptr) {
    ReportErrorMessage("未找到引发事件的窗口组件", 0, Location(window_id), Location(control_id));
  }
  // Follow shared handlers to a unit of the same type; the hop count bounds
  // a cycle that a broken template might hold.
  UnitRecord* owner = unit;
  for (size_t hops = 0; owner->shared_handler_unit != 0 && hops < window->record.units.size(); ++hops) {
    UnitRecord* shared = FindUnit(*window, owner->shared_handler_unit);
    if (shared == nullptr || shared->type_id != owner->type_id || shared == owner) break;
    owner = shared;
  }
  const UnitTypeDescriptor* type = FindUnitType(unit->type_id);
  if (type == nullptr || (type->flags & kTypeRaisesEvents) == 0) {
    ReportErrorMessage("引发事件的窗口组件无效", 0, Location(window_id), Location(control_id));
  }
  int32_t index = kNoHandler;
  if (owner->IsMenuItem()) {
    index = owner->menu_event.handler;
  } else {
    for (const EventBinding& binding : owner->events) {
      if (binding.event == event) {
        index = binding.handler;
        break;
      }
    }
  }
  if (index < 0 || index >= state.handler_count || state.handlers == nullptr) return nullptr;
  state.event_window = window_id;
  state.event_control = control_id != 0 ? control_id : unit->id;
  return static_cast<const HandlerFn*>(state.handlers)[index];
}

void EndHandler() {
  RuntimeState& state = Runtime();
  state.event_window = 0;
  state.event_control = 0;
}

}  // namespace

void SetHandlerTable(const HandlerFn* handlers, int32_t count) {
  Runtime().handlers = handlers;
  Runtime().handler_count = handlers != nullptr ? count : 0;
}

int32_t RaiseEvent(SimpleEvent* event) {
  HandlerFn handler = FindHandler(event->window, event->control, event->event);
  if (handler == nullptr) return 0;
  const int32_t count = event->count < 0 ? 0 : (event->count > 5 ? 5 : event->count);
  int64_t value = 0;
  const bool returned = handler(event->args, count, &value);
  EndHandler();
  if (returned) {
    event->has_value = 1;
    event->value = static_cast<int32_t>(value);
  }
  return 1;
}

int32_t TypedArgumentWords(const TypedEventArgument& argument, EventWord* words) {
  const ArgValue& v = argument.value;
  if (argument.flags & 1u) {
    words[0] = v.AsAddress();
    return 1;
  }
  const bool both = (argument.flags & 2u) != 0 || v.tag == kTagReferencePair ||
                    v.tag == kTagDateTime || v.tag == kTagInt64 || v.tag == kTagDouble ||
                    v.tag == kTagWide8;
  if (both) {
    words[0] = v.Word(0);
    words[1] = v.Word(1);
    return 2;
  }
  switch (v.tag) {
    case kTagByte: words[0] = v.payload[0]; break;
    case kTagShort: {
      const int16_t s = static_cast<int16_t>(v.payload[0] | (v.payload[1] << 8));
      words[0] = static_cast<EventWord>(static_cast<intptr_t>(s));
      break;
    }
    case kTagText:
    case kTagBuffer:
    case kTagSubroutine: words[0] = v.AsAddress(); break;  // a pointer keeps its width
    default: words[0] = v.Word(0); break;
  }
  return 1;
}

int32_t RaiseTypedEvent(TypedEvent* event) {
  HandlerFn handler = FindHandler(event->window, event->control, event->event);
  if (handler == nullptr) return 0;
  const int32_t count = event->count < 0 ? 0 : (event->count > 12 ? 12 : event->count);
  EventWord words[24];
  int32_t n = 0;
  for (int32_t i = 0; i < count; ++i) n += TypedArgumentWords(event->args[i], words + n);
  int64_t value = 0;
  const bool returned = handler(words, n, &value);
  EndHandler();
  if (returned) {
    event->has_value = 1;
    event->value = value;
  }
  return 1;
}

int32_t CurrentEventSource(uint32_t* window, uint32_t* control) {
  const RuntimeState& state = Runtime();
  if (state.event_window == 0) return 0;
  *window = state.event_window;
  *control = state.event_control;
  return 1;
}

}  // namespace rt
