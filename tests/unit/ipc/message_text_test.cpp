// The decoded form of a message as the console prints it in JSON (its text form only shows in traces).

#include <gtest/gtest.h>

#include <utility>

#include "ipc/command_ids.h"
#include "ipc/message_fields.h"
#include "ipc/message_text.h"
#include "ipc/protocol_factories.h"
#include "ipc/request_builder.h"
#include "unit/ipc/ipc_test_bytes.h"

namespace {

using namespace ipc;
using ipc_test::Framed;

TEST(DescribeMessage, EveryFieldInJsonWithItsTextsEscapedAndWhyAMessageDidNotDecode) {
    const engine::ProcessListEntry e{.index = 3,
                                     .pid = 99,
                                     .bytesUp = 1000,
                                     .startTime = {2024, 1, 2, 2, 3, 4, 5, 6},
                                     .exitTime = {},
                                     .name = u"游戏.exe",
                                     .path = u"C:\\\"q\"\n"};
    CPostProcessListRefluxProtocolFactory push;
    ASSERT_EQ(push.BuildPostProcessListReflux(e), 1);
    const std::pair<DecodedMessage, const char*> cases[] = {
        {DescribeMonitorMessage(push.GetBytes()),
         R"({"id":83,"name":"PostProcessListReflux","status":"ok","fields":{"sequence":1,"index":3,"state":2,)"
         R"("reserved":4294967295,"portCount":0,"pid":99,"bytesUp":1000,"bytesDown":0,)"
         R"("startTime":"2024-01-02 03:04:05.006","exitTime":"0000-00-00 00:00:00.000","name":"游戏.exe",)"
         R"("path":"C:\\\"q\"\u000a"}})"},
        // A signed result; id 67 answers under its own id, and in the other direction is the request.
        {DescribeMonitorMessage(Framed(54, {"ffffffff", ipc_test::Z(16)})),
         R"({"id":54,"name":"GetProcessExitTimeByPIdResponse","status":"ok","fields":{"result":-1,)"
         R"("time":"0000-00-00 00:00:00.000"}})"},
        {DescribeMonitorMessage(Framed(67, {"0c00000000000000"})),
         R"({"id":67,"name":"GetProcessUpRefluxBetweenTimeByIdResponse","status":"ok","fields":{"bytes":12}})"},
        {DescribeRequest(EncodeRequest(cmd::kGetProcessUpRefluxBetweenTimeById, PidTimeRangeArgs{5, {}, {}})),
         R"({"id":67,"name":"GetProcessUpRefluxBetweenTimeById","status":"ok","fields":{"pid":5,)"
         R"("from":"0000-00-00 00:00:00.000","to":"0000-00-00 00:00:00.000"}})"},
        {DescribeRequest(EncodeRequest(cmd::kStart, StartArgs{{0x00, 0xAB}})),
         R"({"id":1,"name":"Start","status":"ok","fields":{"data":"00ab"}})"},
        {DescribeRequest(EncodeRequest(cmd::kStopAlarm, NoArgs{})),
         R"({"id":7,"name":"StopAlarm","status":"malformed","fields":{}})"},
        {DescribeRequest(EncodeRequest(80, NoArgs{})),
         R"({"id":80,"name":"","status":"unknown id","fields":{}})"},
        {DescribeRequest(ipc_test::Hex("0a000000")),
         R"({"id":0,"name":"","status":"bad frame","fields":{}})"},
    };
    for (const auto& [message, json] : cases) {
        EXPECT_EQ(FormatMessageJson(message), json);
    }
    EXPECT_EQ(FormatMessageText(DescribeRequest(EncodeRequest(80, NoArgs{}))), "id (80): unknown id\n");
}

}  // namespace
