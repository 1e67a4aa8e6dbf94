// Paths that the platform hands over in UTF-16 (dropped files, the command
// line), in the program's ANSI code page: every text of the program is in
// that code page. Windows builds only.
#pragma once

#include <string>

namespace rt {

// The path in the ANSI code page. A name with characters the code page
// cannot hold (Korean on a Chinese system, an emoji) is replaced by the
// path's short 8.3 form, which names the same file in plain ASCII, where the
// volume has one; otherwise each such character becomes "?", which no file
// name can contain, so that the receiver can tell and refuse the path.
std::string AnsiPath(const wchar_t* path);

}  // namespace rt
