#pragma once

// The program side and the plugin side of the CCommIF tests: a fake IMonitorRequests that records every
// call, and a fixture that plays the plugin's pipe server and trades requests for what comes back.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "base/system_time.h"
#include "base/text.h"
#include "ipc/comm_if.h"
#include "ipc/message_fields.h"
#include "ipc/message_text.h"
#include "ipc/monitor_message.h"
#include "ipc/monitor_requests.h"
#include "ipc/request_builder.h"
#include "unit/ipc/ipc_test_bytes.h"
#include "unit/ipc/pipe_test_util.h"

namespace comm_if_test {

// The time every fake time query reports, whatever its result.
inline const base::SystemTime kWhen{2024, 5, 3, 1, 12, 30, 45, 0};

// What the fake program answers. Each query has a value of its own, so an answer shows which query it
// came from.
struct Answers {
    std::uint8_t stopAlarm = 1;
    std::uint8_t setAccelerateProcess = 1;
    std::uint8_t setUnclearProcessName = 1;
    std::int64_t localDown = 1000001;
    std::int64_t localUp = 2000002;
    std::int64_t localTotal = 0x123456789;  // beyond 32 bits
    std::int64_t accelerateDown = 4000004;
    std::int64_t accelerateUp = 5000005;
    std::int64_t accelerateTotal = 9000009;
    std::int64_t unattributed = 53000;
    std::int64_t byNameDown = 111;
    std::int64_t byNameUp = 222;
    std::int64_t byPidDown = 333;
    std::int64_t byPidUp = 444;
    std::int64_t betweenByNameDown = 555;
    std::int64_t betweenByNameUp = 666;
    std::int64_t betweenByIdDown = 777;
    std::int64_t betweenByIdUp = 888;
    std::int32_t startByName = 1;
    std::int32_t startByPid = 1;
    std::int32_t exitByName = 1;
    std::int32_t exitByPid = 0;  // still running
    std::int32_t firstAccelerateStart = 1;
    std::int32_t lastAccelerateExit = 0;
    std::uint32_t totalTime = 3600;
    std::uint8_t suspensionDlgState = 1;
    std::uint8_t alarmState = 1;

    // What the program answers while it has no service or engine.
    static Answers NoService() {
        Answers a;
        a.stopAlarm = a.setAccelerateProcess = a.setUnclearProcessName = 0;
        a.localDown = a.localUp = a.localTotal = ipc::kNoReflux;
        a.accelerateDown = a.accelerateUp = a.accelerateTotal = a.unattributed = ipc::kNoReflux;
        a.byNameDown = a.byNameUp = a.byPidDown = a.byPidUp = ipc::kNoReflux;
        a.betweenByNameDown = a.betweenByNameUp = a.betweenByIdDown = a.betweenByIdUp = ipc::kNoReflux;
        a.startByName = a.startByPid = a.exitByName = a.exitByPid = -1;
        a.firstAccelerateStart = a.lastAccelerateExit = -1;
        a.totalTime = 0;
        a.alarmState = 0;
        return a;
    }
};

// GetProcessTotalTime of this name ends every exchange: it is answered with kMarkerSeconds and not
// recorded.
inline constexpr std::u16string_view kMarkerName = u"end-of-exchange";
inline constexpr std::uint32_t kMarkerSeconds = 0xE0E0E0E0;

inline std::string Text(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        out += c == u'\0' ? std::string("\\0") : base::Utf16ToUtf8(std::u16string_view(&c, 1));
    }
    return "\"" + out + "\"";
}

inline std::string TimeText(const base::SystemTime& t) {
    char text[40];
    std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return text;
}

inline const char* DirectionText(ipc::FlowDirection d) {
    return d == ipc::FlowDirection::kDown ? "down" : "up";
}

class FakeRequests : public ipc::IMonitorRequests {
  public:
    void SetAnswers(const Answers& answers) {
        std::lock_guard<std::mutex> lock(mutex_);
        answers_ = answers;
    }
    // The calls since the last look, in order, and forgets them.
    std::vector<std::string> TakeCalls() {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::exchange(calls_, {});
    }

