// sonoteca.exe started and driven from outside as a user would: its windows
// are found by their texts, buttons are clicked, message boxes are read and
// closed. Used by the tests and by the unattended demo.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace test_support {

// The folder of the running program (without a trailing backslash).
std::string SelfFolder();

// The top-level windows of `process` of class `cls`, visible or not.
std::vector<HWND> WindowsOf(DWORD process, const char* cls);

class RunningProgram {
 public:
  RunningProgram() = default;
  // Stops the program if Stop() has not.
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  // Starts `exe` with the argument (quoted when not empty) and the
  // environment variables "NAME=value" added; true once both windows exist,
  // the main window (or a message box of the start-up) is shown and the
  // program waits for input.
  bool Start(const std::string& exe, const std::string& argument = std::string(),
             const std::vector<std::string>& environment = {});

  // Closes the main window and waits for the program to end; false when it
  // had to be terminated instead. Its exit code is then exit_code().
  bool Stop();
  DWORD exit_code() const { return exit_code_; }
  // Takes a picture of the whole screen as a 24-bit BMP file.
  static bool SaveScreen(const std::string& path);

  HWND main() const { return main_; }
  HWND list_window() const { return list_window_; }
  HWND list() const;
  HWND path_box() const { return EditBox(true); }
  HWND rate_box() const { return EditBox(false); }
  // A child of the main window by its text (a button's caption).
  HWND Control(const std::string& text) const;
  DWORD process_id() const { return process_.dwProcessId; }
  HANDLE process() const { return process_.hProcess; }

  // Clicks the button of that caption; false when there is none.
  bool Click(const std::string& caption) const;
  // The list window's items; a double-click on item `index` (selecting it first).
  std::vector<std::string> Accounts() const;
  void DoubleClickAccount(int index) const;

  // The next message box of the program (waiting up to `timeout_ms`): its
  // text, and its caption in *caption; OK is pressed. "(no box)" when none came.
  std::string AnswerBox(DWORD timeout_ms = 30000, std::string* caption = nullptr) const;
  // True when no message box shows within `ms`.
  bool NoBoxWithin(DWORD ms) const;
  // The texts of the message boxes open now, left open.
  std::vector<std::string> OpenBoxes() const;
  // The programs this program started that are still running (by parent),
  // also after it has ended. Wine gives ended processes' ids out again, so a
  // process that was already running when this one started is none of its
  // own even where its parent id matches.
  std::vector<DWORD> RunningChildren() const;

 private:
  HWND EditBox(bool wide) const;

  PROCESS_INFORMATION process_ = {};
  DWORD exit_code_ = 0;
  DWORD started_id_ = 0;  // kept after Stop()
  std::vector<DWORD> running_before_;  // the processes there when it started, sorted
  HWND main_ = nullptr;
  HWND list_window_ = nullptr;
};

// A window's text, read across processes.
std::string TextOf(HWND window);

// Every file below `folder`, its subfolders included, whose name ends in
// `suffix` (case-sensitive), in the order the file system gives them.
std::vector<std::string> FilesBelow(const std::string& folder, const std::string& suffix);

// Text of the program's code page as UTF-8, for a Linux terminal.
std::string ToUtf8(const std::string& ansi);

// The child of `parent` at exactly this rectangle of its client area, or null.
HWND ChildAt(HWND parent, const RECT& wanted);

// Waits until `done` holds, checking every 20 ms, at most `timeout_ms`.
template <class Condition>
bool WaitUntil(Condition done, DWORD timeout_ms = 30000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeout_ms) return false;
    Sleep(20);
  }
  return true;
}

}  // namespace test_support
