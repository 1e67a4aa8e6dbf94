// What must hold for any input to the SILK decoding loop, besides the
// sanitizers' own checks: what it reports agrees with what it appended, and
// a second run gives the same. Shared by the fuzzer, which aborts on a
// violation, and by the test that replays stored inputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/converters/silk/silk_stream.h"

namespace silk {
namespace fuzz_check {

// A small bound of samples, so that the fuzzer also reaches its refusal.
constexpr size_t kMaxSamples = 64 * kFrameSamples;

// Null when the input passes; otherwise what went wrong.
inline const char* CheckStreamInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> pcm;
  const StreamOutcome o = DecodeStream(data, size, &pcm, kMaxSamples);
  if (pcm.size() % (2 * kFrameSamples) != 0) return "not a whole number of frames";
  if (pcm.size() > 2 * kMaxSamples) return "more samples than the bound";
  if (pcm.size() > 2 * kFrameSamples * kMaxFramesPerPacket * (o.blocks + 1)) {
    return "more frames than the blocks hold";
  }
  if (o.end_position > size) return "ends past the input";
  if (o.result == StreamResult::kOk && (o.blocks == 0 || pcm.empty())) {
    return "success without samples";
  }
  if (o.result != StreamResult::kOk && o.fault_position > size) return "a fault past the input";
  std::vector<uint8_t> again;
  const StreamOutcome p = DecodeStream(data, size, &again, kMaxSamples);
  if (p.result != o.result || p.fault_position != o.fault_position || again != pcm) {
    return "a second run differs";
  }
  return nullptr;
}

}  // namespace fuzz_check
}  // namespace silk
