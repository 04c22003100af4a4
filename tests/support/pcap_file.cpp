#include "support/pcap_file.h"

#include <algorithm>

namespace testing_support {

namespace {

constexpr std::uint32_t kMagicMicroseconds = 0xA1B2C3D4;

void PutLe32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>(v >> (8 * i)));
    }
}

void PutLe16(std::string& out, std::uint16_t v) {
    out.push_back(static_cast<char>(v));
    out.push_back(static_cast<char>(v >> 8));
}

}  // namespace

std::string WritePcap(std::uint32_t linkType, std::uint32_t snapLength,
                      const std::vector<PcapRecord>& records) {
    std::string out;
    PutLe32(out, kMagicMicroseconds);
    PutLe16(out, 2);
    PutLe16(out, 4);
    PutLe32(out, 0);  // time zone
    PutLe32(out, 0);  // accuracy
    PutLe32(out, snapLength);
    PutLe32(out, linkType);
    for (const PcapRecord& r : records) {
        PutLe32(out, r.seconds);
        PutLe32(out, r.microseconds);
        PutLe32(out, static_cast<std::uint32_t>(r.bytes.size()));
        PutLe32(out, std::max<std::uint32_t>(r.wireLength, static_cast<std::uint32_t>(r.bytes.size())));
        out.append(reinterpret_cast<const char*>(r.bytes.data()), r.bytes.size());
    }
    return out;
}

}  // namespace testing_support
