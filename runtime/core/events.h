// Events: finding the application's handler that the template binds to a
// unit and event number, and calling it with the event's arguments.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/core/values.h"

namespace rt {

// An application handler: the event's arguments as words, first argument
// first. It answers true when it returned a value, and stores the value.
// Words are pointer-sized, so an argument passed by reference fits on every
// build; 64-bit values arrive as two words of 32 bits, low word first.
using EventWord = uintptr_t;
using HandlerFn = bool (*)(const EventWord* args, int32_t count, int64_t* value);

// Request 2008.
struct SimpleEvent {
  uint32_t window;
  uint32_t control;  // 0 = the window's own unit
  int32_t event;
  int32_t count;     // 0 to 5
  EventWord args[5];
  int32_t has_value;
  int32_t value;
};
static_assert(sizeof(void*) != 4 || sizeof(SimpleEvent) == 44, "44 bytes on 32-bit Windows");
static_assert(offsetof(SimpleEvent, args) == 16, "arguments after four words");

// Request 2031.
struct TypedEventArgument {
  ArgValue value;
  uint32_t flags;  // bit 0: first payload word only (by reference); bit 1: both words
};
static_assert(sizeof(TypedEventArgument) == 16, "16-byte argument slot");

#pragma pack(push, 4)
struct TypedEvent {
  uint32_t window;
  uint32_t control;
  int32_t event;
  int32_t count;  // 0 to 12
  TypedEventArgument args[12];
  int32_t has_value;
  int64_t value;
};
#pragma pack(pop)
static_assert(sizeof(TypedEvent) == 220, "220-byte typed event record");
static_assert(offsetof(TypedEvent, has_value) == 208, "has-value field");
static_assert(offsetof(TypedEvent, value) == 212, "value field");

// Events of a window's own unit.
enum WindowEvent : int32_t {
  kWindowCreated = 0,
  kWindowMayClose = 1,
  kWindowDestroyed = 2,
  kWindowMoved = 3,
  kWindowResized = 4,
  kWindowActivated = 5,
  kWindowDeactivated = 6,
  kWindowFirstActivation = 8,
  kWindowTrayNotification = 9,
  kWindowShown = 10,
  kWindowHidden = 11,
  kWindowCloseRequest = 12,
};

// Common events of every unit (raised by the window's message filter and the
// controls).
enum CommonEvent : int32_t {
  kEventLeftDown = -1,
  kEventLeftUp = -2,
  kEventLeftDoubleClick = -3,
  kEventRightDown = -4,
  kEventRightUp = -5,
  kEventMouseMove = -6,
  kEventGotFocus = -7,
  kEventLostFocus = -8,
  kEventKeyDown = -9,
  kEventKeyUp = -10,
  kEventCharacter = -11,
  kEventWheel = -12,
};

// Key state bits of the mouse and key events.
constexpr int32_t kKeyStateControl = 1;
constexpr int32_t kKeyStateShift = 2;
constexpr int32_t kKeyStateAlt = 4;
// The key code of a key event: the low 13 bits of the key data.
constexpr uint32_t kKeyCodeMask = 0x1FFF;

constexpr uint32_t kTagReferencePair = 0x00010003;  // passed as both payload words

// The application's handler table: index i is the handler at offset 4 * i.
void SetHandlerTable(const HandlerFn* handlers, int32_t count);

// Both answer 1 when a handler was found and called, else 0.
int32_t RaiseEvent(SimpleEvent* event);
int32_t RaiseTypedEvent(TypedEvent* event);
// Request 2017: the unit whose event is being handled.
int32_t CurrentEventSource(uint32_t* window, uint32_t* control);

// Turns a typed argument into the words its handler receives (1 or 2).
int32_t TypedArgumentWords(const TypedEventArgument& argument, EventWord* words);

}  // namespace rt
