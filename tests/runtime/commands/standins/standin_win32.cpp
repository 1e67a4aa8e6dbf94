// A stand-in for the decoder and the encoder. It appends to <name>.log beside
// itself what it was given: its exact command line, current directory, show
// mode, whether its window is visible, and its arguments as the platform's
// parser reads them (in code page 936); then it writes the output file its
// arguments name. <name>.control beside it, or <first argument>.control
// beside the file it is given (the decoder's voice file: orders for one
// file of a batch), may hold "sleep MS" (before the
// output is written), "exit CODE" and "silent" (write no output, as a
// decoder that refuses a file and still exits 0). The decoder writes as the
// real one does: to ".<output name>.<process id>.tmp" beside its output,
// begun before the sleep, renamed to the output at the end.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string ToCodePage936(const wchar_t* text) {
  const int n = WideCharToMultiByte(936, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(936, 0, text, -1, &out[0], n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

std::wstring g_log;

void Log(const std::string& line) {
  // Runs going at once take turns: the log is held alone while a line is
  // added, and a run that finds it held tries again.
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 400 && file == INVALID_HANDLE_VALUE; ++attempt) {
    file = CreateFileW(g_log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_SHARING_VIOLATION) return;
    if (file == INVALID_HANDLE_VALUE) Sleep(5);
  }
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

std::string Clock() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return std::to_string(now.QuadPart);
}

std::string ReadWhole(const wchar_t* path, bool* found) {
  *found = false;
  const HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  *found = true;
  std::string content;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
  CloseHandle(file);
  return content;
}

void WriteWhole(const wchar_t* path, const std::string& content) {
  const HANDLE file =
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Log("output-failed");
    return;
  }
  DWORD written = 0;
  WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring base(self);
  base.resize(base.size() - 4);  // without ".exe"
  const bool decoder = base.size() >= 15 && base.compare(base.size() - 15, 15, L"silk_v3_decoder") == 0;
  g_log = base + L".log";

  Log("begin=" + Clock());
  Log(std::string("cmdline=") + GetCommandLineA());
  char cwd[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, cwd);
  Log(std::string("cwd=") + cwd);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  GetStartupInfoA(&si);
  Log("show=" + std::to_string((si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : -1));
  const HWND window = CreateWindowA("STATIC", "standin", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                    nullptr, nullptr, nullptr, nullptr);
  ShowWindow(window, show);
  Log(std::string("visible=") + (IsWindowVisible(window) ? "1" : "0"));
  DestroyWindow(window);

  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  Log("argc=" + std::to_string(argc - 1));
  for (int i = 1; i < argc; ++i) Log("arg" + std::to_string(i) + "=" + ToCodePage936(argv[i]));

  int exit_code = 0;
  DWORD sleep_ms = 0;
  bool found = false;
  std::string control = ReadWhole((base + L".control").c_str(), &found);
  if (argc >= 2) control += ReadWhole((std::wstring(argv[1]) + L".control").c_str(), &found);
  if (const char* p = std::strstr(control.c_str(), "sleep ")) sleep_ms = std::strtoul(p + 6, nullptr, 10);
  if (const char* p = std::strstr(control.c_str(), "exit ")) exit_code = std::atoi(p + 5);
  const bool silent = std::strstr(control.c_str(), "silent") != nullptr;
  std::wstring temporary;
  if (decoder && argc >= 3 && !silent) {
    const std::wstring output = argv[2];
    const size_t cut = output.find_last_of(L"\\/");
    const size_t name = cut == std::wstring::npos ? 0 : cut + 1;
    temporary = output.substr(0, name) + L"." + output.substr(name) + L"." + std::to_wstring(GetCurrentProcessId()) +
                L".tmp";
    WriteWhole(temporary.c_str(), "partial");
  }
  if (sleep_ms > 0) Sleep(sleep_ms);

  if (silent) {
    Log("silent");
  } else if (decoder && argc >= 3) {
    WriteWhole(temporary.c_str(), "pcm of " + ToCodePage936(argv[1]));
    if (!MoveFileExW(temporary.c_str(), argv[2], MOVEFILE_REPLACE_EXISTING)) {
      Log("output-failed");
      DeleteFileW(temporary.c_str());
    }
  } else if (!decoder && argc >= 3) {
    std::string input = "<none>";
    for (int i = 1; i + 1 < argc; ++i) {
      if (std::wcscmp(argv[i], L"-i") == 0) {
        input = ReadWhole(argv[i + 1], &found);
        if (!found) input = "<missing>";
      }
    }
    Log("input=" + input);
    WriteWhole(argv[argc - 1], "mp3 of [" + input + "]");
  }
  // Which run ended: runs going at once append to the same log.
  Log("ended=" + (argc >= 2 ? ToCodePage936(argv[1]) : std::string()));
  LocalFree(argv);
  Log("end=" + Clock());
  return exit_code;
}
