#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace testing_support {

// A fresh directory under the system's temporary directory, removed with everything in it when the
// object goes away.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path File(std::string_view name) const { return path_ / std::string(name); }

  private:
    std::filesystem::path path_;
};

// Whole-file helpers for tests that check bytes on disk.
std::string ReadFileBytes(const std::filesystem::path& file);
void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes);
// The bytes of a UTF-16LE file with its byte-order mark (every build runs on a little-endian machine).
inline std::string Utf16LeFile(std::u16string_view text) {
    const std::u16string units = u"\uFEFF" + std::u16string(text);
    return {reinterpret_cast<const char*>(units.data()), units.size() * 2};
}

}  // namespace testing_support
