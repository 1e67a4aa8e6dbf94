// The decoding loop of a SILK voice message held in memory: the header,
// then block after block through the SDK's decoder, into 16-bit
// little-endian mono samples at 24000 Hz. No I/O and no state beyond one
// call. It never reads outside the input, and the samples it appends are
// bounded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/converters/silk/silk_file_format.h"

namespace silk {

// Half an hour: far beyond any voice message, and the bound of what one
// call appends (86.4 MB of samples) unless the caller sets a lower one.
constexpr size_t kMaxSamples = size_t{30} * 60 * kSampleRate;

enum class StreamResult {
  kOk,
  kNotSilk,         // no #!SILK_V3 header, in either form
  kNoBlocks,        // the header, then nothing (or at once the end marker)
  kEmptyBlock,      // a block of length 0
  kBlockTooLarge,   // a length above kMaxPacketBytes (and not the end marker)
  kBlockCutShort,   // the first block ends before its length says; a later
                    // one cut short ends the stream instead
  kCodecRejected,   // the codec reports the packet as damaged
  kTooLong,         // the sound would pass the bound of samples
};

struct StreamOutcome {
  StreamResult result = StreamResult::kOk;
  // For a faulty block: the position of its length field in the input.
  size_t fault_position = 0;
  // The length field of that block (for kBlockTooLarge, kBlockCutShort).
  size_t block_length = 0;
  // Blocks decoded in full (before the fault, if any).
  size_t blocks = 0;
  // Where the stream ended: after its last block, or at the end marker.
  size_t end_position = 0;
};

// Decodes `size` bytes at `data` and appends the samples to `pcm` (two bytes
// each, little-endian), at most `max_samples` of them. On a fault `pcm` may
// hold the samples decoded before it; the caller must not use them as a
// result. Bytes after the end marker are not part of the stream and are
// ignored.
StreamOutcome DecodeStream(const uint8_t* data, size_t size, std::vector<uint8_t>* pcm,
                           size_t max_samples = kMaxSamples);

// The form of a file, judged by its header; false when it has none.
bool FormOf(const uint8_t* data, size_t size, Form* form);

// The reason of a fault as one line of plain ASCII text, with the block's
// position where there is one: "damaged block at byte 1234: an empty block".
std::string DescribeOutcome(const StreamOutcome& outcome);

}  // namespace silk
