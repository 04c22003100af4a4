#include <gtest/gtest.h>

#include <vector>

#include "ipc/message_header.h"
#include "unit/ipc/ipc_test_bytes.h"

namespace {

using ipc_test::Hex;
using ipc_test::ToHex;

TEST(MessageHeader, IsLengthIdAndVersionOneInNineBytes) {
    std::vector<std::uint8_t> buffer(ipc::kHeaderSize);
    ipc::WireWriter w(buffer);
    ASSERT_TRUE(ipc::WriteHeader(w, 1121, 83));
    EXPECT_TRUE(w.Complete());
    EXPECT_EQ(ToHex(buffer),
              "6104000053000000"
              "01");
    const auto header = ipc::ReadHeader(buffer);
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(*header, (ipc::MessageHeader{1121, 83, 1}));
}

TEST(CheckFrame, AcceptsOnlyAWholeHeaderWhoseLengthMatchesTheBytesRead) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> message;
        bool accepted;
    };
    const Case cases[] = {
        {"nothing", {}, false},
        {"length field only", Hex("04000000"), false},
        {"one byte short of a header, length says 8", Hex("08000000 13000000"), false},
        {"bare header", Hex("09000000 13000000 01"), true},
        {"says 20, 17 arrived", Hex("14000000 16000000 01 0000000000000000"), false},
        {"says 17, 17 arrived", Hex("11000000 16000000 01 0000000000000000"), true},
        {"says 16, 17 arrived", Hex("10000000 16000000 01 0000000000000000"), false},
        {"says 18, 17 arrived", Hex("12000000 16000000 01 0000000000000000"), false},
        {"version is not checked", Hex("0a000000 07000000 02 01"), true},
        {"length with high bits", Hex("09000001 13000000 01"), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ipc::CheckFrame(c.message).has_value(), c.accepted) << c.what;
    }
}

}  // namespace
