#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ipc/wire_reader.h"
#include "ipc/wire_writer.h"
#include "unit/ipc/ipc_test_bytes.h"

namespace {

using ipc::WireReader;
using ipc::WireWriter;
using ipc_test::Hex;
using ipc_test::ToHex;

TEST(WireWriter, RefusesWhatDoesNotFitAndStaysFailed) {
    std::vector<std::uint8_t> buffer(3, 0xEE);
    WireWriter w(buffer);
    EXPECT_TRUE(w.PutU16(0x0102));
    EXPECT_FALSE(w.PutU16(0x0304));  // one byte left
    EXPECT_FALSE(w.PutU8(0x05));     // failure is sticky
    EXPECT_TRUE(w.Failed());
    EXPECT_FALSE(w.Complete());
    EXPECT_EQ(ToHex(buffer), "0201ee");
    std::vector<std::uint8_t> small(5);
    WireWriter t(small);
    EXPECT_FALSE(t.PutText(u"abc"));  // 6 bytes into 5
    EXPECT_EQ(t.Position(), 0u);
}

// One read into a throw-away value.
template <typename T>
bool Into(WireReader& r, bool (WireReader::*read)(T&)) {
    T value;
    return (r.*read)(value);
}
template <typename T>
bool Into(WireReader& r, bool (WireReader::*read)(std::size_t, T&), std::size_t count) {
    T value;
    return (r.*read)(count, value);
}

TEST(WireReader, NeverReadsPastTheBytesAndKeepsItsPosition) {
    // Exactly sized heap copies, so that the sanitizer sees any read beyond them.
    const std::vector<std::uint8_t> bytes = Hex("01 02 03");
    struct Case {
        const char* what;
        bool (*read)(WireReader&);
    };
    const Case cases[] = {
        {"u32", [](WireReader& r) { return Into<std::uint32_t>(r, &WireReader::ReadU32); }},
        {"u64", [](WireReader& r) { return Into<std::uint64_t>(r, &WireReader::ReadU64); }},
        {"time", [](WireReader& r) { return Into<base::SystemTime>(r, &WireReader::ReadTime); }},
        {"text", [](WireReader& r) { return Into<std::u16string>(r, &WireReader::ReadText, 4); }},
        {"fixed text", [](WireReader& r) { return Into<std::u16string>(r, &WireReader::ReadFixedText); }},
        {"skip", [](WireReader& r) { return r.Skip(4); }},
        {"huge count",
         [](WireReader& r) { return Into<std::u16string>(r, &WireReader::ReadText, ~std::size_t{0}); }},
    };
    for (const Case& c : cases) {
        WireReader r(bytes);
        std::uint8_t first = 0;
        ASSERT_TRUE(r.ReadU8(first));
        EXPECT_FALSE(c.read(r)) << c.what;
        EXPECT_TRUE(r.Failed()) << c.what;
        EXPECT_EQ(r.Position(), 1u) << c.what;
        std::uint16_t rest = 0;
        EXPECT_TRUE(r.ReadU16(rest)) << c.what;  // what is there can still be read
        EXPECT_EQ(rest, 0x0302);
    }
    WireReader beyond(bytes, 4);
    EXPECT_TRUE(beyond.Failed());
    EXPECT_EQ(beyond.Remaining(), 0u);
}

TEST(DecodeText, StopsAtTheFirstNulOrTheEndOfTheCountedBytes) {
    struct Case {
        const char* hex;
        std::u16string expected;
    };
    const Case cases[] = {
        {"", u""},
        {"61 00", u"a"},
        {"61 00 62 00", u"ab"},
        {"61 00 00 00 62 00", u"a"},
        {"00 00 62 00", u""},
        {"61 00 62", u"a"},  // an odd last byte is no character
        {"61", u""},
        {"38 6e 0f 62", u"游戏"},  // little-endian units
        {"3d d8 00 de", u"\U0001F600"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ipc::DecodeText(Hex(c.hex)), c.expected) << c.hex;
    }
}

TEST(FixedFieldText, CutsAt259UnitsWithoutSplittingASurrogatePair) {
    const std::u16string emoji = u"\U0001F600";
    struct Case {
        std::u16string text;
        std::size_t kept;
    };
    const Case cases[] = {
        {std::u16string(258, u'a'), 258},
        {std::u16string(259, u'a'), 259},
        {std::u16string(260, u'a'), 259},
        {std::u16string(300, u'a'), 259},
        {std::u16string(257, u'a') + emoji, 259},  // the pair ends at unit 259: kept whole
        {std::u16string(258, u'a') + emoji, 258},  // the cut would split it: both halves go
        {std::u16string(258, u'a') + emoji + u"b", 258},
    };
    for (const Case& c : cases) {
        const std::u16string_view kept = ipc::FixedFieldText(c.text);
        EXPECT_EQ(kept.size(), c.kept) << c.text.size();
        EXPECT_EQ(kept, std::u16string_view(c.text).substr(0, c.kept));
    }
}

TEST(FixedText, Is520BytesWithAtLeastOneNulAndReadsBack) {
    for (const std::size_t length : {0u, 1u, 258u, 259u, 260u, 300u}) {
        const std::u16string text(length, u'名');
        std::vector<std::uint8_t> buffer(ipc::kFixedTextSize + 1, 0xEE);
        const std::span<std::uint8_t> field = std::span(buffer).first(ipc::kFixedTextSize);
        WireWriter w(field);
        ASSERT_TRUE(w.PutFixedText(text));
        EXPECT_TRUE(w.Complete());
        EXPECT_EQ(buffer[ipc::kFixedTextSize], 0xEE) << "wrote past the field";
        const std::size_t kept = std::min<std::size_t>(length, 259);
        for (std::size_t i = kept * 2; i < ipc::kFixedTextSize; ++i) {
            ASSERT_EQ(buffer[i], 0) << "length " << length << " byte " << i;
        }
        WireReader r(field);
        std::u16string back;
        ASSERT_TRUE(r.ReadFixedText(back));
        EXPECT_EQ(back, text.substr(0, kept));
    }
}

}  // namespace
