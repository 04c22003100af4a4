// The floating speed window as the program runs it, on an engine whose system interfaces are fakes: Wine
// has no raw capture, so the real monitor stops at start there. The harness starts the service (engine,
// statistics tick, alarm thread) on fake process and socket tables, opens the floating window through
// the program's shell, and makes a stand-in of the accelerator's window carrying its tag.
//
// Commands, one per line on standard input (answers and events, one line each, on standard output):
//   report                     visible=0|1 x= y= w= h= topmost=0|1 image=normal|alertA|alertB text=...
//   state ACCELERATION ALARM   sets AccelerationState and HasUnhandledAlarm, tells the window
//   traffic DOWN UP            adds payload bytes to the browser's first port
//   fill                       adds some payload to every connection of every process (the game's,
//                              the exited updater's included), different for each: something to list
//   accel SENT RECEIVED        sends UM_ACCEL_ADAPTER to the floating window; answers the tunnel sums
//   menu                       the screen rectangles of the open context menu's items
//   show | hide                the plugin's show request / the settings' hide, through the shell
//   suspension-state N         the plugin's SetSuspensionDlgState: SHOW and LOCATION written, then shown
//                              for 1 (unless a pop-up or the main window is up), hidden otherwise
//   fullscreen open|close      a window covering the monitor comes to the front (or goes), then the
//                              app-bar notification the shell would send
//   exit                       the program's exit request (as the plugin's ExitMonitor)
//   close                      WM_CLOSE to the floating window
//   main                       main count= (windows titled 进程流量监控) visible= x= y= w= h= page=0|1
//                              description= left= right= (the header's texts), or "main none"
//   layout                     the main window's controls as ID=x,y,w,h in its client area, pages as
//                              page=x,y,w,h
//   main-modal                 the plugin's ShowMainDlg request (UM_SHOW_MAIN_MODAL to the strip)
//   main-key KEY               KEY (return, escape) to the main window through the thread's input queue
//   main-close                 WM_CLOSE to the main window
//   about                      the About box (ID_APP_ABOUT posted to the floating window)
//   accstate open|close        a stand-in of the acceleration-state pop-up, carrying its tag, opens or goes
//   comctl                     comctl PATH: the common controls' module a new list view comes from
//   alarm                      an alarm about Chat.exe and Browser.exe: their history entries, then the
//                              pop-up thread as the alarm starts it
//   history                    history N NAME:STATE... (handling states, oldest first)
//   accstate-popup             the acceleration-state pop-up: popup x= y= w= h= visible=, or popup none
//   accstate-ctl ID            ctl X Y: the screen centre of control ID of that pop-up (or ctl none)
//   leave-period MS            how long the pop-ups wait before they look whether the mouse has left
//   blacklist                  the plugin's ShowBlackListDlg request
//   blacklist-open             blacklist-open N: open high-bandwidth pop-ups
// With the argument --blacklisted a black-listed process, Thunder.exe (pid 500), runs as well.
// Events: "ready", "event accelerator-shown", "event accelerator-closed", "event ended",
// "event copydata kind=K bytes=HEX" (a notice to the accelerator's window).

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "alarm/acceleration_state.h"
#include "alarm/alarm_config.h"
#include "alarm/alarm_history.h"
#include "alarm/alarm_popup_thread.h"
#include "alarm/alarm_popup_window.h"
#include "alarm/program_directory.h"
#include "alarm/settings.h"
#include "app/exit_request.h"
#include "app/monitor_service.h"
#include "app/single_instance.h"
#include "app/system_engine_seams.h"
#include "base/lock.h"
#include "base/text.h"
#include "base/wide_win.h"
#include "base/window_tags.h"
#include "engine/accelerator_report.h"
#include "engine/traffic_monitor.h"
#include "res/resource_ids.h"
#include "skin/dialog_base_win.h"
#include "ui/acc_state_dlg_win.h"
#include "ui/alarm_popup.h"
#include "ui/black_list_alarm_dlg_win.h"
#include "ui/common_controls_win.h"
#include "ui/shell_window.h"
#include "ui/suspension_dlg2_win.h"
#include "ui/window_find_win.h"
#include "unit/engine/engine_fakes.h"
#include "wine/gui_probe_win.h"

