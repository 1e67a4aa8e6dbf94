// How the application judges a chosen or dropped source path: by its last
// bytes alone, compared byte by byte and case-sensitively.
#pragma once

namespace app {

enum class SourceKind {
  kRefused,     // neither a data folder nor a voice file
  kDataFolder,  // ends in "MobileQQ" or "MicroMsg"
  kVoiceFile,   // ends in ".slk" or ".amr"
};

// True when the last 8 bytes of `path` are "MobileQQ" or "MicroMsg"; a path
// shorter than that never is. Null is the empty text.
bool IsDataFolderPath(const char* path);

// A dropped text: a data folder first (so a path ending in "MobileQQ" is
// always a folder), then a voice file; anything else is refused, also a
// list of several items, which ends in CR LF.
SourceKind ClassifyDroppedText(const char* text);

}  // namespace app
