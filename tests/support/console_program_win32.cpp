#include "tests/support/console_program.h"

#include <algorithm>
#include <thread>

#include "tests/support/program_driver.h"

namespace test_support {

ConsoleRun RunConsoleProgram(const std::wstring& exe, const std::wstring& parameters, DWORD limit_ms) {
  ConsoleRun run;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return run;
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write_end;
  startup.hStdError = write_end;
  std::wstring command = Quoted(exe) + L" " + parameters;
  PROCESS_INFORMATION process = {};
  const BOOL started = CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                      nullptr, &startup, &process);
  CloseHandle(write_end);
  if (started) {
    // Read while it runs (a full pipe would stop it) until its end closes
    // the pipe; a program past the limit is ended.
    std::thread reader([read_end, &run] {
      char buffer[4096];
      DWORD got = 0;
      while (ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0) run.output.append(buffer, got);
    });
    run.finished = WaitForSingleObject(process.hProcess, limit_ms) == WAIT_OBJECT_0;
    if (!run.finished) TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, INFINITE);
    reader.join();
    GetExitCodeProcess(process.hProcess, &run.exit_code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(read_end);
  return run;
}

std::wstring ShippedProgram(const wchar_t* name) { return Widen(SelfFolder()) + L"\\..\\app\\" + name; }

std::wstring Widen(const std::string& ansi) {
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, &out[0], n);
  out.resize(out.size() - 1);
  return out;
}

std::string Utf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}

bool WriteWhole(const std::wstring& path, const std::string& content) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == content.size();
}

std::string ReadWhole(const std::wstring& path) {
  std::string content;
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return content;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
  CloseHandle(file);
  return content;
}

std::vector<std::wstring> Names(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace test_support
