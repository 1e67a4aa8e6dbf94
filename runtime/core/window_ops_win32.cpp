#include <windows.h>

#include <cstring>

#include "runtime/core/window_ops.h"

namespace rt::platform {
namespace {

HWND H(uintptr_t hwnd) { return reinterpret_cast<HWND>(hwnd); }

}  // namespace

bool IsLiveWindow(uintptr_t hwnd) { return hwnd != 0 && IsWindow(H(hwnd)); }

Placement WindowPlacement(uintptr_t hwnd) {
  RECT r;
  GetWindowRect(H(hwnd), &r);
  POINT origin = {r.left, r.top};
  HWND parent = GetParent(H(hwnd));
  const LONG style = GetWindowLongA(H(hwnd), GWL_STYLE);
  if (parent != nullptr && !(style & WS_POPUP)) ScreenToClient(parent, &origin);
  Placement p;
  p.left = origin.x;
  p.top = origin.y;
  p.width = r.right - r.left;
  p.height = r.bottom - r.top;
  return p;
}

void PlaceWindow(uintptr_t hwnd, const Placement& p) {
  MoveWindow(H(hwnd), p.left, p.top, p.width, p.height, TRUE);
}

bool IsVisible(uintptr_t hwnd) { return IsWindowVisible(H(hwnd)) != FALSE; }
bool IsEnabled(uintptr_t hwnd) { return IsWindowEnabled(H(hwnd)) != FALSE; }
void Hide(uintptr_t hwnd) { ShowWindow(H(hwnd), SW_HIDE); }
void ShowWithoutActivating(uintptr_t hwnd) { ShowWindow(H(hwnd), SW_SHOWNA); }
void Enable(uintptr_t hwnd, bool enabled) { EnableWindow(H(hwnd), enabled ? TRUE : FALSE); }

uintptr_t CreateMousePointer(const std::string& data) {
  if (data.size() < 4) return 0;
  int32_t code;
  std::memcpy(&code, data.data(), 4);
  // Only system pointers are stored by this program; an image is not loaded.
  if (code == 0) return 0;
  return reinterpret_cast<uintptr_t>(LoadCursorA(nullptr, MAKEINTRESOURCEA(code)));
}

void DestroyMousePointer(uintptr_t) {
  // System pointers are shared and must not be destroyed.
}

void RefreshMousePointer() {
  POINT at;
  if (GetCursorPos(&at)) SetCursorPos(at.x, at.y);
}

void DefaultInterfaceFont(FontRecord* font) {
  LOGFONTA lf = {};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
  static_assert(sizeof(LOGFONTA) == sizeof(FontRecord), "same layout");
  std::memcpy(font, &lf, sizeof lf);
}

void LoadProgramIcons(uintptr_t* large, uintptr_t* small_icon) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  *large = reinterpret_cast<uintptr_t>(LoadImageA(module, "DEFAULT_ICON", IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXICON),
                                                  GetSystemMetrics(SM_CYICON), 0));
  *small_icon = reinterpret_cast<uintptr_t>(LoadImageA(module, "DEFAULT_ICON", IMAGE_ICON,
                                                       GetSystemMetrics(SM_CXSMICON),
                                                       GetSystemMetrics(SM_CYSMICON), 0));
}

int32_t ScreenDpi() {
  HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
}

// ProcessPendingMessages lives with the message loop: it filters each message.

}  // namespace rt::platform
