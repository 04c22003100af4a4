#include "app/command_line.h"

namespace app {

bool SplitCommandLine(std::u16string_view text, CommandLine& parts) {
    const std::size_t backslash = text.find(u'\\');
    if (backslash == std::u16string_view::npos || backslash == 0) {
        return false;
    }
    parts.hostProcessName = text.substr(0, backslash - 1);
    parts.pipeName = text.substr(backslash);
    return !parts.pipeName.empty();
}

}  // namespace app
