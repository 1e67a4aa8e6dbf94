// The routines of the batch around the file system: a walk that calls back
// for every file matching a pattern anywhere in a folder tree, the callback
// that deletes it, and the folder maker. Windows builds only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace app {

// The callback of the walk: the address of the folder text (ending in "\")
// and of the bare file name, both valid only during the call.
using FoundFileCallback = void (*)(uintptr_t folder, uintptr_t name);

// Files of a folder come before its subfolders; subfolders are walked depth
// first, in the order the search gives them, except those whose names begin
// with "." and links (junctions, symbolic links), which lead out of the
// tree. The pattern applies to files only. A folder that cannot be read is
// not walked. The window messages of the calling thread are handled
// between subfolders.
void WalkFiles(const std::string& folder, const std::string& pattern, FoundFileCallback callback);

// The files of `folder` alone (not of its subfolders) whose names match
// `pattern`, as full paths; names the code page cannot hold are left out.
std::vector<std::string> FilesOf(const std::string& folder, const std::string& pattern);

// Deletes the file it is given; a failed deletion is ignored.
void DeleteFoundFile(uintptr_t folder, uintptr_t name);

// Creates every missing folder of `path`, the last one too, splitting it at
// its backslashes (not at the second bytes of double-byte characters).
// True when the folder exists afterwards.
bool MakeFolderPath(const std::string& path);

}  // namespace app
