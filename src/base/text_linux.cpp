#include <iconv.h>

#include <cerrno>
#include <algorithm>
#include <cstring>

#include "base/scoped_handle_linux.h"
#include "base/text.h"

namespace base {
namespace {

// One conversion through iconv. On a sequence it cannot convert, `onInvalid` appends the substitute
// and returns how many input bytes to skip.
template <typename OnInvalid>
std::string Convert(const char* to, const char* from, const char* data, std::size_t size, OnInvalid onInvalid) {
    std::string out;
    const ScopedIconv converter(iconv_open(to, from));
    if (!converter) {
        return out;
    }
    char* in = const_cast<char*>(data);
    std::size_t inLeft = size;
    char buffer[1024];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t rc = iconv(converter.Get(), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            const std::size_t skip = std::min(onInvalid(out, in, inLeft), inLeft);
            in += skip;
            inLeft -= skip;
            iconv(converter.Get(), nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

}  // namespace

std::string Utf16ToGbk(std::u16string_view utf16) {
    return Convert("CP936", "UTF-16LE", reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2,
                   [](std::string& out, const char*, std::size_t) -> std::size_t {
                       // One '?' per UTF-16 unit, a surrogate pair included, as Wine's converter does.
                       out.push_back('?');
                       return 2;
                   });
}

std::u16string GbkToUtf16(std::string_view gbk) {
    const std::string bytes =
        Convert("UTF-16LE", "CP936", gbk.data(), gbk.size(), [](std::string& out, const char*, std::size_t) {
            out.append("\xFD\xFF", 2);  // U+FFFD, little-endian
            return std::size_t{1};
        });
    std::u16string out(bytes.size() / 2, u'\0');
    std::memcpy(out.data(), bytes.data(), out.size() * 2);
    return out;
}

}  // namespace base
