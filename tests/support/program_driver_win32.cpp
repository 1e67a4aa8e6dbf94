#include "tests/support/program_driver.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstring>

namespace test_support {
namespace {

constexpr char kMainCaption[] = "Sonoteca[支持QQ、微信]";
constexpr char kWindowClass[] = "RtProgramWindow";

struct Search {
  DWORD process;
  const char* cls;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectOfProcess(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (pid == search->process && std::strcmp(cls, search->cls) == 0) search->found.push_back(hwnd);
  return TRUE;
}

HWND VisibleBox(DWORD process) {
  for (HWND w : WindowsOf(process, "#32770")) {
    if (IsWindowVisible(w) && FindWindowExA(w, nullptr, "SysTreeView32", nullptr) == nullptr) return w;
  }
  return nullptr;
}

// The environment block of this process with `added` ("NAME=value") after it.
std::string EnvironmentWith(const std::vector<std::string>& added) {
  std::string block;
  if (char* strings = GetEnvironmentStringsA()) {
    for (const char* p = strings; *p != '\0'; p += std::strlen(p) + 1) block.append(p, std::strlen(p) + 1);
    FreeEnvironmentStringsA(strings);
  }
  for (const std::string& entry : added) block.append(entry.c_str(), entry.size() + 1);
  block.push_back('\0');
  return block;
}

}  // namespace

std::vector<HWND> WindowsOf(DWORD process, const char* cls) {
  Search search{process, cls, {}};
  EnumWindows(CollectOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string SelfFolder() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string folder(self);
  return folder.substr(0, folder.rfind('\\'));
}

std::string TextOf(HWND window) {
  char buffer[2048] = {};
  // WM_GETTEXT reaches into the other process; GetWindowTextA would not for controls.
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                      5000, nullptr);
  return buffer;
}

namespace {

void AddFilesBelow(const std::string& folder, const std::string& suffix, std::vector<std::string>* found) {
  WIN32_FIND_DATAA entry;
  const HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      AddFilesBelow(folder + "\\" + name, suffix, found);
    } else if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
      found->push_back(folder + "\\" + name);
    }
  } while (FindNextFileA(h, &entry));
  FindClose(h);
}

struct ProcessEntry {
  DWORD id;
  DWORD parent;
};

std::vector<ProcessEntry> Processes() {
  std::vector<ProcessEntry> processes;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return processes;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    processes.push_back({entry.th32ProcessID, entry.th32ParentProcessID});
  }
  CloseHandle(snapshot);
  return processes;
}

}  // namespace

std::vector<std::string> FilesBelow(const std::string& folder, const std::string& suffix) {
  std::vector<std::string> found;
  AddFilesBelow(folder, suffix, &found);
  return found;
}

std::string ToUtf8(const std::string& ansi) {
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
  if (n <= 0) return std::string();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, &wide[0], n);
  const int m = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (m <= 0) return std::string();
  std::string utf8(static_cast<size_t>(m), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &utf8[0], m, nullptr, nullptr);
  utf8.resize(static_cast<size_t>(m - 1));
  return utf8;
}

HWND ChildAt(HWND parent, const RECT& wanted) {
  for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    if (EqualRect(&r, &wanted)) return c;
  }
  return nullptr;
}

bool RunningProgram::Start(const std::string& exe, const std::string& argument,
                           const std::vector<std::string>& environment) {
  running_before_.clear();
  for (const ProcessEntry& entry : Processes()) running_before_.push_back(entry.id);
  std::sort(running_before_.begin(), running_before_.end());
  std::string command = "\"" + exe + "\"";
  if (!argument.empty()) command += " \"" + argument + "\"";
  std::string block = EnvironmentWith(environment);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  // Started from elsewhere: the program makes its own folder current.
  if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, &block[0], nullptr, &si, &process_)) {
    return false;
  }
  started_id_ = process_.dwProcessId;
  WaitUntil([this] {
    for (HWND w : WindowsOf(process_.dwProcessId, kWindowClass)) {
      const std::string text = TextOf(w);
      if (text == kMainCaption) main_ = w;
      if (text.empty()) list_window_ = w;
    }
    return main_ != nullptr && list_window_ != nullptr;
  });
  if (main_ == nullptr || list_window_ == nullptr) return false;
  // Ready as a user finds it: the main window shown (or a message box the
  // start-up shows, which comes first), the start-up handled to the end (a
  // click that came while the program still loaded its windows would reach
  // no handler), and the drop target registered.
  if (!WaitUntil([this] { return IsWindowVisible(main_) || VisibleBox(process_.dwProcessId) != nullptr; })) {
    return false;
  }
  if (WaitForInputIdle(process_.hProcess, 30000) != 0) return false;
  return WaitUntil([this] { return path_box() != nullptr && GetPropA(path_box(), "WineMarshalledDropTarget") != nullptr; },
                   5000);
}