namespace {

constexpr std::uint32_t kBrowserPid = 100;
constexpr std::uint16_t kBrowserPort = 50000;
constexpr std::uint32_t kGamePid = 200;
constexpr std::uint32_t kChatPid = 300;
constexpr std::uint32_t kUpdaterPid = 400;
constexpr std::uint32_t kBlackListedPid = 500;
constexpr char16_t kGameName[] = u"Game.exe";
constexpr wchar_t kAcceleratorClass[] = L"KvtFakeAccelerator";
constexpr wchar_t kGameClass[] = L"KvtFakeFullScreenGame";

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

// The system's clock and firewall-free privileges; tables with a few processes: the browser (whose
// first port the traffic command feeds), the accelerated game, a chat program with UDP and TCP, and an
// updater that has already ended when the engine first looks (its record is marked exited; "ready"
// comes after that).
bool WithBlackListed() {
    return std::wstring(::GetCommandLineW()).find(L"--blacklisted") != std::wstring::npos;
}

engine::EngineSeams FakeSeams() {
    engine::EngineSeams seams = app::SystemEngineSeams();
    using engine_test::Ip;
    auto sockets = std::make_unique<engine_test::FakeSocketTable>();
    sockets->tcp = {
        {engine::TcpState::kEstablished, Ip(127, 0, 0, 1), kBrowserPort, Ip(127, 0, 0, 1), 80, kBrowserPid},
        {engine::TcpState::kEstablished, Ip(192, 168, 1, 20), 50001, Ip(93, 184, 216, 34), 443, kBrowserPid},
        {engine::TcpState::kEstablished, Ip(192, 168, 1, 20), 50100, Ip(10, 20, 30, 40), 7000, kGamePid},
        {engine::TcpState::kEstablished, Ip(192, 168, 1, 20), 50201, Ip(10, 0, 0, 9), 8080, kChatPid},
        {engine::TcpState::kEstablished, Ip(192, 168, 1, 20), 50300, Ip(10, 0, 0, 7), 443, kUpdaterPid},
    };
    sockets->udp = {{Ip(0, 0, 0, 0), 50101, kGamePid}, {Ip(0, 0, 0, 0), 50200, kChatPid}};
    auto processes = std::make_unique<engine_test::FakeProcessSource>();
    processes->Add(kBrowserPid, u"Browser.exe");
    processes->Add(kGamePid, kGameName);
    processes->Add(kChatPid, u"Chat.exe");
    processes->Add(kUpdaterPid, u"Updater.exe");
    processes->processes[kUpdaterPid].running = false;
    if (WithBlackListed()) {
        sockets->tcp.push_back({engine::TcpState::kEstablished, Ip(192, 168, 1, 20), 50500, Ip(10, 0, 0, 5),
                                6881, kBlackListedPid});
        processes->Add(kBlackListedPid, u"Thunder.exe");
    }
    seams.sockets = std::move(sockets);
    seams.processes = std::move(processes);
    seams.interfaces = std::make_unique<engine_test::FakeInterfaceTable>();
    seams.privileges = std::make_unique<engine_test::FakePrivilegeOps>();
    seams.getAdapterInfo = [](engine::AdapterInfo& info) {
        info.hostName = u"harness";
        info.hostAddress = u"192.168.1.20";
        return 0u;
    };
    seams.startNetworkLibrary = [] { return 0u; };
    seams.stopNetworkLibrary = [] {};
    return seams;
}

// The program's end, as the monitor runs it when its window closes.
void EndService() {
    app::MonitorService* service = app::CurrentMonitorService();
    if (service == nullptr) {
        return;
    }
    service->Stop();
    app::SetCurrentMonitorService(nullptr);
    delete service;
}

LRESULT CALLBACK AcceleratorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SHOWWINDOW:
            if (wParam != FALSE) {
                Say("event accelerator-shown");
            }
            break;
        case WM_COPYDATA: {
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            std::ostringstream hex;
            for (DWORD i = 0; data != nullptr && i < data->cbData; ++i) {
                hex << "0123456789abcdef"[static_cast<const unsigned char*>(data->lpData)[i] >> 4]
                    << "0123456789abcdef"[static_cast<const unsigned char*>(data->lpData)[i] & 15];
            }
            Say("event copydata kind=" + std::to_string(data != nullptr ? data->dwData : 0) +
                " bytes=" + hex.str());
            return TRUE;
        }
        case WM_CLOSE:
            Say("event accelerator-closed");
            ::ShowWindow(window, SW_HIDE);
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeWindow(const wchar_t* className, WNDPROC procedure, const wchar_t* title, DWORD style,
                const RECT& r) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(DKGRAY_BRUSH));
    windowClass.lpszClassName = className;
    ::RegisterClassExW(&windowClass);
    return ::CreateWindowExW(0, className, title, style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                             nullptr, nullptr, windowClass.hInstance, nullptr);
}

