#include "tests/support/child_process.h"

#include <cstring>
#include <map>
#include <set>

#include "tests/support/program_driver.h"

namespace test_support {
namespace {

std::map<std::string, ChildScenarioFn>& Scenarios() {
  static std::map<std::string, ChildScenarioFn> scenarios;
  return scenarios;
}


}  // namespace

ChildScenarioRegistrar::ChildScenarioRegistrar(const char* name, ChildScenarioFn fn) {
  Scenarios()[name] = fn;
}

bool RunChildScenarioIfAsked(int argc, char** argv, int* exit_code) {
  const char prefix[] = "--child=";
  if (argc < 2 || std::strncmp(argv[1], prefix, sizeof prefix - 1) != 0) return false;
  auto it = Scenarios().find(argv[1] + sizeof prefix - 1);
  if (it == Scenarios().end()) {
    *exit_code = 101;
    return true;
  }
  it->second(argc > 2 ? argv[2] : "");
  *exit_code = 100;  // a scenario that returns did not end the process itself
  return true;
}

DialogSeen ReadDialog(HWND dialog) {
  DialogSeen seen;
  char buffer[4096] = {};
  GetWindowTextA(dialog, buffer, sizeof buffer);
  seen.caption = buffer;
  buffer[0] = '\0';
  GetDlgItemTextA(dialog, 0xFFFF, buffer, sizeof buffer);
  seen.text = buffer;
  seen.style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
  seen.owner = GetWindow(dialog, GW_OWNER);
  return seen;
}

ChildOutcome RunChild(const std::string& scenario, const std::string& argument, int button,
                      DWORD timeout_ms) {
  ChildOutcome outcome;
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = "\"" + std::string(self) + "\" --child=" + scenario + " \"" + argument + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    return outcome;
  }
  outcome.started = true;
  std::set<HWND> answered;
  const DWORD start = GetTickCount();
  for (;;) {
    if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) break;
    for (HWND dialog : WindowsOf(pi.dwProcessId, "#32770")) {
      if (!IsWindowVisible(dialog) || answered.count(dialog)) continue;
      answered.insert(dialog);
      outcome.dialogs.push_back(ReadDialog(dialog));
      PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(button), 0);
    }
    if (GetTickCount() - start > timeout_ms) {
      outcome.timed_out = true;
      TerminateProcess(pi.hProcess, 0xDEAD);
      WaitForSingleObject(pi.hProcess, 5000);
      break;
    }
  }
  GetExitCodeProcess(pi.hProcess, &outcome.exit_code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return outcome;
}

}  // namespace test_support
