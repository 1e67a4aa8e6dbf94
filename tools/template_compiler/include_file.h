// The include file that embeds the template bytes
// (resources/generated/window_template.inc), made from the two source files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace template_compiler {

// A comment, then the bytes as a C initializer list, twelve a line.
std::string FormatInclude(const std::vector<uint8_t>& bytes);

// The whole way from the template source and the handler table to the
// include file's text; on failure *error names the file and the problem.
bool GenerateInclude(const std::string& source_path, const std::string& handlers_path,
                     std::string* include_text, std::string* error);

bool ReadTextFile(const std::string& path, std::string* text);

}  // namespace template_compiler