const char* ImageName(ui::StatusImage image) {
    switch (image) {
        case ui::StatusImage::kAlertA:
            return "alertA";
        case ui::StatusImage::kAlertB:
            return "alertB";
        default:
            return "normal";
    }
}

std::string Report() {
    ui::CSuspensionDlg2* floating = ui::FloatingWindow();
    HWND window = floating != nullptr ? floating->Window() : nullptr;
    if (window == nullptr) {
        return "report none";
    }
    RECT rect{};
    ::GetWindowRect(window, &rect);
    wchar_t text[128] = {};
    ::GetWindowTextW(::GetDlgItem(window, 1055), text, 128);
    std::ostringstream out;
    out << "report visible=" << (::IsWindowVisible(window) ? 1 : 0) << " x=" << rect.left << " y=" << rect.top
        << " w=" << rect.right - rect.left << " h=" << rect.bottom - rect.top
        << " topmost=" << ((::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0 ? 1 : 0)
        << " image=" << ImageName(floating->ShownStatusImage())
        << " text=" << base::Utf16ToUtf8(base::FromWide(text));
    return out.str();
}

// Item centres found by hit-testing the open menu's window, the way the menu itself places clicks.
std::string MenuReport() {
    ui::CSuspensionDlg2* floating = ui::FloatingWindow();
    HMENU popup = floating != nullptr ? floating->ContextMenuPopup() : nullptr;
    HWND menuWindow = ::FindWindowW(L"#32768", nullptr);
    RECT frame{};
    if (popup == nullptr || menuWindow == nullptr || !::IsWindowVisible(menuWindow) ||
        !::GetWindowRect(menuWindow, &frame)) {
        return "menu none";
    }
    const int count = ::GetMenuItemCount(popup);
    std::vector<int> first(static_cast<std::size_t>(count), -1);
    std::vector<int> last(static_cast<std::size_t>(count), -1);
    const int x = (frame.left + frame.right) / 2;
    for (int y = frame.top; y < frame.bottom; ++y) {
        const int index = ::MenuItemFromPoint(nullptr, popup, POINT{x, y});
        if (index >= 0 && index < count) {
            if (first[static_cast<std::size_t>(index)] < 0) {
                first[static_cast<std::size_t>(index)] = y;
            }
            last[static_cast<std::size_t>(index)] = y;
        }
    }
    std::ostringstream out;
    out << "menu";
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (first[at] < 0) {
            out << " -";
            continue;
        }
        const UINT state = ::GetMenuState(popup, static_cast<UINT>(i), MF_BYPOSITION);
        out << " " << ::GetMenuItemID(popup, i) << ":" << x << "," << (first[at] + last[at]) / 2
            << ((state & MF_CHECKED) != 0 ? ":checked" : "");
    }
    return out.str();
}

// The first check of the running processes finds the updater ended, and that recomputes
// HasUnhandledAlarm: the harness is ready only after it, so that no test's alarm state is overwritten.
bool WaitForUpdaterExit() {
    for (int i = 0; i < 100; ++i) {
        if (engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor(); monitor != nullptr) {
            base::AutoLock lock(monitor->Table().EngineLock());
            for (const engine::ProcessRecord& process : monitor->Table().Processes()) {
                if (process.pid == kUpdaterPid && process.state == engine::kStateExited) {
                    return true;
                }
            }
        }
        ::Sleep(100);
    }
    return false;
}

