#include "alarm/own_directory.h"

namespace alarming {

// Linux images carry no suffix; the path from /proc/PID/exe always names the file itself.
const std::u16string_view kExecutableMarker = u"";

}  // namespace alarming
