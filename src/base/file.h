#pragma once

#include <cerrno>
#include <cstdio>
#include <string>
#include <string_view>

#include "base/scoped_handle.h"

namespace base {

// fopen of a program path. On Windows the name goes through code page 936 first, as the C run-time's
// narrow functions expect; on Linux it is UTF-8.
std::FILE* OpenStdioFile(std::u16string_view path, const char* mode);

// A C stream is the one handle the standard library itself defines: its traits are portable.
struct StdioFileTraits {
    using Handle = std::FILE*;
    static constexpr Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle file) noexcept {
        const int saved = errno;
        std::fclose(file);
        errno = saved;
    }
};
using ScopedStdioFile = ScopedHandle<StdioFileTraits>;

bool FileExists(std::u16string_view path);
// The whole file; false when it cannot be opened or read.
bool ReadWholeFile(std::u16string_view path, std::string& bytes);
// Creates or replaces the file with exactly these bytes; false on any failure (a missing directory is
// not created).
bool WriteWholeFile(std::u16string_view path, std::string_view bytes);

}  // namespace base
