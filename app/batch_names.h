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

// What two names have alike when the file system takes them for one.
using NameKey = std::string (*)(const std::string& name);

// The base names of the batch, in the order given. The first file of a name
// keeps it; a later one whose name has the same `key` as an earlier one
// gets "<name>_2", "<name>_3", ... the first that no other file of the
// batch has or gets. The program gives the file system's own key, which
// also folds full-width, Greek and Cyrillic letters; FoldCase knows A to Z.
std::vector<std::string> SettleBaseNames(const std::vector<std::string>& names, NameKey key = FoldCase);

}  // namespace app
