#include "tools/converters/silk/silk_encoding.h"

#include <algorithm>
#include <cstring>

#include "SKP_Silk_SDK_API.h"

namespace silk {

bool EncodeVoice(const int16_t* samples, size_t count, Form form, std::vector<uint8_t>* out) {
  if (count == 0) return false;
  SKP_int32 state_bytes = 0;
  if (SKP_Silk_SDK_Get_Encoder_Size(&state_bytes) != 0 || state_bytes <= 0) return false;
  std::vector<uint64_t> state((static_cast<size_t>(state_bytes) + sizeof(uint64_t) - 1) /
                              sizeof(uint64_t), 0);
  SKP_SILK_SDK_EncControlStruct control;
  std::memset(&control, 0, sizeof control);
  if (SKP_Silk_SDK_InitEncoder(state.data(), &control) != 0) return false;
  control.API_sampleRate = kSampleRate;
  control.maxInternalSampleRate = kSampleRate;
  control.packetSize = static_cast<SKP_int>(kFrameSamples);
  control.bitRate = kEncoderBitRate;
  control.packetLossPercentage = 0;
  control.complexity = 2;
  control.useInBandFEC = 0;
  control.useDTX = 0;

  std::vector<uint8_t> file;
  if (form == Form::kWeChat) file.push_back(kWeChatMark);
  file.insert(file.end(), kMagic, kMagic + kMagicBytes);
  for (size_t start = 0; start < count; start += kFrameSamples) {
    SKP_int16 frame[kFrameSamples] = {};
    const size_t n = std::min(kFrameSamples, count - start);
    std::memcpy(frame, samples + start, n * sizeof frame[0]);
    SKP_uint8 packet[kMaxPacketBytes];
    SKP_int16 bytes = static_cast<SKP_int16>(kMaxPacketBytes);
    if (SKP_Silk_SDK_Encode(state.data(), &control, frame, static_cast<SKP_int>(kFrameSamples),
                            packet, &bytes) != SKP_SILK_NO_ERROR ||
        bytes <= 0 || static_cast<size_t>(bytes) > kMaxPacketBytes) {
      return false;
    }
    file.push_back(static_cast<uint8_t>(bytes & 0xFF));
    file.push_back(static_cast<uint8_t>(bytes >> 8));
    file.insert(file.end(), packet, packet + bytes);
  }
  out->insert(out->end(), file.begin(), file.end());
  return true;
}

}  // namespace silk
