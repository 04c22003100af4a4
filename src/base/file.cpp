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
    bool sized = false;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        if (!sized && n == sizeof buffer) {
            // More than a buffer's worth: one allocation of the file's size, as growing the string
            // chunk by chunk costs several times the read itself on a large file. (Only once a read
            // has succeeded: the end of a directory is no size.)
            sized = true;
            const long at = std::ftell(file.get());
            if (at >= 0 && std::fseek(file.get(), 0, SEEK_END) == 0) {
                const long size = std::ftell(file.get());
                if (size > at) {
                    bytes.reserve(static_cast<std::size_t>(size));
                }
                if (std::fseek(file.get(), at, SEEK_SET) != 0) {
                    return false;  // the rest could not be read
                }
            }
        }
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
