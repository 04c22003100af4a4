// The GUI tests' program, built from the program's own sources and resources. Wine has no raw capture,
// so the service runs on fake tables: Browser.exe (pid 100, whose first port `traffic` feeds), the
// accelerated Game.exe (200), Chat.exe (300, TCP and UDP), Updater.exe (400, ended before the engine
// first looks; "ready" comes once that is noticed) and with --blacklisted Thunder.exe (500). The
// floating window opens through the program's shell beside a stand-in of the accelerator's window.
//
//   kvt_gui_harness [--blacklisted]             the program as above
//   kvt_gui_harness msgbox STYLE TEXT CAPTION   the skinned message box; exits with its result
//   kvt_gui_harness missing-skin                the program's end when its skin is incomplete
//
// Commands on standard input, one answer line each on standard output (the fields of `dialog`,
// `popup`, `rows` and `geometry` separated by tabs):
//   report        the floating window: visible= x= y= w= h= topmost= image=normal|alertA|alertB text=
//   dialog TITLE  a visible top-level window ("msgbox": the skinned message box): "dialog X,Y,W,H",
//                 client=X,Y, title=, per control ID=TEXT, box ID=x,y,w,h (client), checked ID,
//                 list ID=N and its rows, page TEMPLATE=x,y,w,h (a shown page); or "dialog none"
//   count TITLE   how many visible top-level windows have that title
//   popup         the open popup menu: ID=X,Y per item, checked ID; or "popup none"
//   page traffic|alarms   that page in a window of its own; rows: its list's rows; geometry: the
//                 list's rectangle, header and row centres on the screen
//   open settings|info|machine   the modal dialog on the window thread ("event closed NAME ID")
//   history [add] the alarm history's names and handling states; add: Game.exe unhandled, Browser.exe
//                 ignored and Old.exe (no record) unhandled
//   alarm         an alarm about Chat.exe and Browser.exe, raised as the alarm thread does
//   fill          payload on every connection, different for each
//   accel SENT RECEIVED (UM_ACCEL_ADAPTER to the strip), settext TITLE ID TEXT, state ACCELERATION
//   ALARM, traffic DOWN UP, show, hide, suspension-state N, fullscreen open|close, exit, close,
//   main-modal, main-close, about, leave-period MS, blacklist
// Events: "event accelerator-shown|accelerator-closed|ended|closed NAME ID|copydata kind=K bytes=HEX".

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

#include "alarm/acceleration_state.h"
#include "alarm/alarm_config.h"
#include "alarm/alarm_history.h"
#include "alarm/alarm_popup_thread.h"
#include "alarm/alarm_popup_window.h"
#include "alarm/settings.h"
#include "app/exit_request.h"
#include "app/monitor_service.h"
#include "app/system_engine_seams.h"
#include "base/text.h"
#include "base/wide_win.h"
#include "base/window_tags.h"
#include "engine/accelerator_report.h"
#include "engine/traffic_monitor.h"
#include "res/resource_ids.h"
#include "skin/dialog_base_win.h"
#include "skin/message_box_win.h"
#include "skin/skin_resources_win.h"
#include "ui/acc_state_dlg_win.h"
#include "ui/alarm_info_dlg_win.h"
#include "ui/alarm_popup.h"
#include "ui/alarm_record_page_win.h"
#include "ui/black_list_alarm_dlg_win.h"
#include "ui/common_controls_win.h"
#include "ui/list_view_win.h"
#include "ui/machine_traffic_dlg_win.h"
#include "ui/setting_dlg_win.h"
#include "ui/suspension_dlg2_win.h"
#include "ui/traffic_page_win.h"
#include "ui/window_find_win.h"
#include "unit/engine/engine_fakes.h"

