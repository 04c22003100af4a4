#pragma once

#include "base/module_path.h"

namespace alarming {

// The configuration files are found in the program's directory, which base works out.
using base::ProgramDirectory;

}  // namespace alarming
