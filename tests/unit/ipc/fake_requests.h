#pragma once

// The program behind CCommIF in tests: records every call as text and answers every query with one
// value; the CCommIF tests and the console tests share it.

#include <atomic>
#include <concepts>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/system_time.h"
#include "base/text.h"
#include "ipc/message_text.h"
#include "ipc/monitor_requests.h"

namespace ipc_test {

inline const base::SystemTime kWhen{2024, 5, 3, 1, 12, 30, 45, 0};

// Records every call as text; every query answers the same value cast to its type and reports kWhen.
class FakeRequests : public ipc::IMonitorRequests {
  public:
    struct Answer {
        std::int64_t value;
        template <typename T>
        operator T() const {
            return static_cast<T>(value);
        }
    };
    std::atomic<std::int64_t> answer{1};
    std::vector<std::string> TakeCalls() {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::exchange(calls_, {});
    }

    using Name = std::u16string_view;
    using Time = base::SystemTime;
    using Dir = ipc::FlowDirection;
    using Pid = std::uint32_t;
    void PauseMonitor() override { Call(__func__); }
    void ResumeMonitor() override { Call(__func__); }
    std::uint8_t StopAlarm(std::uint8_t stop) override { return Call(__func__, stop); }
    void ShowBlackListDlg() override { Call(__func__); }
    void ShowMainDlg() override { Call(__func__); }
    void ShowSuspensionDlg() override { Call(__func__); }
    std::uint8_t SetAccelerateProcess(const char16_t* n, std::int32_t nl, const char16_t* s,
                                      std::int32_t sl) override {
        return Call(__func__, Name(n, nl), nl, Name(s, sl), sl);
    }
    std::uint8_t SetUnclearProcessName(const char16_t* n, std::int32_t nl, const char16_t* s,
                                       std::int32_t sl) override {
        return Call(__func__, Name(n, nl), nl, Name(s, sl), sl);
    }
    std::int64_t GetReflux(ipc::Reflux which) override { return Call(__func__, static_cast<int>(which)); }
    std::int64_t GetProcessRefluxByName(Name name, Dir d) override { return Call(__func__, name, d); }
    std::int64_t GetProcessRefluxByPid(Pid pid, Dir d) override { return Call(__func__, pid, d); }
    std::int64_t GetRefluxBetweenTimeByName(Name n, const Time& from, const Time& to, Dir d) override {
        return Call(__func__, n, from, to, d);
    }
    std::int64_t GetRefluxBetweenTimeById(Pid pid, const Time& from, const Time& to, Dir d) override {
        return Call(__func__, pid, from, to, d);
    }
    std::int32_t GetProcessStartTimeByName(Name n, Time& t) override { return Timed(t, Call(__func__, n)); }
    std::int32_t GetProcessStartTimeByPid(Pid p, Time& t) override { return Timed(t, Call(__func__, p)); }
    std::int32_t GetProcessExitTimeByName(Name n, Time& t) override { return Timed(t, Call(__func__, n)); }
    std::int32_t GetProcessExitTimeByPid(Pid p, Time& t) override { return Timed(t, Call(__func__, p)); }
    std::uint32_t GetProcessTotalTime(Name name) override { return Call(__func__, name); }
    std::int32_t GetFirstAccelerateStartTime(Time& t) override { return Timed(t, Call(__func__)); }
    std::int32_t GetLastAccelerateExitTime(Time& t) override { return Timed(t, Call(__func__)); }
    std::uint8_t GetSuspensionDlgState() override { return Call(__func__); }
    void SetSuspensionDlgState(std::uint8_t state) override { Call(__func__, state); }
    void RequestExit() override { Call(__func__); }
    std::uint8_t GetAlarmState() override { return Call(__func__); }
    void SetAlarmState(std::uint8_t state) override { Call(__func__, state); }
    void SetAccelerateState(std::uint32_t state) override { Call(__func__, state); }
    void SetAccelerateGameInfo(std::uint32_t id, const std::u16string& name,
                               const std::u16string& info) override {
        Call(__func__, id, Name(name), Name(info));
    }

  private:
    static Answer Timed(base::SystemTime& time, Answer result) {
        time = kWhen;
        return result;
    }
    // Texts quoted with their NULs shown, times as the console shows them.
    static std::string Text(std::u16string_view text) {
        std::string out = "\"";
        for (char c : base::Utf16ToUtf8(text)) {
            out += c == '\0' ? std::string("\\0") : std::string(1, c);
        }
        return out + "\"";
    }
    static std::string Text(const base::SystemTime& t) { return ipc::FormatTimeText(t); }
    static std::string Text(ipc::FlowDirection d) { return d == ipc::FlowDirection::kDown ? "down" : "up"; }
    static std::string Text(std::integral auto n) { return std::to_string(n); }
    template <typename... Args>
    Answer Call(std::string call, const Args&... args) {
        std::string separator = "(";
        ((call += separator + Text(args), separator = ", "), ...);
        call += sizeof...(Args) > 0 ? ")" : "";
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back(std::move(call));
        return {answer.load()};
    }

    std::mutex mutex_;
    std::vector<std::string> calls_;
};

}  // namespace ipc_test
