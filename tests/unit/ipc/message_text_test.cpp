#include <gtest/gtest.h>

#include <vector>

#include "ipc/command_ids.h"
#include "ipc/message_fields.h"
#include "ipc/message_text.h"
#include "ipc/protocol_factories.h"
#include "ipc/request_builder.h"
#include "unit/ipc/ipc_test_bytes.h"

namespace {

using namespace ipc;
using engine::ProcessListEntry;

TEST(DescribeMonitorMessage, NamesEveryFieldOfTheProcessListPush) {
    const ProcessListEntry e{.index = 3,
                             .pid = 99,
                             .bytesUp = 1000,
                             .startTime = {2024, 1, 2, 2, 3, 4, 5, 6},
                             .exitTime = {},
                             .name = u"游戏.exe",
                             .path = u"C:\\\"q\""};
    CPostProcessListRefluxProtocolFactory f;
    ASSERT_EQ(f.BuildPostProcessListReflux(e), 1);
    const DecodedMessage d = DescribeMonitorMessage(f.GetBytes());
    EXPECT_EQ(FormatMessageText(d),
              "PostProcessListReflux (83)\n"
              "  sequence: 1\n  index: 3\n  state: 2\n  reserved: 4294967295\n  portCount: 0\n  pid: 99\n"
              "  bytesUp: 1000\n  bytesDown: 0\n  startTime: 2024-01-02 03:04:05.006\n"
              "  exitTime: 0000-00-00 00:00:00.000\n  name: 游戏.exe\n  path: C:\\\"q\"\n");
    EXPECT_EQ(
        FormatMessageJson(d),
        "{\"id\":83,\"name\":\"PostProcessListReflux\",\"status\":\"ok\",\"fields\":{\"sequence\":1,"
        "\"index\":3,\"state\":2,\"reserved\":4294967295,\"portCount\":0,\"pid\":99,\"bytesUp\":1000,"
        "\"bytesDown\":0,\"startTime\":\"2024-01-02 03:04:05.006\",\"exitTime\":\"0000-00-00 00:00:00.000\","
        "\"name\":\"游戏.exe\",\"path\":\"C:\\\\\\\"q\\\"\"}}");
}

TEST(DescribeMonitorMessage, SignedResultsAndTheOddAnswerId) {
    const DecodedMessage exit = DescribeMonitorMessage(ipc_test::Framed(54, {"ffffffff", ipc_test::Z(16)}));
    ASSERT_NE(exit.Find("result"), nullptr);
    EXPECT_EQ(FormatFieldValue(exit.Find("result")->value), "-1");
    EXPECT_EQ(FormatMessageJson(DescribeMonitorMessage(ipc_test::Framed(67, {"0c00000000000000"}))),
              "{\"id\":67,\"name\":\"GetProcessUpRefluxBetweenTimeByIdResponse\",\"status\":\"ok\","
              "\"fields\":{\"bytes\":12}}");
}

TEST(DescribeRequest, ShowsRequestFieldsAndWhyAMessageDidNotDecode) {
    const DecodedMessage list =
        DescribeRequest(EncodeRequest(cmd::kSetAccelerateProcess, NameListArgs{u"a.exe\n", u"\n"}));
    EXPECT_EQ(FormatMessageJson(list),
              "{\"id\":15,\"name\":\"SetAccelerateProcess\",\"status\":\"ok\",\"fields\":{\"names\":\"a."
              "exe\\u000a\","
              "\"separator\":\"\\u000a\"}}");
    const DecodedMessage start = DescribeRequest(EncodeRequest(cmd::kStart, StartArgs{{0x00, 0xAB}}));
    EXPECT_EQ(FormatMessageText(start), "Start (1)\n  data: 00ab\n");

    EXPECT_EQ(FormatMessageText(DescribeRequest(EncodeRequest(cmd::kStopAlarm, NoArgs{}))),
              "StopAlarm (7): malformed\n");
    EXPECT_EQ(FormatMessageText(DescribeRequest(EncodeRequest(80, NoArgs{}))), "id (80): unknown id\n");
    EXPECT_EQ(FormatMessageJson(DescribeRequest(ipc_test::Hex("0a000000"))),
              "{\"id\":0,\"name\":\"\",\"status\":\"bad frame\",\"fields\":{}}");
    // Id 67 in this direction is the request.
    const DecodedMessage range = DescribeRequest(EncodeRequest(
        cmd::kGetProcessUpRefluxBetweenTimeById, PidTimeRangeArgs{5, {2024, 1, 1, 1, 0, 0, 0, 0}, {}}));
    EXPECT_EQ(FormatMessageText(range),
              "GetProcessUpRefluxBetweenTimeById (67)\n  pid: 5\n  from: 2024-01-01 00:00:00.000\n"
              "  to: 0000-00-00 00:00:00.000\n");
}

}  // namespace
