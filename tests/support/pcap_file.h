#pragma once

// A small writer of classic pcap files (not pcapng), so that capture fixtures can be made by the tests
// themselves and replayed through libpcap and the link-layer stripper.

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct PcapRecord {
    std::vector<std::uint8_t> bytes;  // the captured bytes (caplen = size)
    std::uint32_t wireLength = 0;     // the frame's length on the wire (len), at least bytes.size()
    std::uint32_t seconds = 0;
    std::uint32_t microseconds = 0;
};

// The file's bytes: little-endian, microsecond time stamps, version 2.4.
std::string WritePcap(std::uint32_t linkType, std::uint32_t snapLength,
                      const std::vector<PcapRecord>& records);

}  // namespace testing_support
