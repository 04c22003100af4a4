#pragma once

#include <cstdint>
#include <span>

namespace ipc {

// The shapes of the request bodies after the header.
enum class RequestLayout : std::uint8_t {
    kNone,           // no fields
    kStart,          // u16 byteCount, byteCount bytes not interpreted
    kByte,           // u8
    kU32,            // u32
    kNameList,       // u32 namesBytes, names, u8 separatorBytes, separator
    kName,           // u16 nameBytes, name
    kNameTimeRange,  // u16 nameBytes, name, SYSTEMTIME from, SYSTEMTIME to
    kPidTimeRange,   // u32 pid, SYSTEMTIME from, SYSTEMTIME to
    kGameInfo,       // u32 gameId, u32 nameBytes, name, u32 infoBytes, info
};

struct RequestInfo {
    std::uint32_t id;
    const char* name;
    RequestLayout layout;
    // Whether the length is checked. Requests whose fields the monitor does not read are accepted at any
    // length; a field they lack reads as 0.
    bool checked;
    // Field name of a kByte or kU32 body (null for other layouts).
    const char* valueName;
    // Id of the answer, 0 for none.
    std::uint32_t answerId;
};

// The 38 request ids 1, 3, ..., 75 in order.
std::span<const RequestInfo> RequestTable();

// The row of a request id; null for an id the monitor has no handler for.
const RequestInfo* FindRequest(std::uint32_t id);

// The id a request is answered with, 0 when it gets no answer or is not a request.
std::uint32_t AnswerIdOf(std::uint32_t requestId);

}  // namespace ipc
