// Arbitrary bytes as an INI file of the Linux profile reader, parsed, read and edited in memory.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/ini_document.h"
#include "base/profile_value.h"
#include "fuzz/fuzz_check.h"

namespace {

constexpr std::u16string_view kSection = u"Alarm";
constexpr std::u16string_view kKey = u"Value";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    base::IniDocument document = base::IniDocument::Parse(bytes);
    // An unedited document gives back the file byte for byte.
    FUZZ_CHECK(document.Bytes() == bytes);

    for (const std::u16string_view key : {kKey, std::u16string_view(u"Name"), std::u16string_view(u"")}) {
        const auto value = document.Find(kSection, key);
        const std::u16string text = base::ProfileStringResult(value, u"default ", 64);
        FUZZ_CHECK(text.size() < 64);
        base::ProfileIntResult(value, -1);
        if (value) {
            base::ParseProfileInteger(*value);
        }
    }

    document.Set(kSection, kKey, u"  42");
    const auto written = document.Find(kSection, kKey);
    FUZZ_CHECK(written && *written == u"42");
    // What was written reads back the same after a round trip through the bytes.
    const base::IniDocument reread = base::IniDocument::Parse(document.Bytes());
    FUZZ_CHECK(reread.encoding() == document.encoding());
    const auto again = reread.Find(kSection, kKey);
    FUZZ_CHECK(again && *again == u"42");
    return 0;
}
