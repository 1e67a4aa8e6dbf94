// The converter programs of the development machine, as Windows programs.
// Built as silk_v3_decoder.exe and ffmpeg.exe, this program runs the Linux
// tool of its own name from the converters folder of the source tree, waits
// for it and exits with its exit code, so that a caller under Wine waits on
// a real Windows process and reads a real exit code.
//
// Wine starts a Linux program for a Windows one, but gives it no process
// handle and passes it none of the standard handles. The bridge therefore
// learns about the tool through files: it starts
//   /bin/sh run-tool STATUS TOOL ARGS...
// run-tool writes its pid to STATUS.pid, runs the tool and renames
// STATUS.tmp (holding the exit code) to STATUS. The bridge waits for STATUS
// on a change notification of its folder with a periodic check, and gives up
// when the shell is gone without having written it.
//
// Arguments that are drive paths (X:\ or X:/, also with mixed separators)
// are passed as Unix paths; all other arguments pass unchanged.
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#ifndef SONOTECA_CONVERTERS_DIR
#error "SONOTECA_CONVERTERS_DIR must name the Unix folder of run-tool and the tools"
#endif

namespace {

// A Unix path, wide so that no execution charset touches it.
constexpr wchar_t kConvertersDir[] = L"" SONOTECA_CONVERTERS_DIR;
// How often the bridge looks for the status file when no change is signalled.
constexpr DWORD kPollMs = 50;
// How long run-tool may take to write its pid before the start counts as failed.
constexpr ULONGLONG kStartLimitMs = 20000;
// The exit code of a run that failed in the bridge itself.
constexpr int kBridgeFailure = 1;

struct HandleCloser {
  void operator()(HANDLE h) const {
    if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};
using Handle = std::unique_ptr<void, HandleCloser>;

struct ChangeNotificationCloser {
  void operator()(HANDLE h) const {
    if (h != nullptr && h != INVALID_HANDLE_VALUE) FindCloseChangeNotification(h);
  }
};
using ChangeNotification = std::unique_ptr<void, ChangeNotificationCloser>;

struct ProcessHeapFree {
  void operator()(char* p) const { HeapFree(GetProcessHeap(), 0, p); }
};

std::string ToUtf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n,
                        nullptr, nullptr);
  }
  return out;
}

std::wstring FromUtf8(const char* text) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  if (n <= 1) return std::wstring();
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, &out[0], n);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

// The name of this program without folder and ".exe": the tool to run.
std::wstring OwnToolName() {
  std::wstring self(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, &self[0], static_cast<DWORD>(self.size()));
    if (n == 0) return std::wstring();
    if (n < self.size()) {
      self.resize(n);
      break;
    }
    self.resize(self.size() * 2);
  }
  const size_t slash = self.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? self : self.substr(slash + 1);
  if (name.size() > 4 && lstrcmpiW(name.c_str() + name.size() - 4, L".exe") == 0) {
    name.resize(name.size() - 4);
  }
  return name;
}

// One line on the standard error of this process, when it has one.
void Report(const std::wstring& tool, const std::wstring& what) {
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err == nullptr || err == INVALID_HANDLE_VALUE) return;
  const std::string line = ToUtf8(tool + L".exe (bridge): " + what + L"\n");
  DWORD written = 0;
  WriteFile(err, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// Wine's kernel32 export that maps a Windows path to the Unix one; it also
// maps a path whose last part does not exist yet.
using UnixFileNameFunction = char*(CDECL*)(const wchar_t*);

UnixFileNameFunction FindUnixFileNameFunction() {
  const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  if (kernel32 == nullptr) return nullptr;
  return reinterpret_cast<UnixFileNameFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel32, "wine_get_unix_file_name")));
}

// Empty when Wine cannot map the path (for instance when its folder does not
// exist). Wine answers in the Unix charset, UTF-8 on this machine.
std::wstring UnixPathOf(UnixFileNameFunction map, const std::wstring& windows_path) {
  const std::unique_ptr<char, ProcessHeapFree> unix_path(map(windows_path.c_str()));
  if (!unix_path) return std::wstring();
  return FromUtf8(unix_path.get());
}

