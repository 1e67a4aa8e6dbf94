// Holds Wine's desktop open for the test run, so that each GUI test process
// does not pay for starting and stopping it.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  GetDesktopWindow();
  Sleep(INFINITE);
  return 0;
}