RunningProgram::~RunningProgram() { Stop(); }

bool RunningProgram::Stop() {
  if (process_.hProcess == nullptr) return true;
  if (main_ != nullptr) PostMessageA(main_, WM_CLOSE, 0, 0);
  bool ended = WaitForSingleObject(process_.hProcess, 15000) == WAIT_OBJECT_0;
  if (!ended) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  GetExitCodeProcess(process_.hProcess, &exit_code_);
  CloseHandle(process_.hProcess);
  CloseHandle(process_.hThread);
  process_ = {};
  main_ = list_window_ = nullptr;
  return ended;
}

bool RunningProgram::SaveScreen(const std::string& path) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file stores it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool saved = false;
  if (bitmap != nullptr) {
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    GdiFlush();
    const DWORD row = static_cast<DWORD>((width * 3 + 3) & ~3);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + row * static_cast<DWORD>(height);
    const HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      saved = WriteFile(out, &file, sizeof file, &written, nullptr) &&
              WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
              WriteFile(out, bits, row * static_cast<DWORD>(height), &written, nullptr);
      CloseHandle(out);
    }
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return saved;
}

HWND RunningProgram::list() const { return list_window_ != nullptr ? GetWindow(list_window_, GW_CHILD) : nullptr; }

// The main window's edit boxes: the path box is wide, the sample-rate box narrow.
HWND RunningProgram::EditBox(bool wide) const {
  for (HWND c = GetWindow(main_, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    char cls[32] = {};
    GetClassNameA(c, cls, sizeof cls);
    RECT r;
    GetWindowRect(c, &r);
    if (_stricmp(cls, "Edit") == 0 && (r.right - r.left > 100) == wide) return c;
  }
  return nullptr;
}

HWND RunningProgram::Control(const std::string& text) const {
  for (HWND c = GetWindow(main_, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    if (TextOf(c) == text) return c;
  }
  return nullptr;
}

bool RunningProgram::Click(const std::string& caption) const {
  const HWND button = Control(caption);
  return button != nullptr && PostMessageA(button, BM_CLICK, 0, 0) != FALSE;
}

std::vector<std::string> RunningProgram::Accounts() const {
  std::vector<std::string> items;
  const HWND box = list();
  const LRESULT count = SendMessageA(box, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    // Asked for wide: the narrow form does not come whole across processes under Wine.
    wchar_t wide[512] = {};
    SendMessageW(box, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
    char text[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    items.push_back(text);
  }
  return items;
}

void RunningProgram::DoubleClickAccount(int index) const {
  const HWND box = list();
  SendMessageA(box, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  // What the list box tells its window on a double-click.
  PostMessageA(list_window_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), LBN_DBLCLK), reinterpret_cast<LPARAM>(box));
}

std::string RunningProgram::AnswerBox(DWORD timeout_ms, std::string* caption) const {
  HWND box = nullptr;
  if (!WaitUntil([&] { return (box = VisibleBox(process_.dwProcessId)) != nullptr; }, timeout_ms)) {
    return "(no box)";
  }
  const std::string text = TextOf(GetDlgItem(box, 0xFFFF));
  if (caption != nullptr) *caption = TextOf(box);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  WaitUntil([box] { return !IsWindow(box) || !IsWindowVisible(box); }, 5000);
  return text;
}

std::vector<std::string> RunningProgram::OpenBoxes() const {
  std::vector<std::string> texts;
  for (HWND w : WindowsOf(process_.dwProcessId, "#32770")) {
    if (IsWindowVisible(w) && FindWindowExA(w, nullptr, "SysTreeView32", nullptr) == nullptr) {
      texts.push_back(TextOf(GetDlgItem(w, 0xFFFF)));
    }
  }
  return texts;
}

std::vector<DWORD> RunningProgram::RunningChildren() const {
  std::vector<DWORD> children;
  for (const ProcessEntry& entry : Processes()) {
    if (started_id_ != 0 && entry.parent == started_id_ && entry.id != started_id_ &&
        !std::binary_search(running_before_.begin(), running_before_.end(), entry.id)) {
      children.push_back(entry.id);
    }
  }
  return children;
}

bool RunningProgram::NoBoxWithin(DWORD ms) const {
  return !WaitUntil([this] { return VisibleBox(process_.dwProcessId) != nullptr; }, ms);
}

}  // namespace test_support
