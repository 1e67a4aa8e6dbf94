// The handler table of resources/handlers.def: an event binding of the
// source names a handler, and the template stores 4 * its position.
#pragma once

#include <string>
#include <vector>

namespace template_compiler {

// Handler names in table order from the SONOTECA_HANDLER(Name) lines;
// blank lines and // comments between them are skipped.
bool ParseHandlerNames(const std::string& def_text, std::vector<std::string>* names,
                       std::string* error);

}  // namespace template_compiler
