// Compiles the window template source into the include file that embeds the
// template bytes: template_compiler SOURCE HANDLERS OUTPUT
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/template_compiler/include_file.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: template_compiler SOURCE.txt HANDLERS.def OUTPUT.inc\n");
    return 2;
  }
  std::string text;
  std::string error;
  if (!template_compiler::GenerateInclude(argv[1], argv[2], &text, &error)) {
    std::fprintf(stderr, "template_compiler: %s\n", error.c_str());
    return 1;
  }
  std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    std::fprintf(stderr, "template_compiler: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
