// What an MP3 sounds like once decoded back to samples, with LAME's own
// decoder in this process: the tests, the demo and the bench check the
// MP3s of the converters that ship with it. Windows builds only.
#pragma once

#include <cstdint>
#include <string>

namespace test_support {

// An MP3 decoded: its samples without the encoder's delay and padding,
// channels interleaved. The encoder's input was the decoder's 24000 Hz
// mono samples read as two channels at half the rate, so interleaved they
// are those samples again.
struct Mp3Audio {
  int sample_rate = 0;
  int channels = 0;
  long frames = 0;        // samples per channel
  std::string samples;    // 16-bit little-endian, interleaved
  bool empty() const { return frames == 0; }
  double seconds() const { return sample_rate > 0 ? static_cast<double>(frames) / sample_rate : 0; }
};
// Empty when the file cannot be read or holds no MP3 frame.
Mp3Audio DecodeMp3(const std::string& mp3);

// How often 16-bit little-endian samples change sign: twice the frequency
// times the length for a pure tone.
int SignChanges(const std::string& samples);

}  // namespace test_support
