// Files as the tests look at them: whole contents, existence, and what a
// recording stand-in wrote into its log.
#pragma once

#include <string>
#include <vector>

namespace test_support {

// The whole file; empty when it cannot be read.
std::string ReadAll(const std::string& path);
bool Exists(const std::string& path);
// A stand-in's log: the value of `key` in each of its runs, in order.
std::vector<std::string> Logged(const std::string& log, const std::string& key);

}  // namespace test_support
