// The file and system commands that rest on a platform call.
#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/commands/drop_target.h"
#include "runtime/commands/system_commands.h"
#include "runtime/commands/system_rules.h"
#include "runtime/core/control_object.h"
#include "runtime/core/heap.h"
#include "runtime/core/requests.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/unit_record.h"

namespace rt {
namespace {

// The attributes FileAttributes reports: read-only, hidden, system, folder, archive.
constexpr DWORD kReportedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE;
static_assert(kReportedAttributes == 0x37, "attributes AND 0x37");
constexpr ULONGLONG kHundredNsPerMs = 10000;

// Window handles fit 32 bits on every Windows: a 32-bit int names one,
// sign-extended on 64-bit.
HWND HandleFromInt(int32_t value) {
  return reinterpret_cast<HWND>(static_cast<intptr_t>(value));
}

// The live object of the control a ControlRef names; a missing or unloaded
// one is a runtime error that ends the program.
const ControlObject* RequiredControl(const ArgValue& ref) {
  return reinterpret_cast<const ControlObject*>(
      RuntimeRequest(kReqLiveControlOrFail, static_cast<intptr_t>(ref.Word(0)),
                     static_cast<intptr_t>(ref.Word(1))));
}

HWND MessageBoxOwner(int32_t argc, const ArgValue* args) {
  if (argc < 4) return nullptr;
  const ArgValue& owner = args[3];
  if (owner.tag == kTypeWindow) {
    const auto* window = reinterpret_cast<const ControlObject*>(
        RuntimeRequest(kReqLiveControl, static_cast<intptr_t>(owner.Word(0)), 0));
    return window != nullptr ? reinterpret_cast<HWND>(window->hwnd) : nullptr;
  }
  if (owner.tag == kTagInt) return HandleFromInt(owner.AsInt());
  return nullptr;
}

}  // namespace

void RemoveFile(ArgValue* result, int32_t argc, ArgValue* args) {
  const char* path = argc >= 1 ? args[0].AsText() : nullptr;
  SetInt(result, DeleteFileA(path != nullptr ? path : "") != 0 ? 1 : 0);
}

void FileSize(ArgValue* result, int32_t argc, ArgValue* args) {
  const char* path = argc >= 1 ? args[0].AsText() : nullptr;
  WIN32_FILE_ATTRIBUTE_DATA data;
  int64_t size = -1;
  if (GetFileAttributesExA(path != nullptr ? path : "", GetFileExInfoStandard, &data) &&
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    size = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }
  SetInt64(result, size);
}

void WriteTextFile(ArgValue* result, int32_t argc, ArgValue* args) {
  const char* path = argc >= 1 ? args[0].AsText() : nullptr;
  const char* text = argc >= 2 ? args[1].AsText() : nullptr;
  const DWORD length = text != nullptr ? static_cast<DWORD>(std::strlen(text)) : 0;
  const HANDLE file = CreateFileA(path != nullptr ? path : "", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    SetInt(result, 0);
    return;
  }
  DWORD written = 0;
  const bool ok = length == 0 || (WriteFile(file, text, length, &written, nullptr) && written == length);
  SetInt(result, CloseHandle(file) && ok ? 1 : 0);
}

void RenameFile(ArgValue* result, int32_t argc, ArgValue* args) {
  const char* from = argc >= 1 ? args[0].AsText() : nullptr;
  const char* to = argc >= 2 ? args[1].AsText() : nullptr;
  const BOOL moved = MoveFileExA(from != nullptr ? from : "", to != nullptr ? to : "",
                                 MOVEFILE_REPLACE_EXISTING);
  SetInt(result, moved ? 1 : 0);
}

void FileBeginsWith(ArgValue* result, int32_t argc, ArgValue* args) {
  const char* path = argc >= 1 ? args[0].AsText() : nullptr;
  const char* prefix = argc >= 2 ? args[1].AsText() : nullptr;
  const DWORD length = prefix != nullptr ? static_cast<DWORD>(std::strlen(prefix)) : 0;
  bool begins = false;
  if (length > 0) {
    const HANDLE file = CreateFileA(path != nullptr ? path : "", GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      std::string head(length, '\0');
      DWORD got = 0;
      begins = ReadFile(file, &head[0], length, &got, nullptr) && got == length &&
               std::memcmp(head.data(), prefix, length) == 0;
      CloseHandle(file);
    }
  }
  SetInt(result, begins ? 1 : 0);
}

void CopyWriteTime(ArgValue* result, int32_t argc, ArgValue* args) {
  const char* from = argc >= 1 ? args[0].AsText() : nullptr;
  const char* to = argc >= 2 ? args[1].AsText() : nullptr;
  WIN32_FILE_ATTRIBUTE_DATA data;
  bool copied = false;
  if (GetFileAttributesExA(from != nullptr ? from : "", GetFileExInfoStandard, &data)) {
    const HANDLE file = CreateFileA(to != nullptr ? to : "", FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      copied = SetFileTime(file, nullptr, nullptr, &data.ftLastWriteTime) != 0;
      CloseHandle(file);
    }
  }
  SetInt(result, copied ? 1 : 0);
}

void CreateFolder(ArgValue* result, int32_t argc, ArgValue* args) {
  const char* path = argc >= 1 ? args[0].AsText() : nullptr;
  SetInt(result, path != nullptr && CreateDirectoryA(path, nullptr) ? 1 : 0);
}

void ProbeFolder(ArgValue* result, int32_t argc, ArgValue* args) {
  const std::string folder = argc >= 1 && args[0].AsText() != nullptr ? args[0].AsText() : "";
  ULARGE_INTEGER free_bytes = {};
  const bool room_known = GetDiskFreeSpaceExA(folder.c_str(), &free_bytes, nullptr, nullptr) != 0;
  // A name no program of ours uses, unique to this thread.
  const std::string probe = folder + (folder.empty() || folder.back() == '\\' ? "" : "\\") + ".sonoteca-probe-" +
                            std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetCurrentThreadId());
  const HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
  if (file != INVALID_HANDLE_VALUE) {
    static const char kBlock[4096] = {};
    DWORD written = 0;
    if (!WriteFile(file, kBlock, sizeof kBlock, &written, nullptr) || written != sizeof kBlock) error = GetLastError();
    CloseHandle(file);
  }
  const int64_t needed = argc >= 2 && !args[1].IsOmitted() ? args[1].AsInt64() : 0;
  const bool full = error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ||
                    (room_known && needed > 0 && free_bytes.QuadPart < static_cast<uint64_t>(needed));
  SetInt(result, full ? kFolderFull : error != ERROR_SUCCESS ? kFolderNotWritable : kFolderWritable);
}

