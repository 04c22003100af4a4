// Arbitrary bytes as config\BlackList.txt or config\WhiteList.txt.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "alarm/list_files.h"
#include "alarm/unicode_text.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    FUZZ_CHECK(alarming::DecodeUnicodeText(bytes).size() <= size);  // a unit takes at least a byte
    alarming::ForEachTextLine(bytes, [&](std::u16string_view piece) {
        FUZZ_CHECK(piece.size() <= alarming::kLineReadLimit && piece.find(u'\0') == piece.npos);
    });
    const auto black = alarming::ParseBlackList(bytes);
    FUZZ_CHECK(black.size() <= alarming::kMaxBlackListEntries);
    for (const auto& entry : black) {
        FUZZ_CHECK(entry.name.ends_with(u".exe"));
    }
    alarming::ParseWhiteList(bytes);
    return 0;
}
