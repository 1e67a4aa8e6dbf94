// Turns the readable window template source (resources/window_template.txt)
// into window records and the include file that embeds their bytes. Used by
// the template_compiler tool and by the test that checks the embedded bytes
// against the source.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/core/unit_record.h"

namespace template_compiler {

// UTF-8 to GBK (code page 936) through iconv; false on text GBK cannot hold.
bool Utf8ToGbk(const std::string& utf8, std::string* gbk);

// Handler names in table order from the SONOTECA_HANDLER(Name) lines of
// handlers.def.
bool ParseHandlerNames(const std::string& def_text, std::vector<std::string>* names,
                       std::string* error);

// Compiles the source; on failure *error names the line and the problem.
// Handler offsets are 4 * the handler's position in `handlers`.
bool CompileTemplateSource(const std::string& source, const std::vector<std::string>& handlers,
                           std::vector<rt::WindowRecord>* windows, std::string* error);

// The include file: a comment, then the bytes as a C initializer list.
std::string FormatInclude(const std::vector<uint8_t>& bytes);

// Whole pipeline from the two source files to the include file's text.
bool GenerateInclude(const std::string& source_path, const std::string& handlers_path,
                     std::string* include_text, std::string* error);

bool ReadTextFile(const std::string& path, std::string* text);

}  // namespace template_compiler