// The Unix path of a drive path. Wine maps a path only when its folder
// exists; for a deeper missing part the deepest folder it can map is joined
// with the rest, so that the tool reports a missing folder instead of writing
// a file named after the whole Windows path into its working folder. Empty
// when not even the drive can be mapped.
std::wstring UnixPathOfDrivePath(UnixFileNameFunction map, const std::wstring& arg) {
  std::wstring whole = UnixPathOf(map, arg);
  if (!whole.empty()) return whole;
  for (size_t cut = arg.find_last_of(L"\\/"); cut != std::wstring::npos && cut >= 2;
       cut = cut > 2 ? arg.find_last_of(L"\\/", cut - 1) : std::wstring::npos) {
    const size_t head_length = cut == 2 ? 3 : cut;  // a drive root keeps its separator
    std::wstring head = UnixPathOf(map, arg.substr(0, head_length));
    if (head.empty()) continue;
    std::wstring rest = arg.substr(cut + 1);
    for (wchar_t& c : rest) {
      if (c == L'\\') c = L'/';
    }
    if (head.back() != L'/') head.push_back(L'/');
    return head + rest;
  }
  return std::wstring();
}

bool IsDrivePath(const std::wstring& arg) {
  if (arg.size() < 3 || arg[1] != L':' || (arg[2] != L'\\' && arg[2] != L'/')) return false;
  const wchar_t drive = arg[0];
  return (drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z');
}

// One argument quoted so that the Windows rules split it back unchanged:
// backslashes are literal except before a quote, where they are doubled.
std::wstring Quote(const std::wstring& arg) {
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      out.append(backslashes * 2 + 1, L'\\');
    } else {
      out.append(backslashes, L'\\');
    }
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, L'\\');
  out.push_back(L'"');
  return out;
}

// The arguments this program was given, without its own name, split from
// GetCommandLineW() by the C runtime with the rules of CommandLineToArgvW.
// CommandLineToArgvW itself would load shell32, which under Wine costs more
// than the rest of a bridge start.
std::vector<std::wstring> OwnArguments() {
  std::vector<std::wstring> args;
  if (__wargv == nullptr) return args;
  for (int i = 1; i < __argc; ++i) args.emplace_back(__wargv[i]);
  return args;
}

// The content of a small file; false when it cannot be opened.
bool ReadSmallFile(const std::wstring& path, std::string* content) {
  const Handle file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return false;
  content->clear();
  char buffer[512];
  DWORD got = 0;
  while (content->size() < 4096 && ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) &&
         got > 0) {
    content->append(buffer, got);
  }
  return true;
}

// A whole decimal number at the start of text ("123\n"); false otherwise.
bool ParseNumber(const std::string& text, long* value) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  char* end = nullptr;
  *value = std::strtol(text.c_str(), &end, 10);
  return end != nullptr && (*end == '\n' || *end == '\0');
}

// Whether the Linux process pid still runs. A finished child that nobody
// reaps stays in /proc as a zombie ("Z"), so the state counts, not the entry.
bool LinuxProcessRuns(long pid) {
  std::string stat;
  if (!ReadSmallFile(L"Z:\\proc\\" + std::to_wstring(pid) + L"\\stat", &stat)) return false;
  const size_t paren = stat.rfind(')');
  if (paren == std::string::npos || paren + 2 >= stat.size()) return false;
  const char state = stat[paren + 2];
  return state != 'Z' && state != 'X' && state != 'x';
}

// A folder of its own under %TEMP% for the handshake files of one run,
// removed with them at the end.
class HandshakeFolder {
 public:
  HandshakeFolder() = default;
  HandshakeFolder(const HandshakeFolder&) = delete;
  HandshakeFolder& operator=(const HandshakeFolder&) = delete;
  ~HandshakeFolder() {
    if (folder_.empty()) return;
    for (const wchar_t* suffix : {L"", L".pid", L".tmp"}) DeleteFileW((Status() + suffix).c_str());
    RemoveDirectoryW(folder_.c_str());
  }

