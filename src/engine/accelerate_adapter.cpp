#include "engine/accelerate_adapter.h"

#include <vector>

#include "base/os_error.h"
#include "base/text.h"
#include "base/traffic_log.h"
#include "engine/tunnel_rules.h"

namespace engine {

AccelerateAdapter::AccelerateAdapter(IInterfaceTable& table) : table_(table) {
    ScanTunnelInterface();
}

void AccelerateAdapter::ScanTunnelInterface() {
    std::vector<InterfaceRow> rows;
    const ListStatus status = table_.ListInterfaces(rows);
    if (status == ListStatus::kNoMemory) {
        return;
    }
    interfaceIndex_ = kNoInterface;
    if (status != ListStatus::kOk) {
        return;
    }
    for (const InterfaceRow& row : rows) {
        const std::u16string description = LowerCaseAscii(row.description);
        for (const TunnelRule& rule : kTunnelRules) {
            if (RuleApplies(rule, description) && AdapterMatches(description, rule.addressPrefix)) {
                interfaceIndex_ = row.index;
                break;
            }
        }
    }
}

// The adapter list is read again for every test, so that it is never older than the interface table.
bool AccelerateAdapter::AdapterMatches(std::u16string_view lowerDescription,
                                       std::u16string_view addressPrefix) {
    std::vector<AdapterEntry> adapters;
    const ListStatus status = table_.ListAdapters(adapters);
    if (status == ListStatus::kNoMemory) {
        base::WriteTrafficLogError("分配内存失败，error no = %d \n", base::LastOsError());
        return false;
    }
    return status == ListStatus::kOk && AdapterHasTunnelAddress(adapters, lowerDescription, addressPrefix);
}

AccelerateAdapter::Counters AccelerateAdapter::GetCounters() {
    if (interfaceIndex_ == kNoInterface) {
        return {sentSum_, receivedSum_, 1};
    }
    std::uint32_t in = 0;
    std::uint32_t out = 0;
    if (!table_.ReadInterfaceCounters(interfaceIndex_, in, out)) {
        return {0, 0, 0};
    }
    return {out, in, 1};
}

void AccelerateAdapter::AddReportedCounters(std::uint32_t sent, std::uint32_t received) {
    interfaceIndex_ = kNoInterface;
    sentSum_ += sent;
    receivedSum_ += received;
}

void AccelerateAdapter::SetCounters(std::uint32_t sent, std::uint32_t received) {
    sentSum_ = sent;
    receivedSum_ = received;
}

}  // namespace engine
