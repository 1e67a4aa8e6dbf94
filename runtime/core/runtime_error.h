// Runtime errors: one report in a message box, then the program ends with -1.
#pragma once

#include <cstdint>
#include <string>

namespace rt {

// Message of the numbered error table (1..11); null for 0 and unknown indexes.
const char* RuntimeErrorMessage(int32_t index);

// Reports table entry `index` with error code = index. Does not return.
[[noreturn]] void ReportRuntimeError(int32_t index, int32_t location1, int32_t location2);
// Reports a message of the runtime or of a command library. Does not return.
[[noreturn]] void ReportErrorMessage(const char* message, int32_t code, int32_t location1,
                                     int32_t location2);

// The pieces of a report, exposed so that their composition can be tested.
std::string ComposeErrorDetail(int32_t location1, int32_t location2);
std::string ComposeErrorBoxText(int32_t code, const char* message, const std::string& detail);

}  // namespace rt
