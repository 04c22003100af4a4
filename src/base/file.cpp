#include "base/file.h"

namespace base {

bool FileExists(std::u16string_view path) {
    return ScopedStdioFile(OpenStdioFile(path, "rb")).IsValid();
}

bool ReadWholeFile(std::u16string_view path, std::string& bytes) {
    const ScopedStdioFile file(OpenStdioFile(path, "rb"));
    if (!file) {
        return false;
    }
    bytes.clear();
    char buffer[8192];
    std::size_t n;
    bool sized = false;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.Get())) > 0) {
        if (!sized && n == sizeof buffer) {
            // More than a buffer's worth: one allocation of the file's size, as growing the string
            // chunk by chunk costs several times the read itself on a large file. (Only once a read
            // has succeeded: the end of a directory is no size.)
            sized = true;
            const long at = std::ftell(file.Get());
            if (at >= 0 && std::fseek(file.Get(), 0, SEEK_END) == 0) {
                const long size = std::ftell(file.Get());
                if (size > at) {
                    bytes.reserve(static_cast<std::size_t>(size));
                }
                if (std::fseek(file.Get(), at, SEEK_SET) != 0) {
                    return false;  // the rest could not be read
                }
            }
        }
        bytes.append(buffer, n);
    }
    return std::ferror(file.Get()) == 0;
}

bool WriteWholeFile(std::u16string_view path, std::string_view bytes) {
    const ScopedStdioFile file(OpenStdioFile(path, "wb"));
    if (!file) {
        return false;
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file.Get()) != bytes.size()) {
        return false;
    }
    return std::fflush(file.Get()) == 0;
}

}  // namespace base
