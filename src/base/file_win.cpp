#include "base/file.h"
#include "base/text.h"

namespace base {

std::FILE* OpenStdioFile(std::u16string_view path, const char* mode) {
    return std::fopen(Utf16ToGbk(path).c_str(), mode);
}

}  // namespace base
