// Process-level platform operations of start-up and shutdown; one
// implementation per platform (the host has no windows, OLE or icons).
#pragma once

#include <cstdint>

namespace rt::platform {

[[noreturn]] void EndProcess(int32_t exit_code);

// Ends the calling thread only (a worker whose shutdown request is being
// carried out by the window thread).
[[noreturn]] void EndCurrentThread(int32_t exit_code);
uint32_t CurrentThreadId();
// Hands the shutdown with `exit_code` to the window thread (request 0x83E7).
void SendShutdownRequest(uintptr_t hidden_owner, int32_t exit_code);
// Destroys the platform window of every loaded window of the registry.
void DestroyLoadedWindows();
void DestroyIconHandle(uintptr_t icon);
void DestroyWindowHandle(uintptr_t hwnd);
void UninitialiseOle();

}  // namespace rt::platform
