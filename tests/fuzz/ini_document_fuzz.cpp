// Arbitrary bytes as an INI file of the Linux profile reader, parsed, read and edited in memory.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/ini_document.h"
#include "base/profile_value.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    base::IniDocument document = base::IniDocument::Parse(bytes);
    FUZZ_CHECK(document.Bytes() == bytes);  // unedited, the file comes back byte for byte
    const auto value = document.Find(u"Alarm", u"Value");
    FUZZ_CHECK(base::IniDocument::FindIn(bytes, u"Alarm", u"Value") == value);  // the reader's lookup agrees
    FUZZ_CHECK(base::ProfileStringResult(value, u"default ", 64).size() < 64);
    base::ProfileIntResult(value, -1);
    // What is written reads back the same after a round trip through the bytes.
    document.Set(u"Alarm", u"Value", u"  42");
    const auto again = base::IniDocument::Parse(document.Bytes()).Find(u"Alarm", u"Value");
    FUZZ_CHECK(again && *again == u"42");
    return 0;
}
