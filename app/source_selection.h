// How the application judges a chosen or dropped source path: by its last
// bytes alone, compared byte by byte and case-sensitively.
#pragma once

#include <string>

namespace app {

enum class SourceKind {
  kRefused,     // neither a data folder nor a voice file
  kDataFolder,  // ends in "MobileQQ" or "MicroMsg"
  kVoiceFile,   // ends in ".slk" or ".amr"
};

// True when the last 8 bytes of `path` are "MobileQQ" or "MicroMsg"; a path
// shorter than that never is. Null is the empty text.
bool IsDataFolderPath(const char* path);

// True when the last 8 bytes of `path` are "MobileQQ": the QQ layout.
// Every other folder is read by the WeChat layout.
bool IsQqDataFolderPath(const char* path);

// The layout a data folder is read by, decided once from its path.
enum class DataFolderKind {
  kQq,      // ends in "MobileQQ": <account>\ptt\*.slk
  kWeChat,  // anything else: <account>\voice2\<sub>\<sub>\*.amr
};
DataFolderKind KindOfDataFolder(const std::string& path);

// True when the last 4 bytes of `path` are ".slk" or ".amr".
bool IsVoiceFilePath(const char* path);

// True for a path with a character the code page could not hold (it
// arrives as "?", which no file name contains).
bool HasUnusableCharacter(const char* path);

// A dropped text: a data folder first (so a path ending in "MobileQQ" is
// always a folder), then a voice file; anything else is refused, also a
// list of several items, which ends in CR LF.
SourceKind ClassifyDroppedText(const char* text);

// Windows builds only. Takes a dropped text (or the program's argument) as
// the source: an accepted path goes into the path box and makes its
// conversion button usable; anything else empties the box, makes neither
// button usable and tells the user why.
void TakeSource(const char* text);

}  // namespace app
