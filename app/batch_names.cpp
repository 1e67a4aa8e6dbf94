#include "app/batch_names.h"

#include <cstdint>
#include <unordered_set>

#include "runtime/core/codepage936.h"

namespace app {

std::string FoldCase(const std::string& name) {
  std::string folded = name;
  for (size_t i = 0; i < folded.size(); ++i) {
    const uint8_t byte = static_cast<uint8_t>(folded[i]);
    if (rt::IsLeadByte936(byte) && i + 1 < folded.size()) {
      ++i;  // its second byte is part of the character
    } else if (byte >= 'A' && byte <= 'Z') {
      folded[i] = static_cast<char>(byte - 'A' + 'a');
    }
  }
  return folded;
}

std::vector<std::string> SettleBaseNames(const std::vector<std::string>& names, NameKey key) {
  // Every name of the batch as given is reserved first, so that a renamed
  // file never takes the name of one that comes later.
  std::unordered_set<std::string> taken;
  for (const std::string& name : names) taken.insert(key(name));
  std::unordered_set<std::string> used;
  std::vector<std::string> settled;
  settled.reserve(names.size());
  for (const std::string& name : names) {
    std::string chosen = name;
    if (!used.insert(key(name)).second) {
      for (int n = 2;; ++n) {
        chosen = name + "_" + std::to_string(n);
        const std::string folded = key(chosen);
        if (taken.count(folded) == 0 && used.insert(folded).second) break;
      }
    }
    settled.push_back(chosen);
  }
  return settled;
}

}  // namespace app
