#include "metrics/metrics_server.h"

#include <gtest/gtest.h>

#include "engine/process_records.h"
#include "metrics/metrics_snapshot.h"
#include "support/raw_http.h"

namespace metrics {
namespace {

TEST(MetricsServer, ListenAddressIsAnIpv4AddressAndPortOrABarePortOnLoopback) {
    const struct {
        std::u16string_view text;
        std::optional<ListenAddress> address;
    } cases[] = {
        {u"127.0.0.1:9464", ListenAddress{"127.0.0.1", 9464}},
        {u"9464", ListenAddress{"127.0.0.1", 9464}},
        {u"127.0.0.1:0", std::nullopt},
        {u"127.0.0.1:65536", std::nullopt},
        {u"127.0.0.1:", std::nullopt},
        {u"localhost:9464", std::nullopt},
        {u"1.2.3:9464", std::nullopt},
        {u"1.2.3.256:9464", std::nullopt},
        {u"1.2.3.4.5:9464", std::nullopt},
        {u"9464x", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseListenAddress(c.text), c.address) << std::string(c.text.begin(), c.text.end());
    }
}

TEST(MetricsServer, AnswersOnlyGetMetricsAndRefusesOversizedRequests) {
    MetricsServer server([] { return std::string("kvtmon_up 1\n"); });
    ASSERT_TRUE(server.Start({"127.0.0.1", 0}));
    const std::uint16_t port = server.Port();
    // The request line, then the Host header, then `rest`: more headers, the blank line and any body.
    const auto ask = [port](const std::string& line, const std::string& rest = "\r\n") {
        return test_support::RawHttp(port, line + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                                               "\r\nConnection: close\r\n" + rest);
    };
    const std::string scrape = ask("GET /metrics");
    EXPECT_EQ(test_support::HttpStatus(scrape), 200) << scrape;
    EXPECT_TRUE(scrape.ends_with("\r\n\r\nkvtmon_up 1\n")) << scrape;
    EXPECT_NE(scrape.find("Content-Type: text/plain; version=0.0.4; charset=utf-8\r\n"), std::string::npos)
        << scrape;

    EXPECT_EQ(test_support::HttpStatus(ask("GET /")), 404);
    EXPECT_EQ(test_support::HttpStatus(ask("POST /metrics", "Content-Length: 1\r\n\r\nx")), 404);
    const int oversized =
        test_support::HttpStatus(ask("GET /metrics", "X-Pad: " + std::string(16384, 'x') + "\r\n\r\n"));
    EXPECT_TRUE(oversized >= 400 && oversized < 500) << oversized;
    EXPECT_EQ(test_support::HttpStatus(ask("GET /metrics")), 200);  // still serving

    server.Stop();
    EXPECT_EQ(ask("GET /metrics"), "");
}

TEST(MetricsSnapshot, RecordsSumByNameWithoutTheClosedMarkerAndOnlyRunningOnesCountConnections) {
    const auto row = [](std::u16string name, std::uint32_t state, std::uint64_t up, std::uint64_t down,
                        std::uint32_t connections) {
        engine::ProcessRow r;
        r.name = std::move(name);
        r.state = state;
        r.bytesUp = up;
        r.bytesDown = down;
        r.connectionCount = connections;
        return r;
    };
    const std::vector<engine::ProcessRow> rows = {
        row(u"游戏.exe", engine::kStateRunning, 1, 2, 2),
        row(u"游戏.exe" + std::u16string(engine::kClosedMarker), engine::kStateExited, 10, 20, 5),
        row(u"a.exe", engine::kStateRunning, 7, 0, 0),
    };
    const std::vector<ProcessFigures> figures = FiguresByName(rows);
    ASSERT_EQ(figures.size(), 2u);
    EXPECT_EQ(figures[0].name, "a.exe");
    EXPECT_EQ(figures[0].bytes.up, 7u);
    EXPECT_EQ(figures[1].name, "游戏.exe");
    EXPECT_EQ(figures[1].bytes.up, 11u);
    EXPECT_EQ(figures[1].bytes.down, 22u);
    EXPECT_EQ(figures[1].connections, 2u);
}

}  // namespace
}  // namespace metrics
