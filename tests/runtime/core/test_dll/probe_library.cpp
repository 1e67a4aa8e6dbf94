// A library of the tests' own, loaded through the foreign-function table.
#include <windows.h>

extern "C" {

// Two stack arguments: a caller that declares one leaves the stack uneven.
int WINAPI ProbeAdd(int a, int b) { return a + b; }

// Exported by ordinal 5 only.
int WINAPI ProbeOrdinalFive() { return 5005; }

}
