// The names a batch gives its output files, settled when the files are
// collected: two voice files of one batch never share an MP3 or an
// intermediate file, although WeChat keeps files of the same name in
// different subfolders.
#pragma once

#include <string>
#include <vector>

namespace app {

// `name` with the letters A to Z made small, as Windows ignores their case
// in file names; the second byte of a double-byte character is left alone
// even where it looks like a letter.
std::string FoldCase(const std::string& name);

// The base names of the batch, in the order given. The first file of a name
// keeps it; a later one whose name equals an earlier one, ignoring letter
// case, gets "<name>_2", "<name>_3", ... the first that no other file of
// the batch has or gets.
std::vector<std::string> SettleBaseNames(const std::vector<std::string>& names);

}  // namespace app
