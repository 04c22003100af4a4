#include "ipc/parse_status.h"

namespace ipc {

const char* ParseStatusName(ParseStatus status) {
    switch (status) {
        case ParseStatus::kOk:
            return "ok";
        case ParseStatus::kBadFrame:
            return "bad frame";
        case ParseStatus::kUnknownId:
            return "unknown id";
        case ParseStatus::kMalformed:
            return "malformed";
    }
    return "?";
}

}  // namespace ipc
