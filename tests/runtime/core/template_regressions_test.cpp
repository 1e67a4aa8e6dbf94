// Replays every stored fuzzer input (inputs that once found a fault, and the
// extra seeds) through the template reader: each must be rejected cleanly or
// read, write back and read again unchanged.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/template_fuzz_check.h"

namespace rt {
namespace {

std::filesystem::path FuzzFolder(const char* name) {
  std::string root = SONOTECA_SOURCE_DIR;
#ifdef _WIN32
  // Under Wine the source tree is reached through drive Z:.
  if (!root.empty() && root[0] == '/') root = "Z:" + root;
#endif
  return std::filesystem::path(root) / "tests" / "fuzz" / name;
}

// One file's bytes, or a test failure.
std::vector<uint8_t> ReadInput(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path.string();
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
}

TEST(TemplateRegressionsTest, StoredInputsAreRejectedOrRoundTrip) {
  size_t count = 0;
  for (const char* name : {"regressions", "seeds"}) {
    const std::filesystem::path folder = FuzzFolder(name);
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder.string();
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
      const std::vector<uint8_t> bytes = ReadInput(entry.path());
      const char* failure = fuzz_check::CheckTemplateInput(bytes.data(), bytes.size());
      EXPECT_EQ(nullptr, failure) << entry.path().filename().string() << ": " << failure;
      ++count;
    }
  }
  EXPECT_GE(count, 2u);  // the seeds at least
}

}  // namespace
}  // namespace rt
