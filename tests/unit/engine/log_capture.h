#pragma once

// Sends the traffic log to a file of a temporary directory for as long as the object lives.

#include <string>
#include <string_view>

#include "alarm/traffic_log.h"
#include "base/text.h"
#include "support/temp_dir.h"

namespace engine_test {

class LogCapture {
public:
    LogCapture() {
        const auto u8 = dir_.File("traffic.log").u8string();
        OpenTrafficLogAt(base::Utf8ToUtf16(std::string(u8.begin(), u8.end())));
    }
    ~LogCapture() { CloseTrafficLog(); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Line ends as written: the Windows run-time's text mode turns "\n" into "\r\n".
    std::u16string Text() const {
        std::string bytes = testing_support::ReadFileBytes(dir_.File("traffic.log"));
        std::erase(bytes, '\r');
        return base::GbkToUtf16(bytes);
    }
    bool Contains(std::u16string_view message) const { return Text().find(message) != std::u16string::npos; }

private:
    testing_support::TempDir dir_;
};

}  // namespace engine_test
