// The alarm history page, the alarm information dialog and the two settings dialogs as the program runs
// them: the floating window exists, and the service runs on fake process and socket tables (Wine has no
// raw capture) holding Game.exe (pid 100) and Browser.exe (pid 200).
//
// Commands, one per line on standard input (answers and events, one line each, on standard output):
//   records                 running records: "records N"
//   history                 three alarm entries: Game.exe unhandled, Browser.exe ignored, Old.exe (pid
//                           300, no record) unhandled
//   page                    the history page in a window of its own: "page N|row|row..." (columns ',')
//   settings | threshold | info   opens the dialog (modal, on the window thread); "closed NAME ID" when
//                           it closes
//   ctl TITLE ID            screen centre of control ID of the window titled TITLE: "ctl X Y"
//   settext TITLE ID TEXT   the control's text
//   check TITLE ID          "check 0|1" for a check box
//   report                  floating=0|1 infos=N (top-level windows titled 报警信息) msgbox=0|1
//   dismiss                 the open message box's first button
//   exit                    ends the harness
// Events: "ready", "closed NAME ID".

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#include "alarm/alarm_history.h"
#include "alarm/program_directory.h"
#include "alarm/settings.h"
#include "app/monitor_service.h"
#include "app/system_engine_seams.h"
#include "base/text.h"
#include "base/wide_win.h"
#include "base/window_tags.h"
#include "engine/traffic_snapshots.h"
#include "ui/alarm_info_dlg_win.h"
#include "ui/alarm_record_page_win.h"
#include "ui/setting_dlg_win.h"
#include "ui/suspension_dlg2_win.h"
#include "ui/window_find_win.h"
#include "unit/engine/engine_fakes.h"

