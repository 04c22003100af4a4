#pragma once

// A one-shot HTTP client for the endpoint tests: sends `request` as it stands to 127.0.0.1:`port`, reads
// the answer (up to its Content-Length, the server's close, or 5 s of silence) and returns all it got
// (empty when the connection failed).

#include <cstdint>
#include <cstdlib>
#include <string>

namespace test_support {

std::string RawHttp(std::uint16_t port, const std::string& request);

// The status code of a raw answer ("HTTP/1.1 404 Not Found..." gives 404); 0 for none.
// True once `answer` holds the headers and as many body bytes as they announce.
inline bool HttpAnswerComplete(const std::string& answer) {
    const std::size_t end = answer.find("\r\n\r\n");
    const std::size_t length = answer.find("Content-Length: ");
    return end != std::string::npos && length != std::string::npos && length < end &&
           answer.size() >= end + 4 + std::strtoul(answer.c_str() + length + 16, nullptr, 10);
}

inline int HttpStatus(const std::string& answer) {
    const std::size_t space = answer.find(' ');
    return answer.starts_with("HTTP/1.") && space != std::string::npos ? std::atoi(answer.c_str() + space + 1)
                                                                       : 0;
}

}  // namespace test_support
