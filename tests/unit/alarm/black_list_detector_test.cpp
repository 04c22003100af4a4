// The black list against the engine's process table, and ending a process from the alarm dialogs.

#include "alarm/black_list_detector.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "alarm_test_files.h"
#include "base/text.h"
#include "engine/traffic_monitor.h"
#include "unit/engine/engine_fakes.h"

namespace {

using alarming::BlackListDetector;
using engine::ProcessRecord;
using engine::TcpState;
using engine_test::At;
using engine_test::Ip;
using Names = std::vector<std::u16string>;

// The source the dialogs end processes through: answers as told and remembers its calls.
class TerminatingSource final : public engine::IProcessSource {
  public:
    std::uint32_t QueryImagePath(std::uint32_t, std::u16string&) override { return 0; }
    std::uint32_t QuerySnapshotName(std::uint32_t, std::u16string&) override { return 0; }
    bool IsRunning(std::uint32_t, std::uint64_t) override { return true; }
    std::uint64_t StartStamp(std::uint32_t) override { return 0; }
    std::uint32_t KernelPid() const override { return 4; }
    std::uint32_t Terminate(std::uint32_t pid, std::uint64_t stamp) override {
        terminated.emplace_back(pid, stamp);
        return answer;
    }
    std::uint32_t answer = 0;
    std::vector<std::pair<std::uint32_t, std::uint64_t>> terminated;
};

class Detection : public ::testing::Test {
  protected:
    // Starts the table with one port per process.
    void Run(const std::vector<std::pair<std::uint32_t, std::u16string>>& processes) {
        for (const auto& [pid, name] : processes) {
            Add(pid, name, pid * 10);
        }
        ASSERT_EQ(table_.InitProcessList(), 0u);
    }
    void Add(std::uint32_t pid, std::u16string_view name, std::uint64_t stamp) {
        processes_.Add(pid, name, stamp);
        sockets_.tcp.push_back(
            {TcpState::kEstablished, Ip(127, 0, 0, 1), port_++, Ip(127, 0, 0, 1), 80, pid});
    }
    void BlackList(std::u16string_view text) {
        folder_.Write(alarming::kBlackListName, alarm_test::Utf16Le(text));
    }
    // "name pid: description" of each process found, whose path is the process's own.
    std::vector<std::string> Detect(int expectedCount) {
        BlackListDetector detector(folder_.Directory(), whiteList_);
        EXPECT_EQ(detector.DetectBlackListProcesses(&table_), expectedCount);
        std::vector<std::string> seen;
        for (const alarming::DetectedProcess& d : detector.Detected()) {
            EXPECT_EQ(d.path, engine_test::PathOf(d.name));
            seen.push_back(base::Utf16ToUtf8(d.name) + " " + std::to_string(d.pid) + ": " +
                           base::Utf16ToUtf8(d.description));
        }
        return seen;
    }
    ProcessRecord& Running(std::uint32_t pid) {
        for (ProcessRecord& p : table_.Processes()) {
            if (p.pid == pid && p.state != engine::kStateExited) {
                return p;
            }
        }
        ADD_FAILURE() << "no running record of " << pid;
        return table_.Processes().Head();
    }
    Names TableNames() {
        Names names;
        for (const ProcessRecord& p : table_.Processes()) {
            names.push_back(p.name);
        }
        return names;
    }

