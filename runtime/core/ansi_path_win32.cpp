#include <windows.h>

#include <cwchar>
#include <string>

#include "runtime/core/ansi_path.h"

namespace rt {
namespace {

// False when some character had no exact counterpart (a best fit, such as
// an accent dropped, counts as none: it would name another file).
bool ToAnsi(const wchar_t* wide, std::string* out) {
  out->clear();
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, nullptr, 0, nullptr, &lossy);
  if (n <= 1) return lossy == FALSE;
  out->resize(static_cast<size_t>(n));
  lossy = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, &(*out)[0], n, "?", &lossy);
  out->resize(static_cast<size_t>(n - 1));
  return lossy == FALSE;
}

// The extension of the last part of `path` (from its last dot), or empty.
std::wstring ExtensionOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  const size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return std::wstring();
  return path.substr(dot);
}

// A short name has its extension in capitals; the long name's own letters
// name the same file and keep what the program reads from the end of it.
void KeepExtensionCase(const std::wstring& long_path, std::wstring* short_path) {
  const std::wstring wanted = ExtensionOf(long_path);
  const std::wstring got = ExtensionOf(*short_path);
  if (wanted.empty() || wanted.size() != got.size() || _wcsicmp(wanted.c_str(), got.c_str()) != 0) return;
  short_path->replace(short_path->size() - got.size(), got.size(), wanted);
}

}  // namespace

std::string AnsiPath(const wchar_t* path) {
  if (path == nullptr) return std::string();
  std::string ansi;
  if (ToAnsi(path, &ansi)) return ansi;
  const DWORD n = GetShortPathNameW(path, nullptr, 0);
  if (n > 0) {
    std::wstring shorter(n, L'\0');
    const DWORD got = GetShortPathNameW(path, &shorter[0], n);
    if (got > 0 && got < n) {
      shorter.resize(got);
      KeepExtensionCase(path, &shorter);
      std::string short_ansi;
      if (ToAnsi(shorter.c_str(), &short_ansi)) return short_ansi;
    }
  }
  return ansi;  // with "?" where the code page had nothing
}

}  // namespace rt
