// The decoding loop on voices made by the project's encoder: both forms give
// the same samples of the source's length, a tone keeps its pitch, and each
// kind of faulty input gives its result, its position and its reason. The
// inputs that once made the fuzzer fail pass its checks.
#include "tools/converters/silk/silk_stream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/silk_stream_fuzz_check.h"
#include "tools/converters/silk/silk_encoding.h"

namespace {

using Bytes = std::vector<uint8_t>;
using silk::StreamResult;

// A sine of `hz` at half scale, `count` samples at 24000 Hz.
std::vector<int16_t> Tone(double hz, size_t count) {
  std::vector<int16_t> samples(count);
  const double step = 2 * 3.14159265358979323846 * hz / silk::kSampleRate;
  for (size_t i = 0; i < count; ++i) samples[i] = static_cast<int16_t>(16384 * std::sin(step * i));
  return samples;
}

Bytes Encode(const std::vector<int16_t>& samples, silk::Form form) {
  Bytes voice;
  EXPECT_TRUE(silk::EncodeVoice(samples.data(), samples.size(), form, &voice));
  return voice;
}

struct Decoded {
  silk::StreamOutcome outcome;
  Bytes pcm;
};

Decoded Decode(const Bytes& voice, size_t max_samples = silk::kMaxSamples) {
  Decoded d;
  d.outcome = silk::DecodeStream(voice.data(), voice.size(), &d.pcm, max_samples);
  return d;
}

size_t LengthAt(const Bytes& voice, size_t pos) { return voice[pos] | (voice[pos + 1] << 8); }

int SignChanges(const Bytes& pcm) {
  int changes = 0;
  int previous = 0;
  for (size_t i = 0; i + 1 < pcm.size(); i += 2) {
    const int16_t sample = static_cast<int16_t>(pcm[i] | (pcm[i + 1] << 8));
    const int sign = (sample > 0) - (sample < 0);
    if (sign == 0) continue;
    if (previous != 0 && sign != previous) ++changes;
    previous = sign;
  }
  return changes;
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes Prefix(const Bytes& a, size_t n) { return Bytes(a.begin(), a.begin() + n); }

TEST(SilkStreamTest, BothFormsGiveTheSameSamplesOfTheSourceLength) {
  // 1.234 s: not a whole number of 20 ms frames.
  const std::vector<int16_t> source = Tone(300, 29616);
  const Bytes qq = Encode(source, silk::Form::kQq);
  const Bytes wechat = Encode(source, silk::Form::kWeChat);
  ASSERT_EQ(Concat({silk::kWeChatMark}, qq), wechat);
  EXPECT_EQ(qq, Encode(source, silk::Form::kQq));  // the same bytes every time

  const Decoded from_qq = Decode(qq);
  const Decoded from_wechat = Decode(wechat);
  const Decoded with_end_marker = Decode(Concat(qq, {0xFF, 0xFF}));

  EXPECT_EQ(StreamResult::kOk, from_qq.outcome.result);
  EXPECT_EQ(62u, from_qq.outcome.blocks);  // ceil(29616 / 480)
  EXPECT_EQ(qq.size(), from_qq.outcome.end_position);
  EXPECT_EQ(62u * 480 * 2, from_qq.pcm.size());
  EXPECT_EQ(StreamResult::kOk, from_wechat.outcome.result);
  EXPECT_EQ(from_qq.pcm, from_wechat.pcm);
  EXPECT_EQ(StreamResult::kOk, with_end_marker.outcome.result);
  EXPECT_EQ(qq.size(), with_end_marker.outcome.end_position);
  EXPECT_EQ(from_qq.pcm, with_end_marker.pcm);
  EXPECT_FALSE(silk::EncodeVoice(source.data(), 0, silk::Form::kQq, nullptr));
}

TEST(SilkStreamTest, ToneKeepsItsLengthAndPitch) {
  const Decoded d = Decode(Encode(Tone(440, 3 * 24000), silk::Form::kQq));

  ASSERT_EQ(StreamResult::kOk, d.outcome.result);
  EXPECT_EQ(3u * 24000 * 2, d.pcm.size());
  // 440 Hz for 3 s changes sign 2640 times; the codec may shift it by a few.
  EXPECT_NEAR(2640, SignChanges(d.pcm), 10);
}

TEST(SilkStreamTest, EachFaultGivesItsResultPositionAndReason) {
  const Bytes voice = Encode(Tone(440, 10 * 480), silk::Form::kQq);
  const Bytes wechat = Encode(Tone(440, 480), silk::Form::kWeChat);
  const Decoded whole = Decode(voice);
  ASSERT_EQ(10u, whole.outcome.blocks);
  const Bytes header = Prefix(voice, 9);
  // Where each block's length field lies.
  std::vector<size_t> starts{9};
  for (int i = 0; i < 9; ++i) starts.push_back(starts.back() + 2 + LengthAt(voice, starts.back()));
  const size_t second = starts[1];
  Bytes damaged = voice;
  for (size_t i = second + 2; i < second + 2 + LengthAt(voice, second); ++i) damaged[i] = 0xFF;
  Bytes empty_block = Prefix(voice, second);
  empty_block.insert(empty_block.end(), {0, 0});
  empty_block.insert(empty_block.end(), voice.begin() + second, voice.end());
  Bytes too_large = header;
  too_large.insert(too_large.end(), {0x01, 0x04});  // 1025
  too_large.resize(too_large.size() + 1025, 0x11);

  struct Case {
    const char* name;
    Bytes input;
    StreamResult result;
    size_t position;
    size_t blocks;
    std::string reason;
  };
  const Case cases[] = {
      {"empty", {}, StreamResult::kNotSilk, 0, 0, "not a SILK file (no #!SILK_V3 header)"},
      {"text", Bytes{'#', '!', 'A', 'M', 'R', '\n', 1, 2, 3, 4}, StreamResult::kNotSilk, 0, 0,
       "not a SILK file (no #!SILK_V3 header)"},
      {"header cut", Prefix(voice, 8), StreamResult::kNotSilk, 0, 0,
       "not a SILK file (no #!SILK_V3 header)"},
      {"header only, QQ", header, StreamResult::kNoBlocks, 9, 0, "no audio blocks after the header"},
      {"header only, WeChat", Prefix(wechat, 10), StreamResult::kNoBlocks, 10, 0,
       "no audio blocks after the header"},
      {"end marker at once", Concat(header, {0xFF, 0xFF}), StreamResult::kNoBlocks, 9, 0,
       "no audio blocks after the header"},
      {"first length cut", Concat(header, {0x20}), StreamResult::kBlockCutShort, 9, 0,
       "damaged block at byte 9: its length is cut short"},
      {"first block cut", Prefix(voice, second - 1), StreamResult::kBlockCutShort, 9, 0,
       "damaged block at byte 9: cut short (length " + std::to_string(LengthAt(voice, 9)) + ")"},
      {"empty block", empty_block, StreamResult::kEmptyBlock, second, 1,
       "damaged block at byte " + std::to_string(second) + ": an empty block"},
      {"damaged block", damaged, StreamResult::kCodecRejected, second, 1,
       "damaged block at byte " + std::to_string(second) + ": the codec rejects it"},
      {"too large", too_large, StreamResult::kBlockTooLarge, 9, 0,
       "damaged block at byte 9: length 1025, above the codec's maximum of 1024"},
  };
  for (const Case& c : cases) {
    const Decoded d = Decode(c.input);
    EXPECT_EQ(c.result, d.outcome.result) << c.name;
    EXPECT_EQ(c.position, d.outcome.fault_position) << c.name;
    EXPECT_EQ(c.blocks, d.outcome.blocks) << c.name;
    EXPECT_EQ(c.reason, silk::DescribeOutcome(d.outcome)) << c.name;
  }

  // A last block cut short, or a lone byte after the last block, ends the
  // stream: the blocks before it, exactly as decoded from the whole file.
  const Decoded cut_last = Decode(Prefix(voice, voice.size() - 3));
  EXPECT_EQ(StreamResult::kOk, cut_last.outcome.result);
  EXPECT_EQ(9u, cut_last.outcome.blocks);
  EXPECT_EQ(starts[9], cut_last.outcome.end_position);
  EXPECT_EQ(Prefix(whole.pcm, 9 * 480 * 2), cut_last.pcm);
  const Decoded lone_byte = Decode(Concat(voice, {0x07}));
  EXPECT_EQ(StreamResult::kOk, lone_byte.outcome.result);
  EXPECT_EQ(whole.pcm, lone_byte.pcm);
  // Bytes after the end marker are not part of the stream.
  const Decoded after_end = Decode(Concat(voice, {0xFF, 0xFF, 'a', 'b', 'c'}));
  EXPECT_EQ(StreamResult::kOk, after_end.outcome.result);
  EXPECT_EQ(voice.size(), after_end.outcome.end_position);
  EXPECT_EQ(whole.pcm, after_end.pcm);
  // The bound of samples: five frames fit, the sixth block is refused.
  const Decoded bounded = Decode(voice, 5 * 480);
  EXPECT_EQ(StreamResult::kTooLong, bounded.outcome.result);
  EXPECT_EQ(starts[5], bounded.outcome.fault_position);
  EXPECT_EQ("too long for a voice message (the sound passes its bound at byte " +
                std::to_string(starts[5]) + ")",
            silk::DescribeOutcome(bounded.outcome));
  EXPECT_EQ(5u, bounded.outcome.blocks);
  EXPECT_EQ(5u * 480 * 2, bounded.pcm.size());
}

TEST(SilkStreamTest, StoredFuzzInputsPassTheFuzzerChecks) {
  std::string root = SONOTECA_SOURCE_DIR;
#ifdef _WIN32
  // Under Wine the source tree is reached through drive Z:.
  if (!root.empty() && root[0] == '/') root = "Z:" + root;
#endif
  const std::filesystem::path folder = std::filesystem::path(root) / "tests/fuzz/regressions/silk_stream";
  ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder.string();
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string read((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Exactly as large as the input, so that a read past it is a read
    // outside the allocation.
    const Bytes input(read.begin(), read.end());
    const char* failure = silk::fuzz_check::CheckStreamInput(input.data(), input.size());
    EXPECT_EQ(nullptr, failure) << entry.path().filename().string() << ": " << failure;
    ++count;
  }
  EXPECT_GE(count, 1u);
}

}  // namespace
