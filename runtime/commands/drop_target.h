// The DropTarget unit type (0x00050001) of the drop-target library and its
// command RegisterDropTarget. The rules (stored data, the drop effect, the
// text of a file list) are here; the OLE object is drop_target_win32.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/core/unit_types.h"
#include "runtime/core/values.h"

namespace rt {

enum DropTargetProperty : int32_t {
  kDropAcceptText = 0,
  kDropAcceptHtml = 1,
  kDropAcceptUrl = 2,
  kDropAcceptFiles = 3,
  kDropPropertyCount = 4,
};
// The data type of each property.
inline constexpr PropertyDataType kDropPropertyTypes[kDropPropertyCount] = {
    kDataTypeBool, kDataTypeBool, kDataTypeBool, kDataTypeBool,
};

// Events, each raised with one text argument.
enum DropTargetEvent : int32_t {
  kTextDropped = 0,
  kHtmlDropped = 1,
  kUrlDropped = 2,
  kFilesDropped = 3,
};

constexpr int32_t kDropTargetDataVersion = 1;

struct DropTargetData {
  int32_t version = kDropTargetDataVersion;
  int32_t accept[kDropPropertyCount] = {0, 0, 0, 0};  // by property number
};

// Empty data accepts nothing. False for a version above 1 (creation then
// fails) or data that ends early.
bool ReadDropTargetData(const uint8_t* bytes, size_t size, DropTargetData* data);
std::vector<uint8_t> WriteDropTargetData(const DropTargetData& data);

// Key state bits and effects as OLE passes them.
constexpr uint32_t kKeyShift = 0x4;
constexpr uint32_t kKeyControl = 0x8;
constexpr uint32_t kDropEffectNone = 0;
constexpr uint32_t kDropEffectCopy = 1;
constexpr uint32_t kDropEffectMove = 2;
constexpr uint32_t kDropEffectLink = 4;

// The effect of a drag over the target: `allowed` holds what the source
// allows. Zero refuses the drop.
uint32_t ComputeDropEffect(bool accepting, uint32_t key_state, uint32_t allowed);

// The text of dropped names: one name alone as it is; otherwise each name
// followed by CR LF (none gives the empty text).
std::string FileListText(const std::vector<std::string>& names);

// (drop target ControlRef, window handle int) -> bool.
void RegisterDropTarget(ArgValue* result, int32_t argc, ArgValue* args);

void RegisterDropTargetType();
// At shutdown, once the drop targets are gone.
void ReleaseDropTargetClass();

}  // namespace rt
