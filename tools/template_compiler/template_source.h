// The template compiler: the readable window template source
// (resources/window_template.txt) into window records, their units, event
// bindings and type data. Its users (the template_compiler tool, the tests)
// include this one header, which brings in the rest of the compiler's
// interface.
#pragma once

#include <string>
#include <vector>

#include "runtime/core/unit_record.h"
#include "tools/template_compiler/gbk_text.h"
#include "tools/template_compiler/handler_names.h"
#include "tools/template_compiler/include_file.h"

namespace template_compiler {

// Compiles the source; on failure *error names the line and the problem.
// Handler offsets are 4 * the handler's position in `handlers`.
bool CompileTemplateSource(const std::string& source, const std::vector<std::string>& handlers,
                           std::vector<rt::WindowRecord>* windows, std::string* error);

}  // namespace template_compiler
