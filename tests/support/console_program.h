// A console program started as Sonoteca starts its converters (no console,
// no window), waited for, with what it wrote to stdout and stderr, and the
// wide-path file helpers the converter tests need.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace test_support {

struct ConsoleRun {
  bool finished = false;  // ended within the limit (else it was ended)
  DWORD exit_code = 0;
  std::string output;     // stdout and stderr together
};
ConsoleRun RunConsoleProgram(const std::wstring& exe, const std::wstring& parameters, DWORD limit_ms = 30000);

// A converter that ships, beside sonoteca.exe in this build tree.
std::wstring ShippedProgram(const wchar_t* name);

std::wstring Widen(const std::string& ansi);
std::string Utf8(const std::wstring& text);
inline std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// Made new (false when it exists); the whole content.
bool WriteWhole(const std::wstring& path, const std::string& content);
std::string ReadWhole(const std::wstring& path);
// The names in a folder, without "." and "..", sorted.
std::vector<std::wstring> Names(const std::wstring& folder);

}  // namespace test_support
