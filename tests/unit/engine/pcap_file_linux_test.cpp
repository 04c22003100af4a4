// libpcap as the oracle for the test's own capture files: what it reads from them must be what the
// replay tests read.

#include <pcap/pcap.h>

#include <gtest/gtest.h>

#include <memory>

#include "engine/adapter_info.h"
#include "engine/link_layer.h"
#include "link_frames.h"
#include "support/pcap_file.h"
#include "support/temp_dir.h"

namespace {

using link_frames::Packet;
using testing_support::PcapRecord;
using testing_support::TransportPacket;

struct Case {
    std::uint32_t fileLinkType;
    int expectedDlt;  // libpcap reports raw IP files as DLT_RAW
};

TEST(PcapFileLinux, LibpcapReadsTheSameRecordsAndLinkType) {
    const Packet ip = TransportPacket(17, MakeIpv4(192, 168, 1, 10), MakeIpv4(203, 0, 113, 7), 5, 6, 300);
    for (const Case c :
         {Case{kLinkEthernet, DLT_EN10MB}, Case{kLinkLinuxSll, DLT_LINUX_SLL},
          Case{kLinkLinuxSll2, DLT_LINUX_SLL2}, Case{kLinkRawFile, DLT_RAW}, Case{kLinkNull, DLT_NULL}}) {
        const Packet frame = c.fileLinkType == kLinkEthernet    ? link_frames::Ethernet(ip)
                             : c.fileLinkType == kLinkLinuxSll  ? link_frames::LinuxSll(ip)
                             : c.fileLinkType == kLinkLinuxSll2 ? link_frames::LinuxSll2(ip)
                             : c.fileLinkType == kLinkNull      ? link_frames::NullLittleEndian(ip)
                                                                : ip;
        std::vector<PcapRecord> records{{frame, static_cast<std::uint32_t>(frame.size()), 1, 2},
                                        {Packet(frame.begin(), frame.begin() + 64), 1500, 3, 4}};
        testing_support::TempDir dir;
        const auto path = dir.File("oracle.pcap");
        testing_support::WriteFileBytes(path, testing_support::WritePcap(c.fileLinkType, 65535, records));

        char error[PCAP_ERRBUF_SIZE] = {};
        std::unique_ptr<pcap_t, decltype(&pcap_close)> handle(pcap_open_offline(path.c_str(), error),
                                                              &pcap_close);
        ASSERT_NE(handle, nullptr) << error;
        EXPECT_EQ(pcap_datalink(handle.get()), c.expectedDlt);
        for (const PcapRecord& r : records) {
            pcap_pkthdr* header = nullptr;
            const std::uint8_t* data = nullptr;
            ASSERT_EQ(pcap_next_ex(handle.get(), &header, &data), 1);
            EXPECT_EQ(header->caplen, r.bytes.size());
            EXPECT_EQ(header->len, r.wireLength);
            EXPECT_EQ(header->ts.tv_sec, static_cast<time_t>(r.seconds));
            EXPECT_EQ(Packet(data, data + header->caplen), r.bytes);
            // The link type libpcap reports strips to the same packet as the file's own type.
            const auto stripped = StripLinkLayer(pcap_datalink(handle.get()), {data, header->caplen});
            ASSERT_TRUE(stripped.has_value());
            EXPECT_EQ(Packet(stripped->begin(), stripped->end()),
                      Packet(ip.begin(), ip.begin() + static_cast<std::ptrdiff_t>(stripped->size())));
        }
        pcap_pkthdr* header = nullptr;
        const std::uint8_t* data = nullptr;
        EXPECT_EQ(pcap_next_ex(handle.get(), &header, &data), PCAP_ERROR_BREAK);
    }
}

}  // namespace
