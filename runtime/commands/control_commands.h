// Commands of the standard controls and of the drop-target library: each a
// CommandFn. Controls and windows are named by ControlRefs.
#pragma once

#include <cstdint>

#include "runtime/core/values.h"

namespace rt {

// (window ControlRef, owner ControlRef?, modal bool) -> bool: the window was
// loaded (false when the given owner is not loaded or the load failed).
void LoadWindowCommand(ArgValue* result, int32_t argc, ArgValue* args);
// (list box ControlRef, index int) -> text: the item's text; an index out
// of range gives the empty text.
void ListBoxItemText(ArgValue* result, int32_t argc, ArgValue* args);
// (list box ControlRef, text, value int?) -> int: the new item's index, or
// -1 when the platform refuses it.
void ListBoxAddItem(ArgValue* result, int32_t argc, ArgValue* args);
// (list box ControlRef): removes every item.
void ListBoxClear(ArgValue* result, int32_t argc, ArgValue* args);
// (list box ControlRef, hold bool): while held, added items are not drawn
// one by one; letting go draws the list once as it stands. For filling a
// long list that is on screen.
void ListBoxHoldDrawing(ArgValue* result, int32_t argc, ArgValue* args);
// (drop target ControlRef, window handle int) -> bool; see drop_target.h.
void RegisterDropTarget(ArgValue* result, int32_t argc, ArgValue* args);

}  // namespace rt
