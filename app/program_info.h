// This program's program-info block: the description of the program from
// which the runtime builds itself at start-up (its handler table, constant
// data, window template, command libraries and foreign functions).
#pragma once

#include "runtime/core/program_info.h"

namespace app {

const rt::ProgramInfo& ProgramInfoBlock();

}  // namespace app