namespace {

constexpr UINT kCommandMessage = WM_APP + 10;
constexpr UINT kOpenMessage = WM_APP + 11;
constexpr wchar_t kHarnessClass[] = L"KvtAlarmDialogsHarness";

std::mutex outputMutex;

void Say(const std::string& line) {
    std::lock_guard<std::mutex> lock(outputMutex);
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

class NullChannel final : public engine::IPluginChannel {
  public:
    void PushTotals(std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t) override {}
    bool PostProcessListEntry(const engine::ProcessListEntry&) override { return true; }
    void PostStartResult(std::uint8_t) override {}
};

engine::EngineSeams FakeSeams() {
    engine::EngineSeams seams = app::SystemEngineSeams();
    auto sockets = std::make_unique<engine_test::FakeSocketTable>();
    auto processes = std::make_unique<engine_test::FakeProcessSource>();
    const std::uint32_t localhost = engine_test::Ip(127, 0, 0, 1);
    sockets->tcp.push_back({engine::TcpState::kEstablished, localhost, 50000, localhost, 80, 100});
    sockets->tcp.push_back({engine::TcpState::kEstablished, localhost, 50001, localhost, 80, 200});
    processes->Add(100, u"Game.exe");
    processes->Add(200, u"Browser.exe");
    seams.sockets = std::move(sockets);
    seams.processes = std::move(processes);
    seams.interfaces = std::make_unique<engine_test::FakeInterfaceTable>();
    seams.privileges = std::make_unique<engine_test::FakePrivilegeOps>();
    seams.getAdapterInfo = [](engine::AdapterInfo& info) {
        info.hostName = u"harness";
        return 0u;
    };
    seams.startNetworkLibrary = [] { return 0u; };
    seams.stopNetworkLibrary = [] {};
    return seams;
}

engine::SpeedAlarmRecord Entry(std::uint32_t pid, std::u16string name, std::uint32_t state) {
    engine::SpeedAlarmRecord entry;
    entry.pid = pid;
    entry.name = std::move(name);
    entry.path = u"C:\\windows\\notepad.exe";
    entry.handlingState = state;
    entry.downBytes = 2500000;
    entry.upBytes = 1500;
    entry.downSpeedText = u"250.00KB/S";
    entry.upSpeedText = u"1.50KB/S";
    return entry;
}

struct Harness {
    HWND window = nullptr;
    HWND pageHost = nullptr;
    ui::CDlgAlarmRecord page;
};

HWND Control(std::istringstream& in, int& id) {
    std::string title;
    in >> title >> id;
    HWND dialog = ::FindWindowW(nullptr, base::Wide(base::Utf8ToUtf16(title)));
    return dialog != nullptr ? ::GetDlgItem(dialog, id) : nullptr;
}

BOOL CALLBACK CountInfoWindows(HWND window, LPARAM count) {
    wchar_t title[32] = {};
    ::GetWindowTextW(window, title, 32);
    if (std::wstring(title) == L"报警信息" && ::IsWindowVisible(window)) {
        ++*reinterpret_cast<int*>(count);
    }
    return TRUE;
}

std::string PageAnswer(Harness& harness) {
    if (harness.pageHost == nullptr) {
        harness.pageHost =
            ::CreateWindowExW(0, L"STATIC", L"报警记录页", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 600, 440,
                              nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        HWND page = harness.page.Create(harness.pageHost);
        ::MoveWindow(page, 0, 0, 580, 400, TRUE);
        ::ShowWindow(page, SW_SHOW);
    }
    harness.page.Rebuild();
    std::string answer = "page " + std::to_string(harness.page.Rows().size());
    for (const ui::AlarmRow& row : harness.page.Rows()) {
        answer += "|";
        for (const std::u16string& text : row.texts) {
            answer += base::Utf16ToUtf8(text) + ",";
        }
    }
    return answer;
}

std::string Run(Harness& harness, const std::string& line) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    if (command == "records") {
        int running = 0;
        for (const engine::ProcessRow& row : engine::ReadProcessRows()) {
            running += row.state == engine::kStateRunning ? 1 : 0;
        }
        return "records " + std::to_string(running);
    }
    if (command == "history") {
        alarming::ProcessAlarmHistory().Locked([](std::vector<engine::SpeedAlarmRecord>& entries) {
            entries.push_back(Entry(100, u"Game.exe", engine::kAlarmUnhandled));
            entries.push_back(Entry(200, u"Browser.exe", engine::kAlarmIgnored));
            entries.push_back(Entry(300, u"Old.exe", engine::kAlarmUnhandled));
        });
        return "ok";
    }
    if (command == "page") {
        return PageAnswer(harness);
    }
    if (command == "settings" || command == "threshold" || command == "info") {
        const WPARAM which = command == "settings" ? 0 : (command == "threshold" ? 1 : 2);
        ::PostMessageW(harness.window, kOpenMessage, which, 0);
        return "ok";
    }
    int id = 0;
    if (command == "ctl") {
        RECT rect{};
        HWND control = Control(in, id);
        if (control == nullptr || !::GetWindowRect(control, &rect)) {
            return "ctl none";
        }
        return "ctl " + std::to_string((rect.left + rect.right) / 2) + " " +
               std::to_string((rect.top + rect.bottom) / 2);
    }
    if (command == "settext") {
        HWND control = Control(in, id);
        std::string text;
        in >> text;
        return ::SetWindowTextW(control, base::Wide(base::Utf8ToUtf16(text))) ? "ok" : "settext failed";
    }
    if (command == "check") {
        HWND control = Control(in, id);
        return std::string("check ") +
               (::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? "1" : "0");
    }
    if (command == "report") {
        ui::CSuspensionDlg2* floating = ui::FloatingWindow();
        HWND strip = floating != nullptr ? floating->Window() : nullptr;
        int infos = 0;
        ::EnumWindows(CountInfoWindows, reinterpret_cast<LPARAM>(&infos));
        const bool box = ui::FindWindowByTag(base::kMessageBoxTag) != nullptr;
        return std::string("report floating=") + (strip != nullptr && ::IsWindowVisible(strip) ? "1" : "0") +
               " infos=" + std::to_string(infos) + " msgbox=" + (box ? "1" : "0");
    }
    if (command == "dismiss") {
        HWND box = ui::FindWindowByTag(base::kMessageBoxTag);
        return box != nullptr && ::PostMessageW(box, WM_COMMAND, IDOK, 0) ? "ok" : "no box";
    }
    if (command == "exit") {
        ::PostMessageW(harness.window, WM_CLOSE, 0, 0);
        return "ok";
    }
    return "unknown " + command;
}

struct Request {
    std::string line;
    std::string answer;
};

LRESULT CALLBACK HarnessProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* harness = reinterpret_cast<Harness*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case kCommandMessage: {
            auto* request = reinterpret_cast<Request*>(lParam);
            request->answer = Run(*harness, request->line);
            return 0;
        }
        case kOpenMessage: {
            static const char* const names[] = {"settings", "threshold", "info"};
            INT_PTR result = 0;
            if (wParam == 0) {
                result = ui::ShowSettingDialog(nullptr);
            } else if (wParam == 1) {
                result = ui::ShowThresholdDialog(nullptr);
            } else {
                result = ui::ShowAlarmInfoDialog(harness->pageHost);
            }
            Say(std::string("closed ") + names[wParam] + " " + std::to_string(result));
            return 0;
        }
        case WM_CLOSE:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int main() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    alarming::ProgramDirectory directory;

    const bool show = alarming::ReadShowSetting(directory) != 0;
    alarming::ShowSuspension = show ? 1 : 0;
    // No stored position: the strip takes its default place at the top right, clear of the dialogs.
    alarming::SuspensionX = -1;
    alarming::SuspensionY = -1;
    ui::CSuspensionDlg2 floating(
        directory, [] {}, nullptr);
    if (!floating.CreateFloating(show ? SW_SHOW : SW_HIDE)) {
        Say("the floating window could not be created");
        return 3;
    }
    auto service = std::make_unique<app::MonitorService>(app::ServiceLinks{
        FakeSeams, [](std::u16string_view) { return std::make_unique<NullChannel>(); }, [] {}});
    app::SetCurrentMonitorService(service.get());
    if (service->Start(u"Accelerator.exe", u"\\\\.\\pipe\\kvt-alarm-dialogs-harness") != 1) {
        Say("the service did not start");
        return 4;
    }

    Harness harness;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = HarnessProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kHarnessClass;
    ::RegisterClassExW(&windowClass);
    harness.window = ::CreateWindowExW(0, kHarnessClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       windowClass.hInstance, nullptr);
    ::SetWindowLongPtrW(harness.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&harness));

    std::thread commands([&harness] {
        std::string line;
        while (std::getline(std::cin, line)) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            Request request{line, {}};
            ::SendMessageW(harness.window, kCommandMessage, 0, reinterpret_cast<LPARAM>(&request));
            Say(request.answer);
        }
    });
    commands.detach();
    Say("ready");

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    app::SetCurrentMonitorService(nullptr);
    service->Stop();
    std::fflush(stdout);
    ::ExitProcess(0);
}