namespace {

constexpr std::uint32_t kBrowserPid = 100;
constexpr std::uint16_t kBrowserPort = 50000;
constexpr std::uint32_t kGamePid = 200;
constexpr std::uint32_t kChatPid = 300;
constexpr std::uint32_t kUpdaterPid = 400;
constexpr UINT kRunTask = WM_APP + 1;

std::mutex outputMutex;
HWND taskWindow = nullptr;
HWND gameWindow = nullptr;
HWND acceleratorWindow = nullptr;
HWND pageHost = nullptr;
HWND pageList = nullptr;
bool blackListed = false;

void Say(const std::string& line) {
    std::lock_guard<std::mutex> lock(outputMutex);
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

std::string Utf8(const wchar_t* text) {
    return base::Utf16ToUtf8(base::FromWide(text));
}
std::wstring Wide(const std::string& text) {
    return base::Wide(base::Utf8ToUtf16(text));
}

std::string WindowText(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return Utf8(text);
}

std::string Numbers(std::initializer_list<long> values) {
    std::string out;
    for (long value : values) {
        out += (out.empty() ? "" : ",") + std::to_string(value);
    }
    return out;
}

// On the window thread: waits for the task, or only posts one that runs a modal loop.
void RunOnWindowThread(std::function<void()> task, bool wait = true) {
    const auto copy = reinterpret_cast<LPARAM>(new std::function<void()>(std::move(task)));
    if (wait) {
        ::SendMessageW(taskWindow, kRunTask, 0, copy);
    } else {
        ::PostMessageW(taskWindow, kRunTask, 0, copy);
    }
}

LRESULT CALLBACK HarnessProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunTask) {
        std::unique_ptr<std::function<void()>>(reinterpret_cast<std::function<void()>*>(lParam))
            ->
            operator()();
        return 0;
    }
    if (window != acceleratorWindow) {
    } else if (message == WM_SHOWWINDOW && wParam != FALSE) {
        Say("event accelerator-shown");
    } else if (message == WM_CLOSE) {
        Say("event accelerator-closed");
        ::ShowWindow(window, SW_HIDE);
        return 0;
    } else if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        std::string hex;
        for (DWORD i = 0; i < data->cbData; ++i) {
            const unsigned byte = static_cast<const unsigned char*>(data->lpData)[i];
            hex += {"0123456789abcdef"[byte >> 4], "0123456789abcdef"[byte & 15]};
        }
        Say("event copydata kind=" + std::to_string(data->dwData) + " bytes=" + hex);
        return TRUE;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeWindow(const wchar_t* name, DWORD style, RECT r, HWND parent = nullptr) {
    return ::CreateWindowExW(0, L"KvtHarness", name, style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                             parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

engine::EngineSeams FakeSeams() {
    engine::EngineSeams seams = app::SystemEngineSeams();
    using engine_test::Ip;
    auto sockets = std::make_unique<engine_test::FakeSocketTable>();
    const auto tcp = [&](std::uint32_t local, std::uint16_t port, std::uint32_t remote,
                         std::uint16_t remotePort, std::uint32_t pid) {
        sockets->tcp.push_back({engine::TcpState::kEstablished, local, port, remote, remotePort, pid});
    };
    const std::uint32_t host = Ip(192, 168, 1, 20);
    tcp(Ip(127, 0, 0, 1), kBrowserPort, Ip(127, 0, 0, 1), 80, kBrowserPid);
    tcp(host, 50001, Ip(93, 184, 216, 34), 443, kBrowserPid);
    tcp(host, 50100, Ip(10, 20, 30, 40), 7000, kGamePid);
    tcp(host, 50201, Ip(10, 0, 0, 9), 8080, kChatPid);
    tcp(host, 50300, Ip(10, 0, 0, 7), 443, kUpdaterPid);
    sockets->udp = {{Ip(0, 0, 0, 0), 50101, kGamePid}, {Ip(0, 0, 0, 0), 50200, kChatPid}};
    auto processes = std::make_unique<engine_test::FakeProcessSource>();
    processes->Add(kBrowserPid, u"Browser.exe");
    processes->Add(kGamePid, u"Game.exe");
    processes->Add(kChatPid, u"Chat.exe");
    processes->Add(kUpdaterPid, u"Updater.exe");
    processes->processes[kUpdaterPid].running = false;
    if (blackListed) {
        tcp(host, 50500, Ip(10, 0, 0, 5), 6881, 500);
        processes->Add(500, u"Thunder.exe");
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

class NullChannel final : public engine::IPluginChannel {
  public:
    void PushTotals(std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t) override {}
    bool PostProcessListEntry(const engine::ProcessListEntry&) override { return true; }
    void PostStartResult(std::uint8_t) override {}
};

// Runs `change` on the engine's table under its lock.
template <typename Change>
void WithTable(Change change) {
    if (engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor(); monitor != nullptr) {
        base::AutoLock lock(monitor->Table().EngineLock());
        change(*monitor);
    }
}

// The first look at the processes finds the updater ended and recomputes HasUnhandledAlarm: "ready"
// only after it, so that no test's alarm state is overwritten.
bool UpdaterExitNoticed() {
    for (int i = 0; i < 100; ++i) {
        bool noticed = false;
        WithTable([&](engine::TrafficMonitor& monitor) {
            for (const engine::ProcessRecord& process : monitor.Table().Processes()) {
                noticed |= process.pid == kUpdaterPid && process.state == engine::kStateExited;
            }
        });
        if (noticed) {
            return true;
        }
        ::Sleep(100);
    }
    return false;
}

std::string Report() {
    ui::CSuspensionDlg2* floating = ui::FloatingWindow();
    HWND window = floating != nullptr ? floating->Window() : nullptr;
    RECT r{};
    if (window == nullptr || !::GetWindowRect(window, &r)) {
        return "report none";
    }
    const char* image = floating->ShownStatusImage() == ui::StatusImage::kAlertA   ? "alertA"
                        : floating->ShownStatusImage() == ui::StatusImage::kAlertB ? "alertB"
                                                                                   : "normal";
    std::ostringstream out;
    out << "report visible=" << (::IsWindowVisible(window) ? 1 : 0) << " x=" << r.left << " y=" << r.top
        << " w=" << r.right - r.left << " h=" << r.bottom - r.top
        << " topmost=" << ((::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0 ? 1 : 0)
        << " image=" << image << " text=" << WindowText(::GetDlgItem(window, 1055));
    return out.str();
}

std::string ListRows(HWND list) {
    std::string out = std::to_string(ListView_GetItemCount(list));
    const int columns = Header_GetItemCount(ListView_GetHeader(list));
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        out += "\t";
        for (int column = 0; column < columns; ++column) {
            out += (column > 0 ? "|" : "") + base::Utf16ToUtf8(ui::ListText(list, row, column));
        }
    }
    return out;
}

// The rectangle of `window` in the client coordinates of `parent` (the screen for null).
std::string Box(HWND window, HWND parent) {
    RECT r{};
    ::GetWindowRect(window, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return Numbers({r.left, r.top, r.right - r.left, r.bottom - r.top});
}

std::string Centre(RECT r) {
    return Numbers({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

struct DialogScan {
    HWND dialog;
    std::string out;
};

BOOL CALLBACK AddControl(HWND child, LPARAM context) {
    auto& scan = *reinterpret_cast<DialogScan*>(context);
    const std::string id = std::to_string(::GetDlgCtrlID(child));
    wchar_t className[32] = {};
    ::GetClassNameW(child, className, 32);
    if (::GetParent(child) != scan.dialog) {
    } else if (skin::Dialog* page = skin::Dialog::FromHandle(child); page != nullptr) {
        if (::IsWindowVisible(child)) {
            scan.out += "\tpage " + std::to_string(page->TemplateId()) + "=" + Box(child, scan.dialog);
        }
    } else if (::lstrcmpiW(className, WC_LISTVIEWW) == 0) {
        scan.out += "\tlist " + id + "=" + ListRows(child);
    } else if (id != "0" && id != "-1" && id != "65535") {
        scan.out += "\t" + id + "=" + WindowText(child) + "\tbox " + id + "=" + Box(child, scan.dialog);
        if (::lstrcmpiW(className, L"Button") == 0 &&
            ::SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED) {
            scan.out += "\tchecked " + id;
        }
    }
    return TRUE;
}

std::string DialogReport(HWND window) {
    if (window == nullptr || !::IsWindowVisible(window)) {
        return "dialog none";
    }
    POINT client{0, 0};
    ::ClientToScreen(window, &client);
    DialogScan scan{window, "dialog " + Box(window, nullptr) + "\tclient=" + Numbers({client.x, client.y}) +
                                "\ttitle=" + WindowText(window)};
    ::EnumChildWindows(window, AddControl, reinterpret_cast<LPARAM>(&scan));
    return scan.out;
}

std::string Popup() {
    HWND menuWindow = ::FindWindowW(L"#32768", nullptr);
    auto menu = menuWindow != nullptr && ::IsWindowVisible(menuWindow)
                    ? reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0))
                    : nullptr;
    if (menu == nullptr) {
        return "popup none";
    }
    std::string out = "popup";
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        const std::string id = std::to_string(::GetMenuItemID(menu, i));
        RECT r{};
        if (::GetMenuItemRect(nullptr, menu, static_cast<UINT>(i), &r)) {
            out += "\t" + id + "=" + Centre(r);
        }
        if ((::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED) != 0) {
            out += "\tchecked " + id;
        }
    }
    return out;
}

// The traffic page, or the alarm history page rebuilt from the history, in a window of its own.
void OpenPage(bool traffic) {
    const SIZE size = traffic ? SIZE{530, 380} : SIZE{580, 400};
    pageHost =
        MakeWindow(L"KvtPageHost", WS_POPUP | WS_CLIPCHILDREN, RECT{100, 100, 100 + size.cx, 100 + size.cy});
    // The page lives as long as the process.
    skin::Dialog* page =
        traffic ? static_cast<skin::Dialog*>(new ui::CDlgTrafficMonitor()) : new ui::CDlgAlarmRecord();
    HWND window = page->Create(pageHost);
    if (!traffic) {
        static_cast<ui::CDlgAlarmRecord*>(page)->Rebuild();
    }
    ::MoveWindow(window, 0, 0, size.cx, size.cy, FALSE);
    ::ShowWindow(window, SW_SHOW);
    ::ShowWindow(pageHost, SW_SHOW);
    ::SetForegroundWindow(pageHost);
    pageList = ::FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
}

std::string PageGeometry() {
    std::string out = "geometry\tlist=" + Box(pageList, nullptr);
    HWND header = ListView_GetHeader(pageList);
    for (int i = 0; i < Header_GetItemCount(header); ++i) {
        RECT r{};
        Header_GetItemRect(header, i, &r);
        ::MapWindowPoints(header, nullptr, reinterpret_cast<POINT*>(&r), 2);
        out += "\theader=" + Centre(r);
    }
    for (int i = 0; i < ListView_GetItemCount(pageList); ++i) {
        RECT r{};
        ListView_GetItemRect(pageList, i, &r, LVIR_LABEL);
        ::MapWindowPoints(pageList, nullptr, reinterpret_cast<POINT*>(&r), 2);
        out += "\trow=" + Centre(r);
    }
    return out;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM context) {
    auto& [wanted, count] = *reinterpret_cast<std::pair<std::string, int>*>(context);
    count += ::IsWindowVisible(window) && WindowText(window) == wanted ? 1 : 0;
    return TRUE;
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

void AddHistory(const std::vector<engine::SpeedAlarmRecord>& added) {
    alarming::ProcessAlarmHistory().Locked([&](std::vector<engine::SpeedAlarmRecord>& entries) {
        entries.insert(entries.end(), added.begin(), added.end());
    });
}

// What the alarm does once it has decided on a pop-up: history entries, then the pop-up thread, whose
// hand-shake it waits for.
void RaiseAlarm() {
    const std::vector<engine::SpeedAlarmRecord> output{
        Entry(kChatPid, u"Chat.exe", engine::kAlarmUnhandled),
        Entry(kBrowserPid, u"Browser.exe", engine::kAlarmUnhandled)};
    AddHistory(output);
    ++alarming::AlarmPopupCount;
    auto ready = std::make_shared<base::Event>(base::EventReset::kManual, false);
    std::thread([output, ready] {
        alarming::AlarmPopupThread(output, alarming::AlarmPopupWindow(), *ready);
    }).detach();
    ready->Wait(2000);
}

std::string History(std::istringstream& in) {
    std::string add;
    if (in >> add) {
        AddHistory({Entry(kGamePid, u"Game.exe", engine::kAlarmUnhandled),
                    Entry(kBrowserPid, u"Browser.exe", engine::kAlarmIgnored),
                    Entry(900, u"Old.exe", engine::kAlarmUnhandled)});
        return "ok";
    }
    const auto entries = alarming::ProcessAlarmHistory().Snapshot();
    std::string out = "history " + std::to_string(entries.size());
    for (const auto& entry : entries) {
        out += " " + base::Utf16ToUtf8(entry.name) + ":" + std::to_string(entry.handlingState);
    }
    return out;
}

// One command's context: the rest of its line, read as words or whole, and the windows it acts on.
struct Call {
    ui::IShellWindow* shell;
    std::string rest;
    std::istringstream in{rest};
    HWND strip = ui::FloatingWindow() != nullptr ? ui::FloatingWindow()->Window() : nullptr;
    HWND main = ::FindWindowW(nullptr, L"进程流量监控");
    std::uint64_t Number() {
        std::uint64_t value = 0;
        in >> value;
        return value;
    }
};

void OpenModal(const std::string& name) {  // posted: the window thread runs the dialog's loop
    RunOnWindowThread(
        [name] {
            const INT_PTR result = name == "settings" ? ui::ShowSettingDialog(nullptr)
                                   : name == "info"   ? ui::ShowAlarmInfoDialog(pageHost)
                                                      : ui::ShowMachineTrafficDialog(nullptr);
            Say("event closed " + name + " " + std::to_string(result));
        },
        false);
}

void Fullscreen(HWND strip, bool open) {
    ::ShowWindow(gameWindow, open ? SW_SHOW : SW_HIDE);
    if (open) {
        ::SetForegroundWindow(gameWindow);
    }
    ::SendMessageW(strip, ui::kAppBarNotifyMessage, ABN_FULLSCREENAPP, open ? 1 : 0);
}

// Commands that answer "ok".
const std::map<std::string, std::function<void(Call&)>> kActions{
    {"state",
     [](Call& c) {
         alarming::AccelerationState = static_cast<std::uint32_t>(c.Number());
         alarming::HasUnhandledAlarm = static_cast<std::uint32_t>(c.Number());
         ui::FloatingWindow()->PostAlarmStateChange();
     }},
    {"traffic",
     [](Call& c) {
         const std::uint64_t down = c.Number();
         const std::uint64_t up = c.Number();
         WithTable([&](engine::TrafficMonitor& monitor) {
             engine::ConnectionRecord* record = monitor.Table().FindPortRecord(kBrowserPort);
             record->bytesDown += down;
             record->bytesUp += up;
         });
     }},
    {"fill",  // different for each connection: something to sort
     [](Call&) {
         WithTable([](engine::TrafficMonitor& monitor) {
             std::uint64_t step = 0;
             for (engine::ProcessRecord& process : monitor.Table().Processes()) {
                 for (engine::ConnectionRecord& connection : process.connections) {
                     connection.bytesDown += 150000 * ++step;
                     connection.bytesUp += 20000 * step;
                 }
             }
         });
     }},
    {"show", [](Call& c) { c.shell->SetVisible(true); }},
    {"hide", [](Call& c) { c.shell->SetVisible(false); }},
    {"suspension-state",
     [](Call& c) {
         const auto state = static_cast<unsigned>(c.Number());
         alarming::WriteSuspensionSettings(alarming::ProgramDirectory(), state, c.shell->Origin());
         c.shell->ApplySuspensionState(state == 1);
     }},
    {"exit", [](Call&) { app::RequestExit(); }},
    {"close", [](Call& c) { ::PostMessageW(c.strip, WM_CLOSE, 0, 0); }},
    {"main-modal", [](Call& c) { c.shell->PostShowMainModal(); }},
    {"main-close", [](Call& c) { ::PostMessageW(c.main, WM_CLOSE, 0, 0); }},
    {"about", [](Call& c) { ::PostMessageW(c.strip, WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, 0), 0); }},
    {"alarm", [](Call&) { RaiseAlarm(); }},
    {"accel",
     [](Call& c) {
         const auto sent = static_cast<WPARAM>(c.Number());
         ::SendMessageW(c.strip, ui::kAccelAdapterMessage, sent, static_cast<LPARAM>(c.Number()));
     }},
    {"leave-period",
     [](Call& c) {
         const auto period = static_cast<UINT>(c.Number());
         ui::SetAccStateLeaveCheckPeriod(period);
         ui::SetBlackListLeaveCheckPeriod(period);
     }},
    {"blacklist", [](Call& c) { c.shell->PostShowBlackList(); }},
    {"open", [](Call& c) { OpenModal(c.rest); }},
    {"page", [](Call& c) { RunOnWindowThread([&] { OpenPage(c.rest == "traffic"); }); }},
    {"settext",
     [](Call& c) {
         std::string title;
         int id = 0;
         std::string text;
         c.in >> title >> id >> text;
         ::SetWindowTextW(::GetDlgItem(::FindWindowW(nullptr, Wide(title).c_str()), id), Wide(text).c_str());
     }},
};

// Commands with an answer of their own.
const std::map<std::string, std::function<std::string(Call&)>> kQueries{
    {"report", [](Call&) { return Report(); }},
    {"dialog",
     [](Call& c) {
         return DialogReport(c.rest == "msgbox" ? ui::FindWindowByTag(base::kMessageBoxTag)
                                                : ::FindWindowW(nullptr, Wide(c.rest).c_str()));
     }},
    {"count",
     [](Call& c) {
         std::pair<std::string, int> search{c.rest, 0};
         ::EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&search));
         return "count " + std::to_string(search.second);
     }},
    {"popup", [](Call&) { return Popup(); }},
    {"rows", [](Call&) { return "rows " + ListRows(pageList); }},
    {"geometry", [](Call&) { return PageGeometry(); }},
    {"history", [](Call& c) { return History(c.in); }},
    {"fullscreen",
     [](Call& c) {
         Fullscreen(c.strip, c.rest == "open");
         return std::string("foreground-is-game=") + (::GetForegroundWindow() == gameWindow ? "1" : "0");
     }},
};

std::string Run(ui::IShellWindow* shell, const std::string& line) {
    const std::string command = line.substr(0, line.find(' '));
    Call call{shell, line.size() > command.size() ? line.substr(command.size() + 1) : ""};
    if (auto query = kQueries.find(command); query != kQueries.end()) {
        return query->second(call);
    }
    auto action = kActions.find(command);
    if (action == kActions.end()) {
        return "unknown " + command;
    }
    action->second(call);
    return "ok";
}

void ServeCommands(ui::IShellWindow* shell) {
    std::thread([shell] {
        if (shell != nullptr && !UpdaterExitNoticed()) {
            Say("the ended process was never noticed");
        }
        Say("ready");
        std::string line;
        while (std::getline(std::cin, line)) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            Say(Run(shell, line));
        }
    }).detach();
}

// The program's end, as the monitor runs it when its window closes.
void EndService() {
    if (app::MonitorService* service = app::CurrentMonitorService(); service != nullptr) {
        service->Stop();
        app::SetCurrentMonitorService(nullptr);
        delete service;
    }
}

int RunProgram() {
    app::SingleInstance instance;
    if (!instance.Acquire(u"kvt_gui_harness_")) {
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
    if (service->Start(u"Accelerator.exe", u"\\\\.\\pipe\\kvt-gui-harness") != 1) {
        Say("the service did not start");
        app::SetCurrentMonitorService(nullptr);
        service->Stop();
        return 4;
    }
    service.release();
    // Each name ends in the separator, as the accelerator sends them.
    WithTable([](engine::TrafficMonitor& monitor) {
        monitor.Names().SetAccelerateProcess(u"Game.exe;", 9, u";", 1);
    });
    // The accelerator's window: hidden until the strip's double click shows it.
    acceleratorWindow = MakeWindow(L"KvtFakeAccelerator", WS_OVERLAPPEDWINDOW, RECT{100, 400, 400, 600});
    ::SetPropW(acceleratorWindow, base::Wide(std::u16string(base::kAcceleratorWindowTag)), acceleratorWindow);
    gameWindow = MakeWindow(L"KvtFakeGame", WS_POPUP,
                            RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)});
    ServeCommands(shell.get());
    shell->RunMessageLoop();
    Say("event ended");
    app::SetProgramExitRequest(nullptr);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    ui::RegisterCommonControls();
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = HarnessProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(DKGRAY_BRUSH));
    windowClass.lpszClassName = L"KvtHarness";
    ::RegisterClassExW(&windowClass);
    taskWindow = MakeWindow(L"", 0, RECT{}, HWND_MESSAGE);
    const std::wstring mode = argc >= 2 ? argv[1] : L"";
    blackListed = mode == L"--blacklisted";
    const auto narrow = [&](int i) {
        return i < argc ? base::Utf16ToGbk(base::FromWide(argv[i])) : std::string();
    };
    int result = 0;
    if (mode == L"missing-skin") {
        skin::FailMissingSkin();
    } else if (mode == L"msgbox" && argc >= 5) {
        ServeCommands(nullptr);
        result = skin::SkinnedMessageBox(nullptr, narrow(3).c_str(), narrow(4).c_str(),
                                         static_cast<UINT>(std::wcstoul(argv[2], nullptr, 0)));
    } else {
        result = RunProgram();
    }
    // The command thread may still wait on its input: the process ends without it.
    std::fflush(stdout);
    ::ExitProcess(static_cast<UINT>(result));
}
