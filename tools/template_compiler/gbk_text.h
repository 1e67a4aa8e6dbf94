// The source is UTF-8; names and texts are stored in GBK (code page 936),
// as the program reads them at run time.
#pragma once

#include <string>

namespace template_compiler {

// UTF-8 to GBK through iconv; false on text GBK cannot hold or broken UTF-8.
bool Utf8ToGbk(const std::string& utf8, std::string* gbk);

}  // namespace template_compiler
