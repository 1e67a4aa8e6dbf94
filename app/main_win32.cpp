// Process entry of sonoteca.exe.
#include <windows.h>

#include "app/program_start.h"
#include "runtime/core/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { rt::RunApplication(app::ProgramStart); }
