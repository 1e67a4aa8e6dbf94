#include "tests/support/mp3_audio.h"

#include <lame/lame.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

namespace test_support {

namespace {

constexpr size_t kMostSamplesPerFrame = 1152;
// The decoder's own delay: its output starts that much later and stops as
// much earlier than the frames it was given.
constexpr size_t kDecoderDelay = 528 + 1;

class Hip {
 public:
  Hip() : hip_(hip_decode_init()) {}
  ~Hip() {
    if (hip_ != nullptr) hip_decode_exit(hip_);
  }
  Hip(const Hip&) = delete;
  Hip& operator=(const Hip&) = delete;
  hip_t get() const { return hip_; }

 private:
  hip_t hip_;
};

void AppendSample(std::string* out, short sample) {
  out->push_back(static_cast<char>(sample & 0xFF));
  out->push_back(static_cast<char>((sample >> 8) & 0xFF));
}

}  // namespace

Mp3Audio DecodeMp3(const std::string& mp3) {
  std::ifstream in(mp3, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const Hip hip;
  if (bytes.empty() || hip.get() == nullptr) return Mp3Audio();
  // Each call gives at most one frame, and none for the frame of LAME's
  // tag: the decoder is fed a piece at a time and then drained.
  constexpr size_t kPiece = 4096;
  std::vector<short> left(kMostSamplesPerFrame * 2), right(kMostSamplesPerFrame * 2);
  std::vector<short> all;
  mp3data_struct data = {};
  int delay = -1;
  int padding = -1;
  auto* input = reinterpret_cast<unsigned char*>(&bytes[0]);
  const auto decode = [&](size_t offset, size_t length) {
    const int n = hip_decode1_headersB(hip.get(), input + offset, length, left.data(), right.data(), &data, &delay,
                                       &padding);
    for (int i = 0; i < n; ++i) {
      all.push_back(left[static_cast<size_t>(i)]);
      if (data.stereo == 2) all.push_back(right[static_cast<size_t>(i)]);
    }
    return n;
  };
  for (size_t offset = 0; offset < bytes.size(); offset += kPiece) {
    int n = decode(offset, std::min(kPiece, bytes.size() - offset));
    while (n > 0) n = decode(0, 0);
    if (n < 0) return Mp3Audio();
  }
  for (int empty_calls = 0; empty_calls < 2;) {
    const int n = decode(0, 0);
    if (n < 0) return Mp3Audio();
    empty_calls = n == 0 ? empty_calls + 1 : 0;
  }
  Mp3Audio audio;
  if (!data.header_parsed || data.stereo < 1) return audio;
  audio.sample_rate = data.samplerate;
  audio.channels = data.stereo;
  const size_t channels = static_cast<size_t>(data.stereo);
  const size_t decoded = all.size() / channels;
  const size_t delay_frames = static_cast<size_t>(delay > 0 ? delay : 0);
  const size_t padding_frames = static_cast<size_t>(padding > 0 ? padding : 0);
  // The length without the encoder's delay and padding; its samples where
  // the decoder put them.
  audio.frames = static_cast<long>(decoded > delay_frames + padding_frames ? decoded - delay_frames - padding_frames : 0);
  const size_t first = std::min(decoded, delay_frames + kDecoderDelay);
  const size_t end = std::min(decoded, first + static_cast<size_t>(audio.frames));
  for (size_t i = first * channels; i < end * channels; ++i) AppendSample(&audio.samples, all[i]);
  return audio;
}

int SignChanges(const std::string& samples) {
  int changes = 0;
  int previous = 0;
  for (size_t i = 0; i + 1 < samples.size(); i += 2) {
    const int16_t sample = static_cast<int16_t>(static_cast<uint8_t>(samples[i]) |
                                                (static_cast<uint8_t>(samples[i + 1]) << 8));
    const int sign = sample > 0 ? 1 : (sample < 0 ? -1 : 0);
    if (sign == 0) continue;
    if (previous != 0 && sign != previous) ++changes;
    previous = sign;
  }
  return changes;
}

}  // namespace test_support
