// The foreign-function table: operating-system functions that application
// code calls directly, named by library file and function and bound to their
// addresses on first use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/core/runtime_error.h"

namespace rt {

// Fills the table with `count` unbound entries (library file name and
// function name of each, in index order); a null name is taken as empty.
// Replaces a table made earlier, unloading what it had bound.
void InitialiseForeignFunctions(const char* const* libraries, const char* const* functions,
                                int32_t count);

// Binds entry `index` if it is not bound yet and returns its address. A
// bound entry is answered from the table without touching the loader. A
// library or function that cannot be found (and an index outside the table)
// is a runtime error that ends the program.
uintptr_t BindForeignFunction(int32_t index);

// Orderly shutdown: releases the module of every bound entry and empties the table.
void UnloadForeignFunctions();

// The two texts of a failed binding, exactly as the report shows them.
std::string ForeignFunctionNotFoundMessage(const std::string& library,
                                           const std::string& function);

// The places tried, in order, for a library file name that is not empty: a
// name with ":" is a path and is tried alone; otherwise the search directory
// (when set) followed directly by the name, the program directory, a backslash
// and the name, the module directory followed directly by the name (when set),
// and the bare name for the platform's own search.
std::vector<std::string> ForeignLibraryCandidates(const std::string& library);

// Tried in this order when an entry names no library.
inline constexpr const char* kDefaultForeignLibraries[] = {
    "Kernel32.dll", "Gdi32.dll", "User32.dll", "Advapi32.dll", "Mpr.dll", "Shell32.dll"};

// Reads a function reference: "#n" is ordinal n (low 16 bits; returns true
// and sets *ordinal), anything else a name (returns false).
bool ParseForeignOrdinal(const std::string& function, uint16_t* ordinal);

// Reads the stack pointer where it is called (the check around a foreign call).
#if defined(__i386__)
#define RT_READ_STACK_POINTER(out) __asm__ volatile("movl %%esp, %0" : "=r"(out) : : "memory")
#elif defined(__x86_64__)
#define RT_READ_STACK_POINTER(out) __asm__ volatile("movq %%rsp, %0" : "=r"(out) : : "memory")
#else
#error "the stack check after a foreign call needs the stack pointer of this processor"
#endif

#if defined(_WIN32)
#if defined(__i386__)
#define RT_FOREIGN_CALL __attribute__((stdcall))
#else
#define RT_FOREIGN_CALL
#endif

namespace detail {

template <class R>
struct ForeignCall {
  template <class... A>
  // A frame of its own, so that the report still finds the locations when
  // the callee has left the stack pointer elsewhere.
  __attribute__((noinline, optimize("no-omit-frame-pointer"))) static R Run(
      uintptr_t address, int32_t location1, int32_t location2, A... args) {
    using Fn = R(RT_FOREIGN_CALL*)(A...);
    const Fn fn = reinterpret_cast<Fn>(address);
    uintptr_t before = 0;
    uintptr_t after = 0;
    RT_READ_STACK_POINTER(before);
    R value = fn(args...);
    RT_READ_STACK_POINTER(after);
    if (before != after) ReportRuntimeError(6, location1, location2);
    return value;
  }
};

template <>
struct ForeignCall<void> {
  template <class... A>
  __attribute__((noinline, optimize("no-omit-frame-pointer"))) static void Run(
      uintptr_t address, int32_t location1, int32_t location2, A... args) {
    using Fn = void(RT_FOREIGN_CALL*)(A...);
    const Fn fn = reinterpret_cast<Fn>(address);
    uintptr_t before = 0;
    uintptr_t after = 0;
    RT_READ_STACK_POINTER(before);
    fn(args...);
    RT_READ_STACK_POINTER(after);
    if (before != after) ReportRuntimeError(6, location1, location2);
  }
};

}  // namespace detail

// How application code calls entry `index`: declared result and argument
// types, the system calling convention, and the stack check afterwards (a
// callee that consumed other than the declared bytes is runtime error 6 at
// the caller's location). With the wrong declaration on a processor whose
// caller cleans the stack the check cannot see the difference.
template <class R, class... A>
R CallForeign(int32_t index, int32_t location1, int32_t location2, A... args) {
  return detail::ForeignCall<R>::template Run<A...>(BindForeignFunction(index), location1,
                                                    location2, args...);
}
#endif  // _WIN32

}  // namespace rt
