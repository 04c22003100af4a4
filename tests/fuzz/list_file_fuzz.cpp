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

    // Every decoded unit takes at least one byte of the file.
    const std::u16string text = alarming::DecodeUnicodeText(bytes);
    FUZZ_CHECK(text.size() <= size);

    std::size_t pieces = 0;
    alarming::ForEachTextLine(bytes, [&](std::u16string_view piece) {
        FUZZ_CHECK(piece.size() <= alarming::kLineReadLimit);
        FUZZ_CHECK(piece.find(u'\0') == std::u16string_view::npos);
        ++pieces;
    });
    FUZZ_CHECK(pieces <= text.size() + 1);

    const auto black = alarming::ParseBlackList(bytes);
    FUZZ_CHECK(black.size() <= alarming::kMaxBlackListEntries);
    for (const auto& entry : black) {
        FUZZ_CHECK(entry.name.ends_with(u".exe"));
        FUZZ_CHECK(entry.name.size() + entry.description.size() <= alarming::kLineReadLimit);
    }
    const auto white = alarming::ParseWhiteList(bytes);
    FUZZ_CHECK(white.size() <= pieces);
    return 0;
}