    void PauseMonitor() override { Record("PauseMonitor"); }
    void ResumeMonitor() override { Record("ResumeMonitor"); }
    std::uint8_t StopAlarm(std::uint8_t stop) override {
        return Record("StopAlarm(" + std::to_string(stop) + ")").stopAlarm;
    }
    void ShowBlackListDlg() override { Record("ShowBlackListDlg"); }
    void ShowMainDlg() override { Record("ShowMainDlg"); }
    void ShowSuspensionDlg() override { Record("ShowSuspensionDlg"); }
    std::uint8_t SetAccelerateProcess(const char16_t* names, std::int32_t namesLength,
                                      const char16_t* separator, std::int32_t separatorLength) override {
        return Record("SetAccelerateProcess" + NameList(names, namesLength, separator, separatorLength))
            .setAccelerateProcess;
    }
    std::uint8_t SetUnclearProcessName(const char16_t* names, std::int32_t namesLength,
                                       const char16_t* separator, std::int32_t separatorLength) override {
        return Record("SetUnclearProcessName" + NameList(names, namesLength, separator, separatorLength))
            .setUnclearProcessName;
    }
    std::int64_t GetReflux(ipc::Reflux which) override {
        static const char* const kNames[] = {"LocalDown",    "LocalUp",         "LocalTotal", "AccelerateDown",
                                             "AccelerateUp", "AccelerateTotal", "Unattributed"};
        const Answers a = Record(std::string("GetReflux(") + kNames[static_cast<int>(which)] + ")");
        const std::int64_t values[] = {a.localDown,    a.localUp,         a.localTotal,  a.accelerateDown,
                                       a.accelerateUp, a.accelerateTotal, a.unattributed};
        return values[static_cast<int>(which)];
    }
    std::int64_t GetProcessRefluxByName(std::u16string_view name, ipc::FlowDirection d) override {
        const Answers a = Record("GetProcessRefluxByName(" + Text(name) + ", " + DirectionText(d) + ")");
        return d == ipc::FlowDirection::kDown ? a.byNameDown : a.byNameUp;
    }
    std::int64_t GetProcessRefluxByPid(std::uint32_t pid, ipc::FlowDirection d) override {
        const Answers a =
            Record("GetProcessRefluxByPid(" + std::to_string(pid) + ", " + DirectionText(d) + ")");
        return d == ipc::FlowDirection::kDown ? a.byPidDown : a.byPidUp;
    }
    std::int64_t GetRefluxBetweenTimeByName(std::u16string_view name, const base::SystemTime& from,
                                            const base::SystemTime& to, ipc::FlowDirection d) override {
        const Answers a = Record("GetRefluxBetweenTimeByName(" + Text(name) + ", " + TimeText(from) + ", " +
                                 TimeText(to) + ", " + DirectionText(d) + ")");
        return d == ipc::FlowDirection::kDown ? a.betweenByNameDown : a.betweenByNameUp;
    }
    std::int64_t GetRefluxBetweenTimeById(std::uint32_t pid, const base::SystemTime& from,
                                          const base::SystemTime& to, ipc::FlowDirection d) override {
        const Answers a = Record("GetRefluxBetweenTimeById(" + std::to_string(pid) + ", " + TimeText(from) +
                                 ", " + TimeText(to) + ", " + DirectionText(d) + ")");
        return d == ipc::FlowDirection::kDown ? a.betweenByIdDown : a.betweenByIdUp;
    }
    std::int32_t GetProcessStartTimeByName(std::u16string_view name, base::SystemTime& time) override {
        time = kWhen;
        return Record("GetProcessStartTimeByName(" + Text(name) + ")").startByName;
    }
    std::int32_t GetProcessStartTimeByPid(std::uint32_t pid, base::SystemTime& time) override {
        time = kWhen;
        return Record("GetProcessStartTimeByPid(" + std::to_string(pid) + ")").startByPid;
    }
    std::int32_t GetProcessExitTimeByName(std::u16string_view name, base::SystemTime& time) override {
        time = kWhen;
        return Record("GetProcessExitTimeByName(" + Text(name) + ")").exitByName;
    }
    std::int32_t GetProcessExitTimeByPid(std::uint32_t pid, base::SystemTime& time) override {
        time = kWhen;
        return Record("GetProcessExitTimeByPid(" + std::to_string(pid) + ")").exitByPid;
    }
    std::uint32_t GetProcessTotalTime(std::u16string_view name) override {
        if (name == kMarkerName) {
            return kMarkerSeconds;
        }
        return Record("GetProcessTotalTime(" + Text(name) + ")").totalTime;
    }
    std::int32_t GetFirstAccelerateStartTime(base::SystemTime& time) override {
        time = kWhen;
        return Record("GetFirstAccelerateStartTime").firstAccelerateStart;
    }
    std::int32_t GetLastAccelerateExitTime(base::SystemTime& time) override {
        time = kWhen;
        return Record("GetLastAccelerateExitTime").lastAccelerateExit;
    }
    std::uint8_t GetSuspensionDlgState() override {
        return Record("GetSuspensionDlgState").suspensionDlgState;
    }
    void SetSuspensionDlgState(std::uint8_t state) override {
        Record("SetSuspensionDlgState(" + std::to_string(state) + ")");
    }
    void RequestExit() override { Record("RequestExit"); }
    std::uint8_t GetAlarmState() override { return Record("GetAlarmState").alarmState; }
    void SetAlarmState(std::uint8_t state) override {
        Record("SetAlarmState(" + std::to_string(state) + ")");
    }
    void SetAccelerateState(std::uint32_t state) override {
        Record("SetAccelerateState(" + std::to_string(state) + ")");
    }
    void SetAccelerateGameInfo(std::uint32_t gameId, const std::u16string& name,
                               const std::u16string& info) override {
        Record("SetAccelerateGameInfo(" + std::to_string(gameId) + ", " + Text(name) + ", " + Text(info) +
               ")");
    }

