// The test voice files of the end-to-end tests: where they lie and how long
// their sound is.
#pragma once

#include <string>

#include "tests/support/mp3_audio.h"

namespace test_support {

// A test voice file (speech-qq.slk, speech-wechat.amr, tone440.slk,
// corrupt.slk, not-silk.amr, amr-nb.amr), built beside the tests.
std::string TestVoice(const std::string& name);
// The length of the sound in a test voice file, from expected.txt; -1 when
// it has none.
double TestVoiceSeconds(const std::string& name);

}  // namespace test_support
