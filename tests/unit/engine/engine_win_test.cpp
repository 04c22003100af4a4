#include <winsock2.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "base/scoped_handle_win.h"
#include "engine/accelerate_adapter.h"
#include "engine/interface_table.h"
#include "engine/privileges.h"
#include "engine/process_names.h"
#include "engine/socket_table.h"

namespace {

bool EndsWith(const std::u16string& text, std::u16string_view tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(WindowsProcessSource, NamesAndWatchesThisProcess) {
    const auto source = engine::CreateProcessSource();
    engine::ProcessNames names(*source);
    const auto self = static_cast<std::int32_t>(GetCurrentProcessId());
    std::u16string path;
    EXPECT_EQ(names.GetProcessNameById(self, path), 0u);
    EXPECT_TRUE(EndsWith(path, u"\\kvt_tests.exe"));
    EXPECT_EQ(engine::FileNameOfPath(path), u"kvt_tests.exe");

    std::u16string snapshot;
    EXPECT_EQ(source->QuerySnapshotName(static_cast<std::uint32_t>(self), snapshot), 0u);
    EXPECT_TRUE(EndsWith(snapshot, u"kvt_tests.exe"));

    EXPECT_EQ(names.IsPrcessActive(self), 1u);
    EXPECT_EQ(names.IsPrcessActive(0x7FFFFFFC), 0u);
    EXPECT_EQ(source->Terminate(0x7FFFFFFC, 0), engine::kCannotOpenProcess);
    EXPECT_EQ(source->KernelPid(), 4u);
}

TEST(WindowsSocketTable, TablesCanBeRead) {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    base::ScopedSocket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener.Get(), 4), 0);
    int length = sizeof address;
    getsockname(listener.Get(), reinterpret_cast<sockaddr*>(&address), &length);
    const std::uint16_t port = ntohs(address.sin_port);

    const auto source = engine::CreateSocketTableSource();
    std::vector<engine::TcpRow> tcp;
    EXPECT_EQ(source->FetchTcpTable(tcp), 0u);
    EXPECT_TRUE(std::any_of(tcp.begin(), tcp.end(), [&](const engine::TcpRow& r) {
        return r.localPort == port && r.state == engine::TcpState::kListen;
    }));
    std::vector<engine::UdpRow> udp;
    EXPECT_EQ(source->FetchUdpTable(udp), 0u);
    listener.Reset();  // before the library goes
    WSACleanup();
}

TEST(WindowsInterfaceTable, EveryListedInterfaceHasCounters) {
    const auto table = engine::CreateInterfaceTable();
    std::vector<engine::InterfaceRow> rows;
    ASSERT_EQ(table->ListInterfaces(rows), engine::ListStatus::kOk);
    ASSERT_FALSE(rows.empty());
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(),
                               [](const auto& a, const auto& b) { return a.index < b.index; }));
    for (const engine::InterfaceRow& row : rows) {
        std::uint32_t in = 0, out = 0;
        EXPECT_TRUE(table->ReadInterfaceCounters(row.index, in, out)) << row.index;
        EXPECT_EQ(row.description.find(u'\0'), std::u16string::npos);
    }
    std::uint32_t in = 0, out = 0;
    EXPECT_FALSE(table->ReadInterfaceCounters(0x7FFFFFF0, in, out));

    std::vector<engine::AdapterEntry> adapters;
    EXPECT_NE(table->ListAdapters(adapters), engine::ListStatus::kNoMemory);
    engine::AccelerateAdapter adapter(*table);
    EXPECT_EQ(adapter.GetCounters().ok, 1u);
}

TEST(WindowsPrivileges, TheDebugPrivilegeCanBeEnabled) {
    const auto ops = engine::CreatePrivilegeOps();
    EXPECT_EQ(ops->EnableProcessPrivileges(), 0u);
}

}  // namespace