    std::uint16_t port_ = 5000;
    alarm_test::ProgramFolder folder_;
    alarming::WhiteList whiteList_;
    base::ReentrantLock lock_;
    engine_test::FakeSocketTable sockets_;
    engine_test::FakeProcessSource processes_;
    TerminatingSource source_;
    engine_test::FakeClock clock_;
    engine::ProcessNames names_{processes_};
    engine::ProcessTable table_{lock_, sockets_, names_, clock_};
};

TEST_F(Detection, MatchesRunningNamesIgnoringCaseInTableOrderLessTheWhiteList) {
    BlackList(
        u"  thunder.exe   迅雷 下载  \r\nBITCOMET.EXE 大写\r\nOneDrive.exe 同步\r\nONEDRIVE.exe 第二条\r\n"
        u"Seed.exe 种子\r\n");
    folder_.Write(alarming::kWhiteListName, alarm_test::Utf16Le(u"SEED.EXE 允许\r\n\r\n"));
    ASSERT_EQ(whiteList_.Load(folder_.Directory(), alarming::kWhiteListName), 1);
    Run({{100, u"Thunder.exe"},
         {101, u"Thunder.exe"},
         {200, u"BitComet.exe"},
         {300, u"onedrive.exe"},
         {400, u"game.exe"},
         {500, u"seed.exe"}});
    table_.MarkExited(Running(100), At(10, 5, 0));
    EXPECT_EQ(Detect(2), (std::vector<std::string>{"Thunder.exe 101: 迅雷 下载", "onedrive.exe 300: 同步"}));
    EXPECT_EQ(alarming::HasBlackListProcesses(folder_.Directory(), whiteList_, &table_), 1);
}

TEST_F(Detection, AtMost128ProcessesAreReported) {
    BlackList(u"p.exe 下载\r\n");
    std::vector<std::pair<std::uint32_t, std::u16string>> many;
    for (std::uint32_t pid = 1000; pid < 1140; ++pid) {
        many.emplace_back(pid, u"p.exe");
    }
    Run(many);
    EXPECT_EQ(Detect(128).back(), "p.exe 1127: 下载");
}

TEST_F(Detection, NoBlackListNoEngineOrNoMatch) {
    Run({{100, u"Thunder.exe"}});
    EXPECT_TRUE(Detect(-1).empty());
    EXPECT_EQ(alarming::HasBlackListProcesses(folder_.Directory(), whiteList_, &table_), 0);

    BlackList(u"Thunder.exe 迅雷\r\n");
    BlackListDetector detector(folder_.Directory(), whiteList_);
    EXPECT_EQ(detector.DetectBlackListProcesses(&table_), 1);
    EXPECT_EQ(detector.DetectBlackListProcesses(nullptr), -1);
    EXPECT_TRUE(detector.Detected().empty());  // the earlier run's results are gone
    // A failed load empties the table.
    EXPECT_EQ(detector.BlackList(), (std::vector<alarming::ListEntry>{{u"Thunder.exe", u"迅雷"}}));
    EXPECT_EQ(detector.LoadBlackList(u"config\\none.txt"), 0);
    EXPECT_TRUE(detector.BlackList().empty());
}

// Only the running record of a pid is ended (here an earlier process had the pid 300). A failed
// termination still marks the record, unless the process could not be opened at all and the caller was
// the lists' end button.
TEST_F(Detection, EndingAProcessMarksItsRunningRecord) {
    Run({{100, u"a.exe"}, {200, u"b.exe"}, {300, u"old.exe"}, {400, u"d.exe"}, {500, u"e.exe"}});
    table_.MarkExited(Running(300), At(10, 1, 0));
    Add(300, u"new.exe", 4242);
    ASSERT_EQ(table_.RefreshProcessList(), 0u);
    clock_.time = At(11, 30, 15);
    const struct {
        std::uint32_t pid, answer;
        bool openableOnly;
    } cases[] = {{300, 0, false},
                 {100, engine::kCannotOpenProcess, false},
                 {200, engine::kCannotOpenProcess, true},
                 {400, 5, true},
                 {500, 0, true}};
    for (const auto& c : cases) {
        source_.answer = c.answer;
        EXPECT_EQ(c.openableOnly ? alarming::EndOpenableProcess(table_, source_, c.pid)
                                 : alarming::EndProcessById(table_, source_, c.pid),
                  c.answer);
    }
    // Ending one again, or a pid nobody has, does nothing.
    EXPECT_EQ(alarming::EndProcessById(table_, source_, 300), 0u);
    EXPECT_EQ(alarming::EndOpenableProcess(table_, source_, 999), 0u);
    EXPECT_EQ(source_.terminated, (std::vector<std::pair<std::uint32_t, std::uint64_t>>{
                                      {300, 4242}, {100, 1000}, {200, 2000}, {400, 4000}, {500, 5000}}));
    EXPECT_EQ(TableNames(), (Names{u"a.exe(已关闭)", u"b.exe", u"old.exe(已关闭)", u"d.exe(已关闭)",
                                   u"e.exe(已关闭)", u"new.exe(已关闭)"}));
    EXPECT_EQ(table_.Processes().begin()->exitTime, At(11, 30, 15));
}

}  // namespace
