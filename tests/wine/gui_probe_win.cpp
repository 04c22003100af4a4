#include "wine/gui_probe_win.h"

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <vector>

#include "base/text.h"
#include "base/wide_win.h"
#include "base/window_tags.h"
#include "ui/list_view_win.h"
#include "ui/machine_traffic_dlg_win.h"
#include "ui/traffic_page_win.h"
#include "ui/window_find_win.h"

namespace probe {
namespace {

constexpr wchar_t kTaskClass[] = L"KvtProbeTasks";
constexpr wchar_t kHostClass[] = L"KvtPageHost";
constexpr UINT kRunTask = WM_APP + 1;
constexpr int kHostX = 100;
constexpr int kHostY = 100;
constexpr int kHostWidth = 530;
constexpr int kHostHeight = 380;

HWND taskWindow = nullptr;
std::unique_ptr<ui::CDlgTrafficMonitor> page;

LRESULT CALLBACK TaskProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunTask) {
        std::unique_ptr<std::function<void()>> task(reinterpret_cast<std::function<void()>*>(lParam));
        (*task)();
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// Waits for the task, or only posts it for a task that runs a modal loop.
void RunOnWindowThread(std::function<void()> task, bool wait) {
    auto* copy = new std::function<void()>(std::move(task));
    if (wait) {
        ::SendMessageW(taskWindow, kRunTask, 0, reinterpret_cast<LPARAM>(copy));
    } else {
        ::PostMessageW(taskWindow, kRunTask, 0, reinterpret_cast<LPARAM>(copy));
    }
}

std::string Utf8(const std::wstring& text) {
    return base::Utf16ToUtf8(base::FromWide(text.c_str()));
}

std::string WindowText(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return Utf8(text);
}

std::string Point(LONG x, LONG y) {
    return std::to_string(x) + "," + std::to_string(y);
}

std::string Centre(const RECT& r) {
    return Point((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

std::string ListRows(HWND list) {
    const int rows = ListView_GetItemCount(list);
    const int columns = Header_GetItemCount(ListView_GetHeader(list));
    std::string out;
    for (int row = 0; row < rows; ++row) {
        out += "\t";
        for (int column = 0; column < columns; ++column) {
            out += (column > 0 ? "|" : "") + base::Utf16ToUtf8(ui::ListText(list, row, column));
        }
    }
    return out;
}

std::string PageGeometry(HWND list) {
    RECT frame{};
    ::GetWindowRect(list, &frame);
    std::string out = "geometry\tlist=" + Point(frame.left, frame.top) + "," +
                      Point(frame.right - frame.left, frame.bottom - frame.top);
    HWND header = ListView_GetHeader(list);
    for (int i = 0; i < Header_GetItemCount(header); ++i) {
        RECT r{};
        Header_GetItemRect(header, i, &r);
        ::MapWindowPoints(header, nullptr, reinterpret_cast<POINT*>(&r), 2);
        out += "\theader=" + Centre(r);
    }
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
        RECT r{};
        ListView_GetItemRect(list, i, &r, LVIR_LABEL);
        ::MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&r), 2);
        out += "\trow=" + Centre(r);
    }
    return out;
}

void OpenPage() {
    if (page != nullptr) {
        return;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kHostClass;
    ::RegisterClassExW(&windowClass);
    HWND host = ::CreateWindowExW(0, kHostClass, kHostClass, WS_POPUP | WS_CLIPCHILDREN, kHostX, kHostY,
                                  kHostWidth, kHostHeight, nullptr, nullptr, windowClass.hInstance, nullptr);
    page = std::make_unique<ui::CDlgTrafficMonitor>();
    HWND window = page->Create(host);
    ::MoveWindow(window, 0, 0, kHostWidth, kHostHeight, FALSE);
    ::ShowWindow(window, SW_SHOW);
    ::ShowWindow(host, SW_SHOW);
    ::SetForegroundWindow(host);
}

std::string Page(const std::string& what) {
    if (what == "open") {
        RunOnWindowThread(OpenPage, true);
        return page != nullptr && page->List() != nullptr ? "ok" : "page none";
    }
    HWND list = page != nullptr ? page->List() : nullptr;
    if (list == nullptr) {
        return "page none";
    }
    if (what == "rows") {
        return "rows " + std::to_string(ListView_GetItemCount(list)) + ListRows(list);
    }
    return what == "geometry" ? PageGeometry(list) : "page unknown " + what;
}

struct DialogReport {
    HWND dialog;
    std::string text;
};

BOOL CALLBACK AddControl(HWND child, LPARAM context) {
    auto& report = *reinterpret_cast<DialogReport*>(context);
    if (::GetParent(child) != report.dialog) {
        return TRUE;
    }
    std::string& out = report.text;
    wchar_t className[32] = {};
    ::GetClassNameW(child, className, 32);
    const int id = ::GetDlgCtrlID(child);
    if (::lstrcmpiW(className, WC_LISTVIEWW) == 0) {
        out += "\tlist " + std::to_string(id) + "=" + std::to_string(ListView_GetItemCount(child)) +
               ListRows(child);
    } else if (::lstrcmpiW(className, L"Button") == 0) {
        RECT r{};
        ::GetWindowRect(child, &r);
        out += "\tbutton " + std::to_string(id) + "=" + Centre(r);
    } else if (id > 0 && id != 0xFFFF) {
        out += "\t" + std::to_string(id) + "=" + WindowText(child);
    }
    return TRUE;
}

std::string Dialog(HWND window) {
    if (window == nullptr || !::IsWindowVisible(window)) {
        return "dialog none";
    }
    RECT r{};
    ::GetWindowRect(window, &r);
    DialogReport report{window, "dialog " + Point(r.left, r.top) + "," +
                                    Point(r.right - r.left, r.bottom - r.top) +
                                    "\ttitle=" + WindowText(window)};
    ::EnumChildWindows(window, AddControl, reinterpret_cast<LPARAM>(&report));
    return report.text;
}

std::string Popup() {
    HWND menuWindow = ::FindWindowW(L"#32768", nullptr);
    if (menuWindow == nullptr || !::IsWindowVisible(menuWindow)) {
        return "popup none";
    }
    auto menu = reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    std::string out = "popup";
    for (int i = 0; menu != nullptr && i < ::GetMenuItemCount(menu); ++i) {
        RECT r{};
        if (::GetMenuItemRect(nullptr, menu, static_cast<UINT>(i), &r)) {
            out += "\t" + std::to_string(::GetMenuItemID(menu, i)) + "=" + Centre(r);
        }
    }
    return out;
}

}  // namespace

void StartWindowThreadTasks() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = TaskProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kTaskClass;
    ::RegisterClassExW(&windowClass);
    taskWindow = ::CreateWindowExW(0, kTaskClass, kTaskClass, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   windowClass.hInstance, nullptr);
}

bool HandleCommand(const std::string& command, std::istringstream& arguments, std::string& answer) {
    std::string what;
    if (command == "page") {
        arguments >> what;
        answer = Page(what);
    } else if (command == "dialog") {
        std::getline(arguments >> std::ws, what);
        answer = Dialog(::FindWindowW(nullptr, base::Wide(base::Utf8ToUtf16(what))));
    } else if (command == "msgbox") {
        answer = Dialog(ui::FindWindowByTag(base::kMessageBoxTag));
    } else if (command == "popup") {
        answer = Popup();
    } else if (command == "machine") {
        RunOnWindowThread([] { ui::ShowMachineTrafficDialog(nullptr); }, false);
        answer = "ok";
    } else {
        return false;
    }
    return true;
}

}  // namespace probe
