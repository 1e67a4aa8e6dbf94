// libFuzzer target: the template reader, handler resolution and the window
// unit data reader, with the round-trip checks of template_fuzz_check.h.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/template_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (const char* failure = rt::fuzz_check::CheckTemplateInput(data, size)) {
    std::fprintf(stderr, "template_reader_fuzz: %s\n", failure);
    std::abort();
  }
  return 0;
}
