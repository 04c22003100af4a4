#pragma once

// A small writer and reader of classic pcap files (not pcapng), so that capture fixtures can be made by
// the tests themselves and replayed through the link-layer stripper.

#include <cstdint>
#include <string>
#include <string_view>
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

struct PcapContents {
    std::uint32_t linkType = 0;
    std::uint32_t snapLength = 0;
    std::vector<PcapRecord> records;
};

// Reads either byte order and microsecond or nanosecond files. False for anything malformed, including a
// record cut short at the end.
bool ReadPcap(std::string_view file, PcapContents& contents);

}  // namespace testing_support