void FileNameKey(ArgValue* result, int32_t argc, ArgValue* args) {
  const char* name = argc >= 1 ? args[0].AsText() : nullptr;
  std::string key;
  const int n = name != nullptr ? MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0) : 0;
  if (n > 1) {
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, name, -1, &wide[0], n);
    // Without linguistic casing: the system's own table, which is the one
    // file systems compare names by.
    std::wstring upper(wide.size(), L'\0');
    const int m = LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.c_str(), -1, &upper[0],
                               static_cast<int>(upper.size()));
    if (m > 0) wide = upper.substr(0, static_cast<size_t>(m));
    const int k = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (k > 1) {
      key.assign(static_cast<size_t>(k), '\0');
      WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &key[0], k, nullptr, nullptr);
      key.resize(static_cast<size_t>(k - 1));
    }
  }
  SetText(result, NewText(key.c_str()));
}

void AwakeMilliseconds(ArgValue* result, int32_t, ArgValue*) {
  // Bound at run time: older systems have no unbiased time.
  using UnbiasedTimeFn = BOOL(WINAPI*)(PULONGLONG);
  static const auto unbiased_time = reinterpret_cast<UnbiasedTimeFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryUnbiasedInterruptTime")));
  ULONGLONG hundred_ns = 0;
  if (unbiased_time != nullptr && unbiased_time(&hundred_ns)) {
    SetInt(result, static_cast<int32_t>(static_cast<uint32_t>(hundred_ns / kHundredNsPerMs)));
    return;
  }
  SetInt(result, static_cast<int32_t>(GetTickCount()));
}

