#include "ipc/message_fields.h"

#include "ipc/monitor_message.h"
#include "ipc/request_parser.h"
#include "ipc/request_table.h"

namespace ipc {
namespace {

using Fields = std::vector<DecodedField>;

FieldValue Unsigned(std::uint64_t value) {
    return FieldValue(std::in_place_type<std::uint64_t>, value);
}

FieldValue Signed(std::int64_t value) {
    return FieldValue(std::in_place_type<std::int64_t>, value);
}

struct RequestFieldLister {
    const RequestInfo& info;
    Fields& out;

    void operator()(const NoArgs&) const {}
    void operator()(const StartArgs& a) const { out.push_back({"data", a.data}); }
    void operator()(const ByteArgs& a) const { out.push_back({info.valueName, Unsigned(a.value)}); }
    void operator()(const U32Args& a) const { out.push_back({info.valueName, Unsigned(a.value)}); }
    void operator()(const NameListArgs& a) const {
        out.push_back({"names", a.names});
        out.push_back({"separator", a.separator});
    }
    void operator()(const NameArgs& a) const { out.push_back({"name", a.name}); }
    void operator()(const NameTimeRangeArgs& a) const {
        out.push_back({"name", a.name});
        out.push_back({"from", a.from});
        out.push_back({"to", a.to});
    }
    void operator()(const PidTimeRangeArgs& a) const {
        out.push_back({"pid", Unsigned(a.pid)});
        out.push_back({"from", a.from});
        out.push_back({"to", a.to});
    }
    void operator()(const GameInfoArgs& a) const {
        out.push_back({"gameId", Unsigned(a.gameId)});
        out.push_back({"name", a.name});
        out.push_back({"info", a.info});
    }
};

struct MonitorFieldLister {
    const MonitorMessageInfo& info;
    Fields& out;

    void operator()(const std::monostate&) const {}
    void operator()(const ByteAnswer& a) const { out.push_back({info.valueName, Unsigned(a.value)}); }
    void operator()(const ByteReservedAnswer& a) const {
        out.push_back({"result", Unsigned(a.result)});
        out.push_back({"reserved", Unsigned(a.reserved)});
    }
    void operator()(const BytesAnswer& a) const { out.push_back({"bytes", Unsigned(a.bytes)}); }
    void operator()(const PaddedBytesAnswer& a) const {
        out.push_back({"bytes", Unsigned(a.bytes)});
        out.push_back({"reserved", Unsigned(a.reserved)});
    }
    void operator()(const TimeAnswer& a) const {
        out.push_back({"result", Signed(a.result)});
        out.push_back({"time", a.time});
    }
    void operator()(const SecondsAnswer& a) const { out.push_back({"seconds", Unsigned(a.seconds)}); }
    void operator()(const ProcessListEntry& e) const {
        out.push_back({"sequence", Unsigned(e.sequence)});
        out.push_back({"index", Unsigned(e.index)});
        out.push_back({"state", Unsigned(e.state)});
        out.push_back({"reserved", Unsigned(e.reserved)});
        out.push_back({"portCount", Unsigned(e.portCount)});
        out.push_back({"pid", Unsigned(e.pid)});
        out.push_back({"bytesUp", Unsigned(e.bytesUp)});
        out.push_back({"bytesDown", Unsigned(e.bytesDown)});
        out.push_back({"startTime", e.startTime});
        out.push_back({"exitTime", e.exitTime});
        out.push_back({"name", e.name});
        out.push_back({"path", e.path});
    }
    void operator()(const AlarmRecordPush& a) const {
        out.push_back({"time", a.time});
        out.push_back({"pid", Unsigned(a.pid)});
        out.push_back({"machine", Unsigned(a.machine)});
        out.push_back({"bytesUp", Unsigned(a.bytesUp)});
        out.push_back({"bytesDown", Unsigned(a.bytesDown)});
        out.push_back({"nonAcceleratedTotal", Unsigned(a.nonAcceleratedTotal)});
        out.push_back({"localTotal", Unsigned(a.localTotal)});
        out.push_back({"name", a.name});
    }
};

}  // namespace

const DecodedField* DecodedMessage::Find(std::string_view fieldName) const {
    for (const DecodedField& field : fields) {
        if (field.name == fieldName) {
            return &field;
        }
    }
    return nullptr;
}

DecodedMessage DescribeRequest(Bytes message) {
    const ParsedRequest parsed = ParseRequest(message);
    DecodedMessage decoded;
    decoded.status = parsed.status;
    decoded.id = parsed.id;
    if (const RequestInfo* info = FindRequest(parsed.id);
        info != nullptr && parsed.status != ParseStatus::kBadFrame) {
        decoded.name = info->name;
        if (parsed.Ok()) {
            std::visit(RequestFieldLister{*info, decoded.fields}, parsed.args);
        }
    }
    return decoded;
}

DecodedMessage DescribeMonitorMessage(Bytes message) {
    const ParsedMonitorMessage parsed = ParseMonitorMessage(message);
    DecodedMessage decoded;
    decoded.status = parsed.status;
    decoded.id = parsed.id;
    if (const MonitorMessageInfo* info = FindMonitorMessage(parsed.id);
        info != nullptr && parsed.status != ParseStatus::kBadFrame) {
        decoded.name = info->name;
        if (parsed.Ok()) {
            std::visit(MonitorFieldLister{*info, decoded.fields}, parsed.fields);
        }
    }
    return decoded;
}

}  // namespace ipc
