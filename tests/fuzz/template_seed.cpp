// Writes the program's real window template to a file: the fuzzer's seed.
#include <cstdio>

namespace {
const unsigned char kTemplate[] = {
#include "resources/generated/window_template.inc"
};
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: template_seed OUTPUT\n");
    return 2;
  }
  std::FILE* f = std::fopen(argv[1], "wb");
  if (f == nullptr) return 1;
  const bool ok = std::fwrite(kTemplate, 1, sizeof kTemplate, f) == sizeof kTemplate;
  return std::fclose(f) == 0 && ok ? 0 : 1;
}