  private:
    // Texts with their lengths, exactly as far as the lengths say.
    static std::string NameList(const char16_t* names, std::int32_t namesLength, const char16_t* separator,
                                std::int32_t separatorLength) {
        return "(" + Text(std::u16string_view(names, namesLength)) + ", " + std::to_string(namesLength) +
               ", " + Text(std::u16string_view(separator, separatorLength)) + ", " +
               std::to_string(separatorLength) + ")";
    }
    Answers Record(std::string call) {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back(std::move(call));
        return answers_;
    }

    std::mutex mutex_;
    Answers answers_;
    std::vector<std::string> calls_;
};

using Message = std::vector<std::uint8_t>;

inline Message Encode(std::uint32_t id, const ipc::RequestArgs& args) {
    return ipc::EncodeRequest(id, args);
}

// The message of id with a body of `size - 9` zero bytes and a matching length field.
inline Message OfSize(std::uint32_t id, std::size_t size) {
    return ipc_test::Resized(Encode(id, ipc::NoArgs{}), size);
}

// What came back for one request: the monitor's messages in order (decoded) and the program's calls.
struct Exchanged {
    std::vector<ipc::ParsedMonitorMessage> sent;
    std::vector<std::string> sentText;  // the same, as text for failure messages
    std::vector<std::string> calls;
};

// The plugin's pipe server with a CCommIF connected to it. SetUp sends the start result as the
// start-up sequence does; it also proves that the server has taken the connection.
class CommIfOnPipe : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server_.created && server_.reading);
        ASSERT_EQ(comm_.Init(name_), 1u);
        comm_.PostStartResult(1);
        ASSERT_TRUE(server_.sink.WaitForMessages(1));
        const ipc::ParsedMonitorMessage start = ipc::ParseMonitorMessage(Raw(0));
        ASSERT_TRUE(start.Ok());
        ASSERT_EQ(start.id, ipc::cmd::kStartResponse);
        ASSERT_EQ(std::get<ipc::ByteAnswer>(start.fields).value, 1);
        seen_ = 1;
    }

    bool Send(const Message& message) {
        std::uint32_t written = 0;
        return server_.server.Write(message.data(), static_cast<std::uint32_t>(message.size()), &written) ==
               1;
    }

    // Sends the message and the marker request after it; everything the monitor sent before the
    // marker's answer belongs to the message.
    Exchanged Exchange(const Message& message, std::size_t maxMessages = 16) {
        Exchanged out;
        requests_.TakeCalls();
        EXPECT_TRUE(Send(message));
        EXPECT_TRUE(Send(Encode(ipc::cmd::kGetProcessTotalTime, ipc::NameArgs{std::u16string(kMarkerName)})));
        for (std::size_t count = seen_ + 1;; ++count) {
            if (count > seen_ + maxMessages + 1 || !server_.sink.WaitForMessages(count)) {
                ADD_FAILURE() << "no marker answer";
                break;
            }
            ipc::ParsedMonitorMessage m = ipc::ParseMonitorMessage(Raw(count - 1));
            if (m.Ok() && m.id == ipc::cmd::kGetProcessTotalTimeResponse &&
                std::get<ipc::SecondsAnswer>(m.fields).seconds == kMarkerSeconds) {
                seen_ = count;
                break;
            }
            out.sent.push_back(std::move(m));
            out.sentText.push_back(ipc::FormatMessageText(ipc::DescribeMonitorMessage(Raw(count - 1))));
        }
        out.calls = requests_.TakeCalls();
        return out;
    }

    // The next `count` messages the monitor sends unasked.
    std::vector<ipc::ParsedMonitorMessage> Receive(std::size_t count) {
        std::vector<ipc::ParsedMonitorMessage> out;
        EXPECT_TRUE(server_.sink.WaitForMessages(seen_ + count));
        for (std::size_t i = seen_; i < seen_ + count && i < server_.sink.Messages().size(); ++i) {
            out.push_back(ipc::ParseMonitorMessage(Raw(i)));
        }
        seen_ += count;
        return out;
    }

    Message Raw(std::size_t index) const {
        const std::string bytes = server_.sink.Messages().at(index);
        return Message(bytes.begin(), bytes.end());
    }

    const std::u16string name_ = pipe_test::UniquePipeName();
    FakeRequests requests_;
    pipe_test::CallbackServer server_{name_};
    ipc::CCommIF comm_{requests_};  // last: its reader stops before the rest goes
    std::size_t seen_ = 0;
};

}  // namespace comm_if_test
