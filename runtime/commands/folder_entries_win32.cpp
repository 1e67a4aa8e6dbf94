#include <windows.h>

#include <string>

#include "runtime/commands/folder_entries.h"
#include "runtime/core/heap.h"
#include "runtime/core/thread_stop.h"

namespace rt {
namespace {

int32_t* Variable(int32_t argc, const ArgValue* args, int32_t i) {
  return argc > i && !args[i].IsOmitted() ? reinterpret_cast<int32_t*>(args[i].AsAddress()) : nullptr;
}

std::wstring Wide(const char* ansi) {
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
  if (n <= 1) return std::wstring();
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi, -1, &out[0], n);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

// False when a character had no exact counterpart ("?" stands in for it).
bool ToAnsi(const wchar_t* wide, std::string* out) {
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, nullptr, 0, nullptr, &lossy);
  if (n <= 1) {
    out->clear();
    return true;
  }
  out->assign(static_cast<size_t>(n), '\0');
  lossy = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, &(*out)[0], n, "?", &lossy);
  out->resize(static_cast<size_t>(n - 1));
  return lossy == FALSE;
}

// The name the program can use for an entry; false when it has none.
bool UsableName(const WIN32_FIND_DATAW& entry, std::string* name) {
  if (ToAnsi(entry.cFileName, name)) return true;
  std::string short_name;
  if (entry.cAlternateFileName[0] != L'\0' && ToAnsi(entry.cAlternateFileName, &short_name)) {
    *name = short_name;
    return true;
  }
  return false;
}

void Close(int32_t* handle) {
  if (*handle == 0) return;
  const uintptr_t h = static_cast<uintptr_t>(static_cast<intptr_t>(*handle));
  ReleaseWorkerHandle(h);
  FindClose(reinterpret_cast<HANDLE>(h));
  *handle = 0;
}

}  // namespace

void FindEntry(ArgValue* result, int32_t argc, ArgValue* args) {
  ThreadSafePoint();
  int32_t* handle = Variable(argc, args, 1);
  int32_t* attributes = Variable(argc, args, 2);
  int32_t* usable = Variable(argc, args, 3);
  SetText(result, nullptr);
  if (handle == nullptr) return;
  const char* pattern = argc >= 1 && !args[0].IsOmitted() ? args[0].AsText() : nullptr;
  WIN32_FIND_DATAW entry;
  if (pattern != nullptr && *pattern != '\0') {
    Close(handle);
    HANDLE h;
    {
      // The handle must reach the caller's variable before a stop can end us.
      StopDeferral deferral;
      h = FindFirstFileW(Wide(pattern).c_str(), &entry);
      if (h == INVALID_HANDLE_VALUE) return;
      // Search handles fit 32 bits on every Windows (sign-extended on 64-bit).
      *handle = static_cast<int32_t>(reinterpret_cast<intptr_t>(h));
      HoldWorkerHandle(reinterpret_cast<uintptr_t>(h), HeldHandleKind::kFileSearch);
    }
  } else {
    if (*handle == 0) return;
    if (!FindNextFileW(reinterpret_cast<HANDLE>(static_cast<intptr_t>(*handle)), &entry)) {
      Close(handle);
      return;
    }
  }
  std::string name;
  const bool has_name = UsableName(entry, &name);
  if (attributes != nullptr) *attributes = static_cast<int32_t>(entry.dwFileAttributes);
  if (usable != nullptr) *usable = has_name ? 1 : 0;
  SetText(result, NewText(name.c_str()));
}

void CloseEntrySearch(ArgValue*, int32_t argc, ArgValue* args) {
  int32_t handle = argc >= 1 ? args[0].AsInt() : 0;
  Close(&handle);
}

}  // namespace rt
