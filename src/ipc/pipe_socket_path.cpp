#include "ipc/pipe_socket_path.h"

#include "base/text.h"

namespace ipc {

namespace {

constexpr std::u16string_view kPipePrefix = u"\\\\.\\pipe\\";

char16_t AsciiLower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool HasPipePrefix(std::u16string_view name) {
    if (name.size() < kPipePrefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < kPipePrefix.size(); ++i) {
        if (AsciiLower(name[i]) != kPipePrefix[i]) {
            return false;
        }
    }
    return true;
}

bool IsSafeFileName(std::u16string_view name) {
    return !name.empty() && name != u"." && name.find(u'/') == std::u16string_view::npos &&
           name.find(u"..") == std::u16string_view::npos && name.find(u'\0') == std::u16string_view::npos;
}

}  // namespace

bool LocatePipeSocket(std::u16string_view pipeName, std::uint32_t uid, std::string_view runtimeDir,
                      PipeSocketLocation& location) {
    if (!HasPipePrefix(pipeName)) {
        return false;
    }
    const std::u16string_view name = pipeName.substr(kPipePrefix.size());
    if (!IsSafeFileName(name)) {
        return false;
    }
    std::string directory;
    if (uid == 0) {
        directory = "/run/kvtmon";
    } else if (!runtimeDir.empty() && runtimeDir.front() == '/') {
        while (runtimeDir.size() > 1 && runtimeDir.back() == '/') {
            runtimeDir.remove_suffix(1);
        }
        directory = std::string(runtimeDir == "/" ? std::string_view() : runtimeDir) + "/kvtmon";
    } else {
        directory = "/tmp/kvtmon-" + std::to_string(uid);
    }
    location.path = directory + "/" + base::Utf16ToUtf8(name);
    location.directory = std::move(directory);
    return true;
}

}  // namespace ipc