void Fill() {
    engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor();
    if (monitor == nullptr) {
        return;
    }
    base::AutoLock lock(monitor->Table().EngineLock());
    std::uint64_t step = 1;
    for (engine::ProcessRecord& process : monitor->Table().Processes()) {
        for (engine::ConnectionRecord& connection : process.connections) {
            connection.bytesDown += 150000 * step;
            connection.bytesUp += 20000 * step;
            ++step;
        }
    }
}

std::string WindowText(HWND window) {
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return base::Utf16ToUtf8(base::FromWide(text));
}

BOOL CALLBACK CountMainWindows(HWND window, LPARAM count) {
    if (WindowText(window) == "进程流量监控") {
        ++*reinterpret_cast<int*>(count);
    }
    return TRUE;
}

HWND MainWindow() {
    return ::FindWindowW(nullptr, L"进程流量监控");
}

// The page dialog shown in the main window: 0 the traffic list, 1 the alarm history, -1 none.
int ShownPage(HWND main) {
    int shown = -1;
    for (HWND child = ::GetWindow(main, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        skin::Dialog* page = skin::Dialog::FromHandle(child);
        if (page != nullptr && ::IsWindowVisible(child)) {
            shown = page->TemplateId() == IDD_TRAFFIC_PAGE        ? 0
                    : page->TemplateId() == IDD_ALARM_RECORD_PAGE ? 1
                                                                  : 9;
        }
    }
    return shown;
}

std::string MainReport() {
    HWND main = MainWindow();
    if (main == nullptr) {
        return "main none";
    }
    int count = 0;
    ::EnumWindows(CountMainWindows, reinterpret_cast<LPARAM>(&count));
    RECT rect{};
    ::GetWindowRect(main, &rect);
    std::ostringstream out;
    out << "main count=" << count << " visible=" << (::IsWindowVisible(main) ? 1 : 0) << " x=" << rect.left
        << " y=" << rect.top << " w=" << rect.right - rect.left << " h=" << rect.bottom - rect.top
        << " page=" << ShownPage(main)
        << " description=" << WindowText(::GetDlgItem(main, IDC_MAIN_DESCRIPTION))
        << " left=" << WindowText(::GetDlgItem(main, IDC_MAIN_LEFT_FIGURE))
        << " right=" << WindowText(::GetDlgItem(main, IDC_MAIN_RIGHT_FIGURE));
    return out.str();
}

std::string Box(HWND window, HWND parent) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    std::ostringstream out;
    out << rect.left << "," << rect.top << "," << rect.right - rect.left << "," << rect.bottom - rect.top;
    return out.str();
}