  bool Create() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) return false;
    const std::wstring base =
        std::wstring(temp) + L"sonoteca-bridge-" + std::to_wstring(GetCurrentProcessId()) + L"-";
    for (unsigned counter = 0; counter < 1000; ++counter) {
      const std::wstring candidate = base + std::to_wstring(counter);
      if (CreateDirectoryW(candidate.c_str(), nullptr)) {
        folder_ = candidate;
        return true;
      }
      if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
  }

  const std::wstring& Folder() const { return folder_; }
  std::wstring Status() const { return folder_ + L"\\status"; }

 private:
  std::wstring folder_;
};

// Waits until run-tool has written the exit code and returns it.
int WaitForStatus(const std::wstring& tool, const HandshakeFolder& handshake) {
  const ChangeNotification change(
      FindFirstChangeNotificationW(handshake.Folder().c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME));
  const bool notified = change.get() != INVALID_HANDLE_VALUE;
  const ULONGLONG started = GetTickCount64();
  long pid = 0;
  std::string text;
  for (;;) {
    long code = 0;
    if (ReadSmallFile(handshake.Status(), &text)) {
      if (ParseNumber(text, &code)) return static_cast<int>(code);
      Report(tool, L"run-tool wrote no exit code");
      return kBridgeFailure;
    }
    if (pid == 0 && ReadSmallFile(handshake.Status() + L".pid", &text) && !ParseNumber(text, &pid)) {
      pid = 0;  // still being written
    }
    if (pid != 0 && !LinuxProcessRuns(pid)) {
      // The status may have come just before the shell ended.
      if (ReadSmallFile(handshake.Status(), &text) && ParseNumber(text, &code)) {
        return static_cast<int>(code);
      }
      Report(tool, L"the tool's shell ended without an exit code");
      return kBridgeFailure;
    }
    if (pid == 0 && GetTickCount64() - started > kStartLimitMs) {
      Report(tool, L"run-tool did not start");
      return kBridgeFailure;
    }
    if (notified) {
      if (WaitForSingleObject(change.get(), kPollMs) == WAIT_OBJECT_0) {
        FindNextChangeNotification(change.get());
      }
    } else {
      Sleep(kPollMs);
    }
  }
}

int RunBridge() {
  const std::wstring tool = OwnToolName();
  const std::wstring converters(kConvertersDir);
  std::wstring converters_windows = L"Z:" + converters;
  for (wchar_t& c : converters_windows) {
    if (c == L'/') c = L'\\';
  }
  if (GetFileAttributesW((converters_windows + L"\\run-tool").c_str()) == INVALID_FILE_ATTRIBUTES) {
    Report(tool, L"no run-tool in " + converters);
    return kBridgeFailure;
  }
  const UnixFileNameFunction map = FindUnixFileNameFunction();
  if (map == nullptr) {
    Report(tool, L"this is not Wine (no wine_get_unix_file_name)");
    return kBridgeFailure;
  }
  HandshakeFolder handshake;
  if (!handshake.Create()) {
    Report(tool, L"cannot make a folder for the status file under %TEMP%");
    return kBridgeFailure;
  }
  const std::wstring unix_status = UnixPathOf(map, handshake.Status());
  if (unix_status.empty()) {
    Report(tool, L"cannot map " + handshake.Status() + L" to a Unix path");
    return kBridgeFailure;
  }

  std::wstring command = L"/bin/sh " + Quote(converters + L"/run-tool") + L" " +
                         Quote(unix_status) + L" " + Quote(converters + L"/" + tool);
  for (const std::wstring& arg : OwnArguments()) {
    std::wstring unix_arg;
    if (IsDrivePath(arg)) unix_arg = UnixPathOfDrivePath(map, arg);
    command += L" " + Quote(unix_arg.empty() ? arg : unix_arg);
  }

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(L"Z:\\bin\\sh", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    Report(tool, L"cannot start /bin/sh (error " + std::to_wstring(GetLastError()) + L")");
    return kBridgeFailure;
  }
  // Wine gives no usable handles for a Linux process; close what it gave.
  const Handle process_handle(process.hProcess);
  const Handle thread_handle(process.hThread);
  return WaitForStatus(tool, handshake);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) { return RunBridge(); }
