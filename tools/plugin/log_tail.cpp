#include "plugin/log_tail.h"

#include "base/text.h"

namespace console {

std::vector<std::string> TrafficLogTail(std::string_view gbk, std::size_t count) {
    const std::string text = base::Utf16ToUtf8(base::GbkToUtf16(gbk));
    std::vector<std::string> lines;
    std::size_t end = text.size();
    while (end > 0 && lines.size() < count) {
        const std::size_t newline = text.rfind('\n', end - 1);
        const std::size_t begin = newline == std::string::npos ? 0 : newline + 1;
        std::string line = text.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            lines.push_back(std::move(line));
        }
        end = newline == std::string::npos ? 0 : newline;
    }
    return {lines.rbegin(), lines.rend()};
}

std::u16string TrafficLogPathBeside(std::u16string_view launchPath, char16_t separator) {
    const std::size_t cut = launchPath.rfind(separator);
    std::u16string path(cut == std::u16string_view::npos ? std::u16string_view()
                                                         : launchPath.substr(0, cut + 1));
    return path + u"traffic.log";
}

}  // namespace console
