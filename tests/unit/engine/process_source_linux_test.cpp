#include "engine/process_source.h"

#include <gtest/gtest.h>
#include <signal.h>

#include "base/module_path.h"
#include "loopback_sockets_linux.h"

namespace {

using engine_test::Child;

class LinuxProcessSource : public ::testing::Test {
  protected:
    std::unique_ptr<engine::IProcessSource> source_ = engine::CreateProcessSource();
    const std::uint32_t self_ = static_cast<std::uint32_t>(getpid());
};

TEST_F(LinuxProcessSource, NamesThisProgram) {
    std::u16string path;
    EXPECT_EQ(source_->QueryImagePath(self_, path), 0u);
    EXPECT_EQ(path, base::ModuleFileName());
    std::u16string name;
    EXPECT_EQ(source_->QuerySnapshotName(self_, name), 0u);
    EXPECT_EQ(name, u"kvt_tests");
}

TEST_F(LinuxProcessSource, AProcessThatEndedIsNotRunningEvenAsAZombie) {
    Child child;
    const std::uint64_t stamp = source_->StartStamp(child.pid());
    ASSERT_NE(stamp, 0u);
    EXPECT_TRUE(source_->IsRunning(child.pid(), stamp));
    EXPECT_FALSE(source_->IsRunning(child.pid(), stamp + 1)) << "another process with the same pid";

    child.EndAsZombie();
    EXPECT_FALSE(source_->IsRunning(child.pid(), stamp));
    child.Reap();
    EXPECT_FALSE(source_->IsRunning(child.pid(), 0));
    std::u16string path;
    EXPECT_NE(source_->QueryImagePath(child.pid(), path), 0u);
}

TEST_F(LinuxProcessSource, TerminateKillsOnlyTheRecordedProcess) {
    Child child;
    const std::uint64_t stamp = source_->StartStamp(child.pid());
    EXPECT_EQ(source_->Terminate(child.pid(), stamp + 1), engine::kCannotOpenProcess);
    EXPECT_TRUE(source_->IsRunning(child.pid(), stamp));

    EXPECT_EQ(source_->Terminate(child.pid(), stamp), 0u);
    const int status = child.Reap();
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    EXPECT_EQ(source_->Terminate(child.pid(), 0), engine::kCannotOpenProcess);
}

}  // namespace