std::string LayoutReport() {
    HWND main = MainWindow();
    if (main == nullptr) {
        return "layout none";
    }
    std::ostringstream out;
    out << "layout";
    for (int id : {IDC_MAIN_STATE_ICON, IDC_MAIN_DESCRIPTION, IDC_MAIN_LEFT_FIGURE, IDC_MAIN_RIGHT_FIGURE,
                   IDC_MAIN_TRAFFIC_TAB, IDC_MAIN_ALARM_TAB, IDC_MAIN_PAGE_FRAME}) {
        out << " " << id << "=" << Box(::GetDlgItem(main, id), main);
    }
    for (HWND child = ::GetWindow(main, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (skin::Dialog::FromHandle(child) != nullptr) {
            out << " page=" << Box(child, main);
        }
    }
    POINT origin{0, 0};
    ::ClientToScreen(main, &origin);
    out << " client=" << origin.x << "," << origin.y;
    return out.str();
}

// Where the common controls of a new list view come from: the module that the name comctl32.dll
// stands for in this process. Version 6 lives in its side-by-side assembly (winsxs\...common-controls
// _6595b64144ccf1df_6.0...), version 5 in the system directory. Wine's version 6 reports 5.81 through
// DllGetVersion, so its path is what tells them apart.
std::string ListViewModule() {
    HWND list = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    if (list == nullptr) {
        return "none";
    }
    ::DestroyWindow(list);
    // The process's activation context redirects the name to the version its manifest asks for.
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(::GetModuleHandleW(L"comctl32.dll"), path, MAX_PATH);
    return base::Utf16ToUtf8(base::FromWide(path));
}

// A key as the main window's thread would receive it from the keyboard.
void PostKey(HWND main, WORD key) {
    HWND target = main;
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (::GetGUIThreadInfo(::GetWindowThreadProcessId(main, nullptr), &info) && info.hwndFocus != nullptr &&
        ::GetAncestor(info.hwndFocus, GA_ROOT) == main) {
        target = info.hwndFocus;
    }
    ::PostMessageW(target, WM_KEYDOWN, key, 1);
    ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

// What the alarm does once it has decided on a pop-up: history entries, then the pop-up thread, whose
// hand-shake it waits for.
void RaiseAlarm() {
    std::vector<engine::SpeedAlarmRecord> output;
    for (const auto& [pid, name] :
         {std::pair{kChatPid, u"Chat.exe"}, std::pair{kBrowserPid, u"Browser.exe"}}) {
        engine::SpeedAlarmRecord record;
        record.pid = pid;
        record.name = name;
        record.downSpeedText = u"120.00KB/S";
        record.upSpeedText = u"8.00KB/S";
        output.push_back(record);
    }
    alarming::ProcessAlarmHistory().Locked([&](std::vector<engine::SpeedAlarmRecord>& entries) {
        entries.insert(entries.end(), output.begin(), output.end());
    });
    ++alarming::AlarmPopupCount;
    auto ready = std::make_shared<base::Event>(base::EventReset::kManual, false);
    std::thread([output, ready] {
        alarming::AlarmPopupThread(output, alarming::AlarmPopupWindow(), *ready);
    }).detach();
    ready->Wait(2000);
}

std::string HistoryReport() {
    std::ostringstream out;
    const auto entries = alarming::ProcessAlarmHistory().Snapshot();
    out << "history " << entries.size();
    for (const auto& entry : entries) {
        out << " " << base::Utf16ToUtf8(entry.name) << ":" << entry.handlingState;
    }
    return out.str();
}

std::string PopupReport() {
    HWND popup = ui::FindWindowByTag(base::kAccStateWindowTag);
    RECT r{};
    if (popup == nullptr || !::GetWindowRect(popup, &r)) {
        return "popup none";
    }
    std::ostringstream out;
    out << "popup x=" << r.left << " y=" << r.top << " w=" << r.right - r.left << " h=" << r.bottom - r.top
        << " visible=" << (::IsWindowVisible(popup) ? 1 : 0);
    return out.str();
}

std::string PopupControl(int id) {
    HWND control = ::GetDlgItem(ui::FindWindowByTag(base::kAccStateWindowTag), id);
    RECT r{};
    if (control == nullptr || !::GetWindowRect(control, &r)) {
        return "ctl none";
    }
    // Links answer only over their text, which starts at their left edge.
    const bool link = id == IDC_ACC_DETAILS_LINK || id == IDC_ACC_IGNORE_LINK;
    return "ctl " + std::to_string(link ? r.left + 8 : (r.left + r.right) / 2) + " " +
           std::to_string((r.top + r.bottom) / 2);
}

BOOL CALLBACK CountBlackListDialogs(HWND window, LPARAM count) {
    if (::IsWindowVisible(window) && WindowText(window) == "高带宽进程检测") {
        ++*reinterpret_cast<int*>(count);
    }
    return TRUE;
}

struct Harness {
    ui::IShellWindow* shell = nullptr;
    HWND game = nullptr;
    HWND helper = nullptr;  // makes windows on the user interface thread for the command thread
};

constexpr UINT kOpenAccStateMessage = WM_APP + 100;
constexpr UINT kCloseAccStateMessage = WM_APP + 101;

LRESULT CALLBACK HelperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static HWND accState = nullptr;
    if (message == kOpenAccStateMessage && accState == nullptr) {
        accState = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"KvtFakeAccState", WS_POPUP, 600, 300, 200,
                                     100, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ::SetPropW(accState, base::Wide(std::u16string(base::kAccStateWindowTag)), accState);
        return 0;
    }
    if (message == kCloseAccStateMessage && accState != nullptr) {
        ::RemovePropW(accState, base::Wide(std::u16string(base::kAccStateWindowTag)));
        ::DestroyWindow(accState);
        accState = nullptr;
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void RunCommands(Harness& harness) {
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string command;
        in >> command;
        ui::CSuspensionDlg2* floating = ui::FloatingWindow();
        HWND window = floating != nullptr ? floating->Window() : nullptr;
        if (command == "report") {
            Say(Report());
        } else if (command == "state") {
            std::uint32_t acceleration = 0;
            std::uint32_t alarm = 0;
            in >> acceleration >> alarm;
            alarming::AccelerationState = acceleration;
            alarming::HasUnhandledAlarm = alarm;
            if (floating != nullptr) {
                floating->PostAlarmStateChange();
            }
            Say("ok");
        } else if (command == "traffic") {
            std::uint64_t down = 0;
            std::uint64_t up = 0;
            in >> down >> up;
            if (engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor(); monitor != nullptr) {
                base::AutoLock lock(monitor->Table().EngineLock());
                if (engine::ConnectionRecord* record = monitor->Table().FindPortRecord(kBrowserPort)) {
                    record->bytesDown += down;
                    record->bytesUp += up;
                }
            }
            Say("ok");
        } else if (command == "fill") {
            Fill();
            Say("ok");
        } else if (command == "accel") {
            unsigned long long sent = 0;
            long long received = 0;
            in >> sent >> received;
            ::SendMessageW(window, ui::kAccelAdapterMessage, static_cast<WPARAM>(sent),
                           static_cast<LPARAM>(received));
            engine::AccelerateAdapter::Counters counters;
            if (engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor(); monitor != nullptr) {
                base::AutoLock lock(monitor->Table().EngineLock());
                counters = monitor->Adapter().GetCounters();
            }
            Say("accel sent=" + std::to_string(counters.sent) +
                " received=" + std::to_string(counters.received));
        } else if (command == "menu") {
            Say(MenuReport());
        } else if (command == "show" || command == "hide") {
            harness.shell->SetVisible(command == "show");
            Say("ok");
        } else if (command == "suspension-state") {
            unsigned state = 0;
            in >> state;
            alarming::WriteSuspensionSettings(alarming::ProgramDirectory(), state, harness.shell->Origin());
            harness.shell->ApplySuspensionState(state == 1);
            Say("ok");
        } else if (command == "fullscreen") {
            std::string what;
            in >> what;
            const bool open = what == "open";
            ::ShowWindow(harness.game, open ? SW_SHOW : SW_HIDE);
            if (open) {
                ::SetForegroundWindow(harness.game);
            }
            ::SendMessageW(window, ui::kAppBarNotifyMessage, ABN_FULLSCREENAPP, open ? 1 : 0);
            Say(std::string("foreground-is-game=") + (::GetForegroundWindow() == harness.game ? "1" : "0"));
        } else if (command == "exit") {
            app::RequestExit();
            Say("ok");
        } else if (command == "close") {
            ::PostMessageW(window, WM_CLOSE, 0, 0);
            Say("ok");
        } else if (command == "main") {
            Say(MainReport());
        } else if (command == "layout") {
            Say(LayoutReport());
        } else if (command == "main-modal") {
            harness.shell->PostShowMainModal();
            Say("ok");
        } else if (command == "main-key") {
            std::string key;
            in >> key;
            if (HWND main = MainWindow(); main != nullptr) {
                PostKey(main, key == "escape" ? VK_ESCAPE : VK_RETURN);
            }
            Say("ok");
        } else if (command == "about") {
            // The About box is modal: posted, so that the window thread runs it and this one answers.
            ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, 0), 0);
            Say("ok");
        } else if (command == "main-close") {
            ::PostMessageW(MainWindow(), WM_CLOSE, 0, 0);
            Say("ok");
        } else if (command == "accstate") {
            std::string what;
            in >> what;
            // Made and destroyed on the window thread, which owns the stand-in.
            ::SendMessageW(harness.helper, what == "open" ? kOpenAccStateMessage : kCloseAccStateMessage, 0,
                           0);
            Say("ok");
        } else if (command == "alarm") {
            RaiseAlarm();
            Say("ok");
        } else if (command == "history") {
            Say(HistoryReport());
        } else if (command == "accstate-popup") {
            Say(PopupReport());
        } else if (command == "accstate-ctl") {
            int id = 0;
            in >> id;
            Say(PopupControl(id));
        } else if (command == "leave-period") {
            UINT period = 0;
            in >> period;
            ui::SetAccStateLeaveCheckPeriod(period);
            ui::SetBlackListLeaveCheckPeriod(period);
            Say("ok");
        } else if (command == "blacklist") {
            harness.shell->PostShowBlackList();
            Say("ok");
        } else if (command == "blacklist-open") {
            int count = 0;
            ::EnumWindows(CountBlackListDialogs, reinterpret_cast<LPARAM>(&count));
            Say("blacklist-open " + std::to_string(count));
        } else if (command == "comctl") {
            Say("comctl " + ListViewModule());
        } else if (std::string answer; probe::HandleCommand(command, in, answer)) {
            Say(answer);
        } else if (!command.empty()) {
            Say("unknown " + command);
        }
    }
}

}  // namespace

