// The start-up counterpart of the bench: a program that creates Sonoteca's
// main window directly with plain window calls (same size, position, styles,
// caption and children), shows it and runs a message loop until closed. What
// Sonoteca takes beyond this is what its own start costs.
#include <windows.h>

namespace {

constexpr char kCaption[] = "Sonoteca[支持QQ、微信]";
// The bench finds the window by this class and the caption.
constexpr char kClass[] = "BareSonotecaWindow";
// The outer size of the main window on a 96-DPI screen.
constexpr int kWidth = 678;
constexpr int kHeight = 93;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

struct Child {
  const char* cls;
  const char* text;
  int left, top, width, height;
  DWORD style;
  DWORD ex_style;
};

// The eight children that have windows of their own; the drop target has none.
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
const Child kChildren[] = {
    {"EDIT", "", 8, 8, 376, 25, kChild | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
    {"BUTTON", "浏览目录", 400, 8, 60, 25, kChild | WS_TABSTOP | BS_PUSHBUTTON, 0},
    {"BUTTON", "批量转换", 469, 8, 60, 25, kChild | WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, 0},
    {"BUTTON", "单独转换", 538, 8, 60, 25, kChild | WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, 0},
    {"BUTTON", "停止", 608, 8, 60, 25, kChild | WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, 0},
    {"STATIC", "采样率:", 7, 39, 48, 25, kChild | SS_LEFT | SS_CENTERIMAGE, WS_EX_TRANSPARENT},
    {"EDIT", "12000", 54, 40, 40, 20, kChild | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
    {"STATIC", "如果转换出来的声音不对可以尝试增减采样率，增(声音变尖锐)减(声音变低沉)", 96, 39, 430, 25,
     kChild | SS_LEFT | SS_CENTERIMAGE, WS_EX_TRANSPARENT},
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc = {};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClass;
  if (RegisterClassA(&wc) == 0) return 1;

  const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  const HWND main = CreateWindowExA(0, kClass, kCaption, style, x, y, kWidth, kHeight, nullptr, nullptr, instance,
                                    nullptr);
  if (main == nullptr) return 1;
  const HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
  for (const Child& c : kChildren) {
    const HWND child = CreateWindowExA(c.ex_style, c.cls, c.text, c.style, c.left, c.top, c.width, c.height, main,
                                       nullptr, instance, nullptr);
    if (child != nullptr) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  ShowWindow(main, SW_SHOWNORMAL);
  UpdateWindow(main);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
