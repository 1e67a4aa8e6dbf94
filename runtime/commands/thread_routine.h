// The platform's thread-start convention, which a subroutine that a worker
// thread runs is declared with:
//   uint32_t RT_THREAD_ROUTINE Work(void* parameter);
// (stdcall on 32-bit x86; x86-64 has a single convention.) Kept apart from
// the thread commands so that code which only starts threads through the
// application's entrance need not see the runtime's values.
#pragma once

#include <cstdint>

#if defined(__i386__)
#define RT_THREAD_ROUTINE __attribute__((stdcall))
#else
#define RT_THREAD_ROUTINE
#endif

namespace rt {

// Such a subroutine: one pointer-sized parameter, its result the exit code.
using WorkerRoutine = uint32_t(RT_THREAD_ROUTINE*)(void* parameter);

}  // namespace rt
