// Paths as texts of code page 936: where a folder ends.
#pragma once

#include <string>

namespace app {

// True when the last character of `path` is a backslash. The last byte
// alone cannot tell: in code page 936 it may be the second byte of a
// Chinese character ("誠" is D5 5C).
bool EndsWithSeparator(const std::string& path);

// `folder` with a backslash at its end, unless it already has one.
std::string WithSeparator(const std::string& folder);

}  // namespace app
