// Ids of the windows and controls that the application names.
#pragma once

#include <cstdint>

namespace app {

constexpr uint32_t kMainWindow = 0x52010001;
constexpr uint32_t kAccountListWindow = 0x5201002A;
// The list window's own unit, through which it is addressed as a control.
constexpr uint32_t kAccountListWindowUnit = 0x0601002B;
// A control id of 0 addresses a window's own unit.
constexpr uint32_t kOwnUnit = 0;

constexpr uint32_t kPathBox = 0x1601001C;
constexpr uint32_t kBrowseButton = 0x1601001D;
constexpr uint32_t kBatchConvertButton = 0x1601001E;
constexpr uint32_t kConvertOneButton = 0x16012BA7;
constexpr uint32_t kStopButton = 0x16012B84;
constexpr uint32_t kSampleRateBox = 0x16010020;
constexpr uint32_t kDropTarget = 0x16010024;
constexpr uint32_t kAccountList = 0x1601002C;

}  // namespace app
