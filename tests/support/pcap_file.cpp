#include "support/pcap_file.h"

#include <algorithm>

namespace testing_support {

namespace {

constexpr std::uint32_t kMagicMicroseconds = 0xA1B2C3D4;
constexpr std::uint32_t kMagicNanoseconds = 0xA1B23C4D;
constexpr std::size_t kFileHeaderBytes = 24;
constexpr std::size_t kRecordHeaderBytes = 16;

void PutLe32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>(v >> (8 * i)));
    }
}

void PutLe16(std::string& out, std::uint16_t v) {
    out.push_back(static_cast<char>(v));
    out.push_back(static_cast<char>(v >> 8));
}

std::uint32_t Get32(std::string_view in, std::size_t at, bool swapped) {
    const auto b = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(in[at + i]));
    };
    return swapped ? (b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3))
                   : (b(3) << 24 | b(2) << 16 | b(1) << 8 | b(0));
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

bool ReadPcap(std::string_view file, PcapContents& contents) {
    if (file.size() < kFileHeaderBytes) {
        return false;
    }
    const std::uint32_t magic = Get32(file, 0, false);
    bool swapped;
    if (magic == kMagicMicroseconds || magic == kMagicNanoseconds) {
        swapped = false;
    } else if (Get32(file, 0, true) == kMagicMicroseconds || Get32(file, 0, true) == kMagicNanoseconds) {
        swapped = true;
    } else {
        return false;
    }
    const bool nanoseconds = Get32(file, 0, swapped) == kMagicNanoseconds;
    contents.snapLength = Get32(file, 16, swapped);
    contents.linkType = Get32(file, 20, swapped) & 0x0FFFFFFF;  // the top bits carry FCS information
    contents.records.clear();
    std::size_t at = kFileHeaderBytes;
    while (at < file.size()) {
        if (file.size() - at < kRecordHeaderBytes) {
            return false;
        }
        PcapRecord r;
        r.seconds = Get32(file, at, swapped);
        r.microseconds = Get32(file, at + 4, swapped) / (nanoseconds ? 1000 : 1);
        const std::uint32_t captured = Get32(file, at + 8, swapped);
        r.wireLength = Get32(file, at + 12, swapped);
        at += kRecordHeaderBytes;
        if (file.size() - at < captured) {
            return false;
        }
        r.bytes.assign(file.begin() + static_cast<std::ptrdiff_t>(at),
                       file.begin() + static_cast<std::ptrdiff_t>(at + captured));
        at += captured;
        contents.records.push_back(std::move(r));
    }
    return true;
}

}  // namespace testing_support
