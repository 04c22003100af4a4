#pragma once

#include "engine/engine_seams.h"

namespace app {

// The running system's interfaces, for the engine of the program (tests hand in fakes).
engine::EngineSeams SystemEngineSeams();

}  // namespace app