int main() {
    ui::RegisterCommonControls();
    probe::StartWindowThreadTasks();

    app::SingleInstance instance;
    if (!instance.Acquire(u"kvt_floating_harness_")) {
        Say("another harness runs");
        return 2;
    }
    alarming::ProgramDirectory directory;
    const auto shell = ui::CreateShellWindow({.onClose = EndService,
                                              .requestExit = [] { app::RequestExit(); },
                                              .reportAcceleratorTraffic = engine::AddAcceleratorReport});
    app::ExitRequest exitRequest(*shell, instance, directory);
    app::SetProgramExitRequest(&exitRequest);

    // As start-up does: visibility and position from the settings file before the window exists.
    const bool show = alarming::ReadShowSetting(directory) != 0;
    alarming::ShowSuspension = show ? 1 : 0;
    const alarming::Location location = alarming::ReadStoredLocation(directory);
    alarming::SuspensionX = location.x;
    alarming::SuspensionY = location.y;
    if (!shell->Create(show)) {
        Say("the floating window could not be created");
        return 3;
    }
    ui::RegisterAlarmPopup();

    auto service = std::make_unique<app::MonitorService>(
        app::ServiceLinks{FakeSeams, [](std::u16string_view) { return std::make_unique<NullChannel>(); },
                          [] { app::RequestExit(); }});
    app::SetCurrentMonitorService(service.get());
    if (service->Start(u"Accelerator.exe", u"\\\\.\\pipe\\kvt-floating-harness") != 1) {
        Say("the service did not start");
        app::SetCurrentMonitorService(nullptr);
        service->Stop();
        return 4;
    }
    service.release();
    if (engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor(); monitor != nullptr) {
        // Each name ends in the separator, as the accelerator sends them.
        const std::u16string game = std::u16string(kGameName) + u";";
        monitor->Names().SetAccelerateProcess(game.c_str(), static_cast<std::int32_t>(game.size()), u";", 1);
    }

    // The accelerator's window: hidden until the strip's double click shows it.
    HWND accelerator = MakeWindow(kAcceleratorClass, AcceleratorProc, L"KvtFakeAccelerator",
                                  WS_OVERLAPPEDWINDOW, RECT{100, 400, 400, 600});
    ::SetPropW(accelerator, base::Wide(std::u16string(base::kAcceleratorWindowTag)), accelerator);
    Harness harness{shell.get(), nullptr};
    const RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    harness.game = MakeWindow(kGameClass, ::DefWindowProcW, L"KvtFakeGame", WS_POPUP, screen);
    harness.helper = MakeWindow(L"KvtHarnessHelper", HelperProc, L"", WS_POPUP, RECT{0, 0, 1, 1});

    std::thread commands([&harness] {
        if (!WaitForUpdaterExit()) {
            Say("the ended process was never noticed");
        }
        Say("ready");
        RunCommands(harness);
    });
    commands.detach();

    shell->RunMessageLoop();
    Say("event ended");
    app::SetProgramExitRequest(nullptr);
    // The command thread may still wait on its input: the process ends without it.
    std::fflush(stdout);
    ::ExitProcess(0);
}
