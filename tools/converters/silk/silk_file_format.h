// The file layout of a SILK voice message. QQ stores the text "#!SILK_V3";
// WeChat stores the byte 0x02 and then the same text. Blocks follow: a 2-byte
// little-endian length and that many bytes of one coded packet. The length
// 0xFFFF, where present, marks the end of the stream.
#pragma once

#include <cstddef>
#include <cstdint>

namespace silk {

constexpr char kMagic[] = "#!SILK_V3";
constexpr size_t kMagicBytes = sizeof kMagic - 1;
constexpr uint8_t kWeChatMark = 0x02;
constexpr size_t kLengthBytes = 2;
constexpr uint16_t kEndMarker = 0xFFFF;
// The codec refuses longer packets (MAX_ARITHM_BYTES of the SDK).
constexpr size_t kMaxPacketBytes = 1024;

// The one sample rate of the converters, and one 20 ms frame of it.
constexpr int32_t kSampleRate = 24000;
constexpr size_t kFrameSamples = kSampleRate / 50;
// The codec puts at most this many frames in one packet.
constexpr int kMaxFramesPerPacket = 5;

enum class Form { kQq, kWeChat };

static_assert(kMagicBytes == 9, "the header text is 9 bytes");
static_assert(kMaxPacketBytes < kEndMarker, "no packet length can be read as the end marker");
static_assert(kFrameSamples == 480, "20 ms at 24000 Hz");

}  // namespace silk
