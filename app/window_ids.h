// Ids of the windows and controls that the application names.
#pragma once

#include <cstdint>

namespace app {

constexpr uint32_t kMainWindow = 0x52010001;
constexpr uint32_t kAccountListWindow = 0x5201002A;
constexpr uint32_t kPathBox = 0x1601001C;
constexpr uint32_t kBrowseButton = 0x1601001D;
constexpr uint32_t kBatchConvertButton = 0x1601001E;
constexpr uint32_t kConvertOneButton = 0x16012BA7;
constexpr uint32_t kStopButton = 0x16012B84;
constexpr uint32_t kSampleRateBox = 0x16010020;
constexpr uint32_t kDropTarget = 0x16010024;
constexpr uint32_t kAccountList = 0x1601002C;

// The window's always-on-top property (type property 21).
constexpr int32_t kPropAlwaysOnTop = 8 + 21;

// Helpers shared by the handlers.
// Stops the last batch worker; it has ended when this returns. The handle
// is kept (a second stop finds the thread ended and stops nothing).
void StopWorker();
// Closes the handle of a worker that has ended, before a new one is started.
void ForgetWorker();
void BringMainWindowToFront();

}  // namespace app
