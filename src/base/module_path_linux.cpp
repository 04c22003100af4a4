#include <limits.h>
#include <unistd.h>

#include "base/module_path.h"
#include "base/text.h"

namespace base {

const char16_t kPathSeparator = u'/';

std::u16string ModuleFileName() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer) {
        return {};
    }
    return Utf8ToUtf16(std::string_view(buffer, static_cast<std::size_t>(n)));
}

}  // namespace base
