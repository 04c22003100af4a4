#include "alarm/own_directory.h"

namespace alarming {

const std::u16string_view kExecutableMarker = u".exe";

}  // namespace alarming
