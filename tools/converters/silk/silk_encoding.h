// Encoding 16-bit mono samples at 24000 Hz into a SILK voice message, for
// the test voices and the demo: 20 ms packets at a fixed bitrate, no forward
// error correction, no discontinuous transmission, no end marker. The codec
// is fixed-point: the same samples always give the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/converters/silk/silk_file_format.h"

namespace silk {

constexpr int32_t kEncoderBitRate = 24000;

// Appends the whole voice file (header and blocks) to `out`. A last frame
// that is not full is completed with silence. False, with `out` unchanged,
// when there are no samples or the codec fails.
bool EncodeVoice(const int16_t* samples, size_t count, Form form, std::vector<uint8_t>* out);

}  // namespace silk
