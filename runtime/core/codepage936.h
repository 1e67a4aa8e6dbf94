// Code page 936 (GBK) byte classes.
#pragma once

#include <cstdint>

namespace rt {

// True for a byte that starts a double-byte character in code page 936
// (0x81..0xFE). 0x80 and 0xFF are single bytes of their own.
bool IsLeadByte936(uint8_t byte);

}  // namespace rt
