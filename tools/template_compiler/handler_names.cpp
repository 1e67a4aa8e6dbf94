#include "tools/template_compiler/handler_names.h"

#include <sstream>

namespace template_compiler {

bool ParseHandlerNames(const std::string& def_text, std::vector<std::string>* names,
                       std::string* error) {
  names->clear();
  std::istringstream in(def_text);
  std::string line;
  int number = 0;
  const std::string open = "SONOTECA_HANDLER(";
  while (std::getline(in, line)) {
    ++number;
    const size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string::npos || line.compare(start, 2, "//") == 0) continue;
    const size_t close = line.find(')', start);
    const size_t end = line.find_last_not_of(" \t\r");
    if (line.compare(start, open.size(), open) != 0 || close == std::string::npos ||
        close != end || close == start + open.size()) {
      *error = "handlers: line " + std::to_string(number) + " is not SONOTECA_HANDLER(Name)";
      return false;
    }
    const std::string name = line.substr(start + open.size(), close - start - open.size());
    for (const std::string& n : *names) {
      if (n == name) {
        *error = "handlers: " + name + " listed twice";
        return false;
      }
    }
    names->push_back(name);
  }
  return true;
}

}  // namespace template_compiler
