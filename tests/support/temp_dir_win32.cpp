#include <windows.h>

#include <cstdio>

#include "tests/support/temp_dir.h"

namespace test_support {
namespace {

void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA entry;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &entry);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      const std::string full = dir + "\\" + name;
      SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(h, &entry));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

}  // namespace

ScopedTempDir::ScopedTempDir() {
  char base[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, base);
  char name[64];
  std::snprintf(name, sizeof name, "sonoteca-%lu-%lu", GetCurrentProcessId(), GetTickCount());
  path_ = std::string(base) + name;
  for (int i = 0; !CreateDirectoryA(path_.c_str(), nullptr); ++i) {
    path_ = std::string(base) + name + "-" + std::to_string(i);
  }
}

ScopedTempDir::~ScopedTempDir() { RemoveTree(path_); }

std::string ScopedTempDir::MakeDir(const std::string& relative) const {
  std::string full = path_;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find('\\', start);
    if (end == std::string::npos) end = relative.size();
    full += "\\" + relative.substr(start, end - start);
    CreateDirectoryA(full.c_str(), nullptr);
    start = end + 1;
  }
  return full;
}

std::string ScopedTempDir::WriteFile(const std::string& relative,
                                     const std::string& content) const {
  const size_t slash = relative.rfind('\\');
  if (slash != std::string::npos) MakeDir(relative.substr(0, slash));
  const std::string full = path_ + "\\" + relative;
  HANDLE h = CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
  }
  return full;
}

}  // namespace test_support
