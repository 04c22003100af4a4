#include "app/exit_request.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unit/alarm/alarm_test_files.h"

namespace {

// Records what the exit does to the windows, in order; read once the exit thread has been joined.
class RecordingShell final : public ui::IShellWindow {
  public:
    bool Create(bool) override { return true; }
    void SetVisible(bool) override {}
    bool IsCreated() const override { return created; }
    std::optional<alarming::WindowOrigin> Origin() const override { return alarming::WindowOrigin{12, 34}; }
    void PostShowBlackList() override {}
    void PostShowMainModal() override {}
    void CloseOtherWindows() override { steps.push_back("close other windows"); }
    void CloseOwnedPopups() override { steps.push_back("close owned pop-ups"); }
    void PostClose() override { steps.push_back("close"); }
    void RunMessageLoop() override {}

    bool created = true;
    std::vector<std::string> steps;
};

constexpr std::u16string_view kLockName = u"kvt_exit_request_test";

TEST(ExitRequest, SavesTheWindowSettingsClosesTheWindowsAndLetsANewInstanceStart) {
    alarm_test::FlagsGuard flags;
    alarm_test::ProgramFolder folder;
    folder.MakeTmp();
    alarming::ShowSuspension = 0;
    RecordingShell shell;
    app::SingleInstance instance;
    ASSERT_TRUE(instance.Acquire(kLockName));
    {
        app::RequestExit();  // nothing registered: nothing happens
        app::ExitRequest exit(shell, instance, folder.Directory());
        app::SetProgramExitRequest(&exit);
        app::RequestExit();  // the program-wide request reaches the registered one
        app::SetProgramExitRequest(nullptr);
        exit.Request();  // later requests do nothing
    }                    // waits for the exit thread
    EXPECT_EQ(shell.steps, (std::vector<std::string>{"close other windows", "close owned pop-ups", "close"}));
    EXPECT_EQ(folder.Setting(alarming::kSuspensionSection, alarming::kShowKey), u"0");
    EXPECT_EQ(folder.Setting(alarming::kSuspensionSection, alarming::kLocationKey), u"12,34");
    app::SingleInstance next;
    EXPECT_TRUE(next.Acquire(kLockName));

    // Without the shell window only the other windows are closed.
    RecordingShell hidden;
    hidden.created = false;
    {
        app::ExitRequest exit(hidden, next, folder.Directory());
        exit.Request();
    }
    EXPECT_EQ(hidden.steps, std::vector<std::string>{"close other windows"});
}

}  // namespace
