#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ipc/parse_status.h"
#include "ipc/request_args.h"
#include "ipc/wire_format.h"

namespace ipc {

// A by-name query whose name is shorter than this many bytes is never looked up.
inline constexpr std::uint32_t kMinQueryNameBytes = 5;

struct ParsedRequest {
    ParseStatus status = ParseStatus::kBadFrame;
    // The header's command id; set for every status but kBadFrame, so that a malformed request can
    // still be answered under AnswerIdOf(id).
    std::uint32_t id = 0;
    // The alternative of the id's layout (see RequestTable) when status is kOk, NoArgs otherwise.
    RequestArgs args;

    bool Ok() const { return status == ParseStatus::kOk; }
};

// Checks the frame, looks the id up and applies its layout check. A by-name query (ids 39, 43, 47, 51,
// 55, 61, 65) with fewer than kMinQueryNameBytes name bytes counts as malformed: it gets the failure
// value without a lookup.
ParsedRequest ParseRequest(Bytes message);

// A name list's two texts as they arrived: every UTF-16 unit of the counted bytes, NULs included (an odd
// last byte makes no unit). The NameListArgs of ParseRequest hold them up to their first NUL; the name
// lists need the rest, since they step over the separator by its received length.
struct NameListUnits {
    std::u16string names;
    std::u16string separator;
};

// The texts of a SetAccelerateProcess or SetUnclearProcessName message whose frame checked out, when
// its layout does too.
std::optional<NameListUnits> ReadNameListUnits(Bytes message);

}  // namespace ipc
