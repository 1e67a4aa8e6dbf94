// libFuzzer target: the SILK decoding loop with the SDK's decoder under it,
// on any bytes, with the checks of silk_stream_fuzz_check.h.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/silk_stream_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (const char* failure = silk::fuzz_check::CheckStreamInput(data, size)) {
    std::fprintf(stderr, "silk_stream_fuzz: %s\n", failure);
    std::abort();
  }
  return 0;
}
