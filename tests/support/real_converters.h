// The working converters of this machine and the test voice files, as the
// end-to-end tests use them: where they lie, and what an MP3 sounds like
// once decoded back to samples.
#pragma once

#include <cstdint>
#include <string>

namespace test_support {

// A test voice file (speech-qq.slk, speech-wechat.amr, tone440.slk,
// corrupt.slk, not-silk.amr), built beside the tests.
std::string TestVoice(const std::string& name);
// The length of the sound in a test voice file, from expected.txt; -1 when
// it has none.
double TestVoiceSeconds(const std::string& name);

// `mp3` decoded with the working encoder into 24000 Hz mono 16-bit samples
// (empty when that failed).
std::string DecodeMp3(const std::string& mp3);

constexpr int kSampleRate = 24000;
inline double SecondsOf(const std::string& samples) { return samples.size() / 2.0 / kSampleRate; }

// How often 16-bit little-endian samples change sign: twice the frequency
// times the length for a pure tone.
int SignChanges(const std::string& samples);

}  // namespace test_support
