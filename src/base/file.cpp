#include "base/file.h"

#include <memory>

namespace base {

using StdioFile = std::unique_ptr<std::FILE, StdioFileCloser>;

bool FileExists(std::u16string_view path) { return StdioFile(OpenStdioFile(path, "rb")) != nullptr; }

bool ReadWholeFile(std::u16string_view path, std::string& bytes) {
    StdioFile file(OpenStdioFile(path, "rb"));
    if (!file) {
        return false;
    }
    bytes.clear();
    char buffer[8192];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        bytes.append(buffer, n);
    }
    return std::ferror(file.get()) == 0;
}

bool WriteWholeFile(std::u16string_view path, std::string_view bytes) {
    StdioFile file(OpenStdioFile(path, "wb"));
    if (!file) {
        return false;
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        return false;
    }
    return std::fflush(file.get()) == 0;
}

}  // namespace base
