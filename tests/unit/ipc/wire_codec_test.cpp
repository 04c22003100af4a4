// The bounds of the field readers and writers and the text fields; the field layouts are the golden table's.

#include <gtest/gtest.h>

#include <functional>
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

TEST(WireReader, NeverReadsPastTheBytesAndKeepsItsPosition) {
    // Exactly sized heap copies, so that the sanitizer sees any read beyond them.
    const std::vector<std::uint8_t> three = Hex("01 02 03");
    std::uint32_t u32;
    std::uint64_t u64;
    base::SystemTime time;
    std::u16string text;
    ipc::Bytes bytes;
    const std::function<bool(WireReader&)> reads[] = {
        [&](WireReader& r) { return r.ReadU32(u32); },
        [&](WireReader& r) { return r.ReadU64(u64); },
        [&](WireReader& r) { return r.ReadTime(time); },
        [&](WireReader& r) { return r.ReadText(4, text); },
        [&](WireReader& r) { return r.ReadFixedText(text); },
        [&](WireReader& r) { return r.Skip(4); },
        [&](WireReader& r) { return r.ReadText(~std::size_t{0}, text); },
        [&](WireReader& r) { return r.ReadBytes(4, bytes); },
    };
    for (const auto& read : reads) {
        WireReader r(three);
        std::uint8_t first = 0;
        ASSERT_TRUE(r.ReadU8(first));
        EXPECT_FALSE(read(r));
        EXPECT_TRUE(r.Failed());
        EXPECT_EQ(r.Position(), 1u);
        std::uint16_t rest = 0;
        EXPECT_TRUE(r.ReadU16(rest));  // what is there can still be read
        EXPECT_EQ(rest, 0x0302);
    }
    WireReader beyond(three, 4);
    EXPECT_TRUE(beyond.Failed());
    EXPECT_EQ(beyond.Remaining(), 0u);
}

// A fixed text field is 520 bytes with at least one NUL: the text is cut at 259 units, never inside a
// surrogate pair, and the rest is zeros.
TEST(FixedText, CutsAt259UnitsWithoutSplittingASurrogatePairAndReadsBack) {
    const std::u16string emoji = u"\U0001F600";
    const std::pair<std::u16string, std::size_t> cases[] = {
        {u"", 0},
        {std::u16string(259, u'名'), 259},
        {std::u16string(300, u'a'), 259},
        {std::u16string(257, u'a') + emoji, 259},  // the pair ends at unit 259: kept whole
        {std::u16string(258, u'a') + emoji, 258},  // the cut would split it: both halves go
        {std::u16string(258, u'a') + emoji + u"b", 258},
    };
    for (const auto& [text, kept] : cases) {
        SCOPED_TRACE(text.size());
        EXPECT_EQ(ipc::FixedFieldText(text), std::u16string_view(text).substr(0, kept));
        std::vector<std::uint8_t> buffer(ipc::kFixedTextSize + 1, 0xEE);
        const std::span<std::uint8_t> field = std::span(buffer).first(ipc::kFixedTextSize);
        WireWriter w(field);
        ASSERT_TRUE(w.PutFixedText(text));
        EXPECT_TRUE(w.Complete());
        EXPECT_EQ(buffer[ipc::kFixedTextSize], 0xEE) << "wrote past the field";
        EXPECT_EQ(std::vector(buffer.begin() + 2 * kept, buffer.end() - 1),
                  std::vector<std::uint8_t>(ipc::kFixedTextSize - 2 * kept, 0));
        WireReader r(field);
        std::u16string back;
        ASSERT_TRUE(r.ReadFixedText(back));
        EXPECT_EQ(back, text.substr(0, kept));
    }
}

}  // namespace
