// A folder search for the application's own walks (the collection of an
// account's voice files and the clean-up of the out folder), beside the
// designed search services, which it leaves as they are: it reads names
// wide, so a name of any language is found, and it returns every entry
// whatever its attribute bits, with all of them. A name the code page
// cannot hold comes by its short 8.3 form, which names the same file;
// where the volume has none, by the long name with "?" for each character
// the code page lacks, marked unusable. A CommandFn of the core commands.
#pragma once

#include <cstdint>

#include "runtime/core/values.h"

namespace rt {

// (pattern text?, handle variable, attributes variable, usable variable
// (addresses of the caller's 32-bit variables)) -> text: the next entry's
// bare name ("." and ".." too), the empty text at the end, when the search
// is closed and the handle 0. A non-empty pattern closes the search in the
// handle variable and starts a new one; an empty or omitted one goes on.
// The attributes are the platform's own (0x10 folder, 0x400 a link such as
// a junction); usable is 0 for a name given with "?". Every step is a safe
// point, and a worker's running search is closed should a stop end it.
void FindEntry(ArgValue* result, int32_t argc, ArgValue* args);
// (handle) : closes a search of FindEntry; 0 is ignored.
void CloseEntrySearch(ArgValue* result, int32_t argc, ArgValue* args);

constexpr uint32_t kEntryFolder = 0x10;
constexpr uint32_t kEntryLink = 0x400;  // a reparse point: a junction or a symbolic link

}  // namespace rt
