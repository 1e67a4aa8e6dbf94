// Splitting the program file's full path into its directory and file name.
#pragma once

#include <string>

namespace rt {

// Splits at the last "\" that is a character of its own in code page 936 (a
// trail byte 0x5C, as in "乗", is not a separator). Without one, the
// directory is empty and the whole path is the name.
void SplitProgramPath(const std::string& path, std::string* directory, std::string* name);

}  // namespace rt
