#include "format/number_text.h"

#include <cstdarg>
#include <cstdio>

#include "base/text.h"

namespace format::detail {

std::u16string PrintText(const char* format, ...) {
    char buffer[32];
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (written <= 0) {
        return {};
    }
    const std::size_t length = static_cast<std::size_t>(written) < sizeof buffer
                                   ? static_cast<std::size_t>(written)
                                   : sizeof buffer - 1;
    return base::AsciiToUtf16(std::string_view(buffer, length));
}

}  // namespace format::detail
