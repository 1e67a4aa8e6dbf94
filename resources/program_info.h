// This program's program-info block and its constant data block.
#pragma once

#include "runtime/core/program_info.h"

namespace res {

const rt::ProgramInfo& ProgramInfoBlock();

}  // namespace res
