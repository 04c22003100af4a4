#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/process_list_entry.h"
#include "ipc/command_ids.h"
#include "ipc/message_fields.h"
#include "ipc/protocol_factories.h"
#include "ipc/request_builder.h"
#include "plugin/message_line.h"

namespace {

using console::Direction;
using console::OutputFormat;

const base::SystemTime kAt{2026, 12, 0, 6, 10, 0, 5, 42};

std::string Line(const std::vector<std::uint8_t>& bytes, Direction direction, OutputFormat format) {
    const ipc::DecodedMessage m =
        direction == Direction::kReceived ? ipc::DescribeMonitorMessage(bytes) : ipc::DescribeRequest(bytes);
    return console::FormatMessageLine(m, bytes.size(), kAt, direction, format);
}

std::vector<std::uint8_t> Bytes(const ipc::CKvtComProtocolFactory& f) {
    return {f.GetBytes().begin(), f.GetBytes().end()};
}

TEST(MessageLine, OneLinePerMessageWithItsTime) {
    ipc::CGetLocalDownRefluxResponseProtocolFactory answer;
    ASSERT_EQ(answer.BuildGetLocalDownRefluxResponse(1024), 1);
    EXPECT_EQ(Line(Bytes(answer), Direction::kReceived, OutputFormat::kText),
              "2026-12-06 10:00:05.042 < GetLocalDownRefluxResponse (20) bytes=1024 reserved=0");
    EXPECT_EQ(Line(Bytes(answer), Direction::kReceived, OutputFormat::kJson),
              R"({"time":"2026-12-06 10:00:05.042","dir":"in","id":20,"name":"GetLocalDownRefluxResponse",)"
              R"("status":"ok","fields":{"bytes":1024,"reserved":0}})");

    const auto request = ipc::EncodeRequest(ipc::cmd::kStopAlarm, ipc::ByteArgs{1});
    EXPECT_EQ(Line(request, Direction::kSent, OutputFormat::kText),
              "2026-12-06 10:00:05.042 > StopAlarm (7) stop=1");
    EXPECT_EQ(Line(request, Direction::kSent, OutputFormat::kJson),
              R"({"time":"2026-12-06 10:00:05.042","dir":"out","id":7,"name":"StopAlarm","status":"ok",)"
              R"("fields":{"stop":1}})");
}

TEST(MessageLine, QuotesTextsSoThatTheLineReadsBack) {
    engine::ProcessListEntry e;
    e.pid = 42;
    e.startTime = {2026, 12, 0, 6, 9, 0, 0, 0};
    e.name = u"游戏 客户端.exe";
    e.path = u"C:\\Games\\\"x\"\n";
    ipc::CPostProcessListRefluxProtocolFactory push;
    ASSERT_EQ(push.BuildPostProcessListReflux(e), 1);
    const std::string line = Line(Bytes(push), Direction::kReceived, OutputFormat::kText);
    EXPECT_EQ(
        line,
        "2026-12-06 10:00:05.042 < PostProcessListReflux (83) sequence=1 index=0 state=2 reserved=4294967295 "
        "portCount=0 pid=42 bytesUp=0 bytesDown=0 startTime=2026-12-06 09:00:00.000 "
        "exitTime=0000-00-00 00:00:00.000 name=\"游戏 客户端.exe\" path=\"C:\\Games\\\"\"x\"\"\\x0A\"");
    EXPECT_EQ(line.find('\n'), std::string::npos);
}

TEST(MessageLine, SaysWhyAMessageDidNotDecode) {
    ipc::CStopAlarmResponseProtocolFactory answer;
    ASSERT_EQ(answer.BuildStopAlarmResponse(1), 1);
    std::vector<std::uint8_t> bytes = Bytes(answer);
    bytes[0] = 20;  // the length field says 20, 10 bytes came
    EXPECT_EQ(Line(bytes, Direction::kReceived, OutputFormat::kText),
              "2026-12-06 10:00:05.042 < id (0): bad frame, 10 bytes");
    EXPECT_EQ(
        Line(bytes, Direction::kReceived, OutputFormat::kJson),
        R"({"time":"2026-12-06 10:00:05.042","dir":"in","size":10,"id":0,"name":"","status":"bad frame",)"
        R"("fields":{}})");
}

}  // namespace
