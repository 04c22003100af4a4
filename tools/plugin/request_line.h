#pragma once

// The console's request syntax, one for the command line and for scripts: a request's name (or its
// decimal id) and one NAME=VALUE word per field of its body, for example
//   SetAccelerateProcess names=GameClient.exe|b.exe separator=|
//   GetProcessDownRefluxBetweenTimeByName name=x.exe from=2026-12-06T10:00:00 to=now

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/system_time.h"
#include "ipc/request_args.h"
#include "ipc/request_table.h"

namespace console {

// A request ready to be encoded.
struct RequestCall {
    const ipc::RequestInfo* info = nullptr;
    ipc::RequestArgs args;
};

// ASCII letters compare without regard to case, everything else as it is.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// Splits a line at blanks. Double quotes group blanks into a word and are dropped; "" inside quotes is
// one quote character. Backslashes are plain characters (pipe names and paths are full of them). False
// with an error for an unclosed quote.
bool SplitWords(std::string_view line, std::vector<std::string>& words, std::string& error);

// Groups command-line words into requests: a word without '=' starts a request and the NAME=VALUE
// words after it are its arguments. False when a NAME=VALUE word comes before any request.
bool GroupRequestWords(std::span<const std::string> words, std::vector<std::vector<std::string>>& requests,
                       std::string& error);

// The request of that name (without regard to case) or decimal id; null when there is none.
const ipc::RequestInfo* FindRequestByName(std::string_view nameOrId);

// Up to three request names close to an unknown one, as "A", "A or B" or "A, B or C"; empty when none is.
std::string SuggestRequestNames(std::string_view unknown);

// The arguments a request takes, as NAME=VALUE placeholders ("stop=0..255", "[data=HEX]" for an
// optional one); empty for a request without arguments.
std::string RequestUsage(const ipc::RequestInfo& info);

// Parses words[0] as the request and the rest as its arguments. `now` is what "now" in a time means.
// False with an error that names the request and the arguments it expects.
bool ParseRequestWords(std::span<const std::string> words, const base::SystemTime& now, RequestCall& call,
                       std::string& error);

}  // namespace console
