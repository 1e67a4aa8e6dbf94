// Runs a scenario of this test program in a child process and deals with
// the message boxes it shows, so that tests can check how a process ends.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace test_support {

using ChildScenarioFn = void (*)(const char* argument);

struct ChildScenarioRegistrar {
  ChildScenarioRegistrar(const char* name, ChildScenarioFn fn);
};

// Defines a scenario that RunChild can start by name.
#define CHILD_SCENARIO(name)                                                          \
  static void ChildScenario_##name([[maybe_unused]] const char* argument);                             \
  static ::test_support::ChildScenarioRegistrar child_registrar_##name(#name,         \
                                                                       ChildScenario_##name); \
  static void ChildScenario_##name([[maybe_unused]] const char* argument)

struct DialogSeen {
  std::string caption;
  std::string text;  // the static text of a message box (control 0xFFFF)
  DWORD style = 0;
  HWND owner = nullptr;
};

struct ChildOutcome {
  bool started = false;
  bool timed_out = false;
  DWORD exit_code = 0;
  std::vector<DialogSeen> dialogs;
};

// Starts `--child=scenario argument`; each dialog the child shows is
// recorded and answered with `button` (a WM_COMMAND id such as IDOK).
ChildOutcome RunChild(const std::string& scenario, const std::string& argument = "",
                      int button = IDOK, DWORD timeout_ms = 30000);

// Called by main: runs the scenario named on the command line, if any.
bool RunChildScenarioIfAsked(int argc, char** argv, int* exit_code);

// Reads a dialog's caption and message text.
DialogSeen ReadDialog(HWND dialog);

}  // namespace test_support
