#include "runtime/core/codepage936.h"

namespace rt {

bool IsLeadByte936(uint8_t byte) { return byte >= 0x81 && byte <= 0xFE; }

}  // namespace rt
