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
    // One allocation of the file's size: on a large file, growing the string chunk by chunk costs
    // several times the read itself.
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        const long size = std::ftell(file.get());
        if (size > 0) {
            bytes.reserve(static_cast<std::size_t>(size));
        }
        std::rewind(file.get());
    }
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
