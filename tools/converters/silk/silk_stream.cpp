#include "tools/converters/silk/silk_stream.h"

#include <cstring>

#include "SKP_Silk_SDK_API.h"

namespace silk {
namespace {

static_assert(sizeof(SKP_int16) == sizeof(int16_t), "the SDK's samples are 16-bit");
static_assert(SILK_MAX_FRAMES_PER_PACKET == kMaxFramesPerPacket, "the SDK's packet limit");

// The SDK's decoder state, sized by the SDK at run time.
class Decoder {
 public:
  bool Init() {
    SKP_int32 bytes = 0;
    if (SKP_Silk_SDK_Get_Decoder_Size(&bytes) != 0 || bytes <= 0) return false;
    state_.assign((static_cast<size_t>(bytes) + sizeof(uint64_t) - 1) / sizeof(uint64_t), 0);
    return SKP_Silk_SDK_InitDecoder(state_.data()) == 0;
  }
  void* state() { return state_.data(); }

 private:
  std::vector<uint64_t> state_;  // 8-byte aligned, as the state's fields need
};

uint16_t ReadLength(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

size_t HeaderBytes(Form form) { return (form == Form::kWeChat ? 1 : 0) + kMagicBytes; }

// Decodes one packet, frame after frame while the codec says more follow.
// Appends at most kMaxFramesPerPacket frames, never passing max_samples.
StreamResult DecodePacket(Decoder* decoder, const uint8_t* data, size_t length,
                          size_t max_samples, size_t* samples, std::vector<uint8_t>* pcm) {
  // The codec reads the first 4 bytes of a packet whatever its length: it
  // gets a copy, followed by zeros, so that it never reads past the input.
  SKP_uint8 packet[kMaxPacketBytes] = {};
  std::memcpy(packet, data, length);
  SKP_SILK_SDK_DecControlStruct control;
  std::memset(&control, 0, sizeof control);
  control.API_sampleRate = kSampleRate;
  int frames = 0;
  do {
    if (frames == kMaxFramesPerPacket) return StreamResult::kCodecRejected;
    // Room for a frame at the SDK's highest rate, whatever it writes.
    SKP_int16 frame[2 * kFrameSamples];
    SKP_int16 count = static_cast<SKP_int16>(2 * kFrameSamples);
    const SKP_int status = SKP_Silk_SDK_Decode(decoder->state(), &control, 0, packet,
                                               static_cast<SKP_int>(length), frame, &count);
    // A packet with bit errors still gives samples (the codec's concealment):
    // only its status tells.
    if (status != SKP_SILK_NO_ERROR || count != static_cast<SKP_int16>(kFrameSamples)) {
      return StreamResult::kCodecRejected;
    }
    ++frames;
    if (*samples + kFrameSamples > max_samples) return StreamResult::kTooLong;
    *samples += kFrameSamples;
    for (size_t i = 0; i < kFrameSamples; ++i) {
      const uint16_t bits = static_cast<uint16_t>(frame[i]);
      pcm->push_back(static_cast<uint8_t>(bits & 0xFF));
      pcm->push_back(static_cast<uint8_t>(bits >> 8));
    }
  } while (control.moreInternalDecoderFrames != 0);
  return StreamResult::kOk;
}

}  // namespace

bool FormOf(const uint8_t* data, size_t size, Form* form) {
  if (size >= kMagicBytes && std::memcmp(data, kMagic, kMagicBytes) == 0) {
    *form = Form::kQq;
    return true;
  }
  if (size >= 1 + kMagicBytes && data[0] == kWeChatMark &&
      std::memcmp(data + 1, kMagic, kMagicBytes) == 0) {
    *form = Form::kWeChat;
    return true;
  }
  return false;
}

StreamOutcome DecodeStream(const uint8_t* data, size_t size, std::vector<uint8_t>* pcm,
                           size_t max_samples) {
  StreamOutcome outcome;
  Form form = Form::kQq;
  if (!FormOf(data, size, &form)) {
    outcome.result = StreamResult::kNotSilk;
    return outcome;
  }
  Decoder decoder;
  size_t pos = HeaderBytes(form);
  if (!decoder.Init()) {
    outcome.result = StreamResult::kCodecRejected;
    outcome.fault_position = pos;
    return outcome;
  }
  auto fault = [&](StreamResult result, size_t length) {
    outcome.result = result;
    outcome.fault_position = pos;
    outcome.block_length = length;
    outcome.end_position = pos;
    return outcome;
  };

  size_t samples = 0;
  while (pos < size) {
    const size_t left = size - pos;
    // A block cut short by the end of the file ends the stream; only when it
    // is the first one is there nothing to give.
    if (left < kLengthBytes) {
      if (outcome.blocks == 0) return fault(StreamResult::kBlockCutShort, 0);
      break;
    }
    const size_t length = ReadLength(data + pos);
    if (length == kEndMarker) break;
    if (length == 0) return fault(StreamResult::kEmptyBlock, 0);
    if (length > kMaxPacketBytes) return fault(StreamResult::kBlockTooLarge, length);
    if (length > left - kLengthBytes) {
      if (outcome.blocks == 0) return fault(StreamResult::kBlockCutShort, length);
      break;
    }
    const StreamResult result =
        DecodePacket(&decoder, data + pos + kLengthBytes, length, max_samples, &samples, pcm);
    if (result != StreamResult::kOk) return fault(result, length);
    ++outcome.blocks;
    pos += kLengthBytes + length;
  }
  outcome.end_position = pos;
  if (outcome.blocks == 0) {
    outcome.result = StreamResult::kNoBlocks;
    outcome.fault_position = pos;
  }
  return outcome;
}

std::string DescribeOutcome(const StreamOutcome& outcome) {
  const std::string at = "damaged block at byte " + std::to_string(outcome.fault_position) + ": ";
  const std::string length = std::to_string(outcome.block_length);
  switch (outcome.result) {
    case StreamResult::kOk:
      return "decoded";
    case StreamResult::kNotSilk:
      return "not a SILK file (no #!SILK_V3 header)";
    case StreamResult::kNoBlocks:
      return "no audio blocks after the header";
    case StreamResult::kEmptyBlock:
      return at + "an empty block";
    case StreamResult::kBlockTooLarge:
      return at + "length " + length + ", above the codec's maximum of " +
             std::to_string(kMaxPacketBytes);
    case StreamResult::kBlockCutShort:
      return at + (outcome.block_length == 0 ? std::string("its length is cut short")
                                             : "cut short (length " + length + ")");
    case StreamResult::kCodecRejected:
      return at + "the codec rejects it";
    case StreamResult::kTooLong:
      return "too long for a voice message (the sound passes its bound at byte " +
             std::to_string(outcome.fault_position) + ")";
  }
  return "unknown fault";
}

}  // namespace silk