void ProcessorCount(ArgValue* result, int32_t, ArgValue*) {
  DWORD_PTR process_mask = 0;
  DWORD_PTR system_mask = 0;
  int32_t count = 0;
  if (GetProcessAffinityMask(GetCurrentProcess(), &process_mask, &system_mask)) {
    for (; process_mask != 0; process_mask &= process_mask - 1) ++count;
  }
  if (count == 0) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    count = static_cast<int32_t>(info.dwNumberOfProcessors);
  }
  SetInt(result, count > 0 ? count : 1);
}

void EnvironmentVariable(ArgValue* result, int32_t argc, ArgValue* args) {
  const char* name = argc >= 1 ? args[0].AsText() : nullptr;
  char* text = nullptr;
  if (name != nullptr && *name != '\0') {
    const DWORD n = GetEnvironmentVariableA(name, nullptr, 0);
    if (n > 1) {
      std::string value(n, '\0');
      const DWORD got = GetEnvironmentVariableA(name, &value[0], n);
      if (got > 0 && got < n) {
        value.resize(got);
        text = NewText(value.c_str());
      }
    }
  }
  SetText(result, text);
}

void ProgramArgument(ArgValue* result, int32_t, ArgValue*) {
  SetText(result, NewText(FileListText(Runtime().program_arguments).c_str()));
}

void FileAttributes(ArgValue* result, int32_t argc, ArgValue* args) {
  const char* path = argc >= 1 ? args[0].AsText() : nullptr;
  const DWORD attributes = GetFileAttributesA(path != nullptr ? path : "");
  SetInt(result, attributes == INVALID_FILE_ATTRIBUTES ? -1
                                                       : static_cast<int32_t>(attributes & kReportedAttributes));
}

void ShowMessageBox(ArgValue* result, int32_t argc, ArgValue* args) {
  char buffer[kFormatBufferSize];
  const char* text = argc >= 1 ? MessageBoxText(args[0], buffer) : "";
  const int32_t flags = argc >= 2 ? args[1].AsInt() : 0;
  const char* caption = MessageBoxCaption(argc, args);
  const HWND owner = MessageBoxOwner(argc, args);
  const int answer = MessageBoxA(owner, text, caption, MessageBoxStyle(flags));
  SetInt(result, MessageBoxAnswer(answer));
}

void ControlWindowHandle(ArgValue* result, int32_t argc, ArgValue* args) {
  const ControlObject* control = RequiredControl(argc >= 1 ? args[0] : ArgValue::Omitted());
  SetInt(result, control != nullptr ? static_cast<int32_t>(control->hwnd) : 0);
}

void SendControlMessage(ArgValue* result, int32_t argc, ArgValue* args) {
  const ControlObject* control = RequiredControl(argc >= 1 ? args[0] : ArgValue::Omitted());
  if (control == nullptr) return;
  const auto word = [&](int32_t i) { return argc > i ? args[i].AsInt() : 0; };
  // From another thread this waits until the window thread has handled it.
  const LRESULT answer =
      SendMessageA(reinterpret_cast<HWND>(control->hwnd), static_cast<UINT>(word(1)),
                   static_cast<WPARAM>(static_cast<uint32_t>(word(2))),
                   static_cast<LPARAM>(word(3)));
  SetInt(result, static_cast<int32_t>(answer));
}

void ListProcesses(ArgValue* result, int32_t, ArgValue*) {
  std::vector<ProcessRecord*> records;
  records.reserve(1024);  // grows past this when the machine runs more
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot != INVALID_HANDLE_VALUE) {
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
      entry.szExeFile[sizeof entry.szExeFile - 1] = '\0';
      records.push_back(NewProcessRecord(
          static_cast<int32_t>(entry.th32ProcessID), entry.szExeFile,
          static_cast<int32_t>(entry.th32ModuleID), static_cast<int32_t>(entry.th32ParentProcessID),
          static_cast<int32_t>(entry.pcPriClassBase), static_cast<int32_t>(entry.cntThreads)));
      entry.dwSize = sizeof entry;
    }
    CloseHandle(snapshot);
  }
  SetAddress(result, ProcessArray(records));
}

}  // namespace rt
