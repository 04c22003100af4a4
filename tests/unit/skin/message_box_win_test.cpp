// The skinned message box against the real dialog: which buttons it shows, with which texts, where, and
// what it returns. A timer inside the modal loop inspects the box and answers it.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/window_tags.h"
#include "skin/dialog_x_win.h"
#include "skin/message_box_layout.h"
#include "skin/message_box_win.h"
#include "ui/window_find_win.h"

namespace {

struct SeenButton {
    int id;
    std::wstring text;
    RECT rect;  // client coordinates of the box
};

struct Inspection {
    bool found = false;
    std::vector<SeenButton> buttons;
    RECT client{};
    RECT window{};
    int defaultId = 0;
    bool hasIcon = false;
    int answer = 0;  // the command posted to end the box, or kPressEnter
};

constexpr int kPressEnter = -1;

Inspection* current = nullptr;

BOOL CALLBACK CollectButton(HWND child, LPARAM parameter) {
    auto* seen = reinterpret_cast<Inspection*>(parameter);
    wchar_t className[16] = {};
    GetClassNameW(child, className, 16);
    if (lstrcmpiW(className, L"Button") == 0) {
        wchar_t text[64] = {};
        GetWindowTextW(child, text, 64);
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
        seen->buttons.push_back({GetDlgCtrlID(child), text, rect});
    } else if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) {
        seen->hasIcon = true;
    }
    return TRUE;
}

void CALLBACK Inspect(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = ui::FindWindowByTag(base::kMessageBoxTag);
    if (box == nullptr || current == nullptr || !IsWindowVisible(box)) {
        return;
    }
    KillTimer(nullptr, timer);
    current->found = true;
    EnumChildWindows(box, CollectButton, reinterpret_cast<LPARAM>(current));
    std::sort(current->buttons.begin(), current->buttons.end(),
              [](const SeenButton& a, const SeenButton& b) { return a.rect.left < b.rect.left; });
    GetClientRect(box, &current->client);
    GetWindowRect(box, &current->window);
    const LRESULT defaultId = SendMessageW(box, DM_GETDEFID, 0, 0);
    current->defaultId = HIWORD(defaultId) == DC_HASDEFID ? LOWORD(defaultId) : 0;
    if (current->answer == kPressEnter) {
        // The modal loop hands the key to the dialog manager, which answers with the default button.
        PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
    } else {
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(current->answer, BN_CLICKED), 0);
    }
}

int RunInspected(UINT style, const std::string& text, int answer, Inspection& seen) {
    seen.answer = answer;
    current = &seen;
    SetTimer(nullptr, 0, 50, Inspect);
    const int result = skin::SkinnedMessageBox(nullptr, text.c_str(), "kvt", style);
    current = nullptr;
    return result;
}

std::wstring W(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

struct ButtonCase {
    UINT style;
    std::vector<int> ids;
    int defaultId;  // 0: none
    bool icon;
};

TEST(SkinnedMessageBox, ShowsTheButtonSetOfTheStyleAndReturnsThePressedButton) {
    const ButtonCase cases[] = {
        {MB_OK, {1}, 1, false},
        {MB_OKCANCEL | MB_ICONINFORMATION, {1, 2}, 1, true},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, {3, 4, 5}, 5, false},
        {MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2, {6, 7, 2}, 7, true},
        {MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2, {6, 7}, 7, true},
        {MB_RETRYCANCEL | MB_ICONSTOP, {4, 2}, 4, true},
        {MB_CANCELTRYCONTINUE, {2, 10, 11}, 2, false},
        {MB_OK | MB_HELP | MB_DEFBUTTON2, {1, 9}, 9, false},
        // The default index past the row: no default button.
        {MB_YESNO | MB_DEFBUTTON3, {6, 7}, 0, false},
    };
    for (const ButtonCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "style 0x" << std::hex << c.style);
        Inspection seen;
        const std::string text = base::Utf16ToGbk(u"您确定要关闭GameClient.exe进程吗？");
        if (c.defaultId != 0) {
            EXPECT_EQ(RunInspected(c.style, text, kPressEnter, seen), c.defaultId) << "Enter presses the default button";
        } else {
            EXPECT_EQ(RunInspected(c.style, text, c.ids.back(), seen), c.ids.back());
        }
        ASSERT_TRUE(seen.found);
        std::vector<int> ids;
        for (const SeenButton& b : seen.buttons) {
            ids.push_back(b.id);
            EXPECT_EQ(b.text, W(skin::MessageBoxButtonText(b.id)));
            EXPECT_EQ(b.rect.right - b.rect.left, skin::kMbButtonWidth);
            EXPECT_EQ(b.rect.bottom - b.rect.top, skin::kMbButtonHeight);
        }
        EXPECT_EQ(ids, c.ids);
        if (c.defaultId != 0) {
            EXPECT_EQ(seen.defaultId, c.defaultId);
        } else {
            // No default button of the row (Wine reports IDOK for a dialog that never set one).
            EXPECT_EQ(std::find(c.ids.begin(), c.ids.end(), seen.defaultId), c.ids.end());
        }
        EXPECT_EQ(seen.hasIcon, c.icon);
        for (std::size_t i = 1; i < seen.buttons.size(); ++i) {
            EXPECT_EQ(seen.buttons[i].rect.left - seen.buttons[i - 1].rect.left, skin::kMbButtonPitch);
        }
        // The row is centred in the client area.
        if (!seen.buttons.empty()) {
            const int left = seen.buttons.front().rect.left;
            const int right = seen.buttons.back().rect.right;
            EXPECT_LE(std::abs(left - (seen.client.right - right)), 1);
        }
    }
}

TEST(SkinnedMessageBox, TheClientAreaFollowsTheLayoutInsideTheSkinFrame) {
    // The question icon and no text: the client is max(icon + gap, one button) + 40 wide.
    Inspection seen;
    EXPECT_EQ(RunInspected(MB_OK | MB_ICONQUESTION, "", IDOK, seen), IDOK);
    ASSERT_TRUE(seen.found);
    const skin::MessageBoxLayout layout = skin::LayoutMessageBox({32, 32}, {0, 0}, 1);
    EXPECT_EQ(seen.client.right, layout.client.width);
    EXPECT_EQ(seen.client.bottom, layout.client.height);
    EXPECT_EQ(seen.client.right, std::max(32 + 16, 70) + 40);
    const SIZE window = skin::DialogFrame::WindowSizeFor(seen.client.right, seen.client.bottom);
    EXPECT_EQ(seen.window.right - seen.window.left, window.cx);
    EXPECT_EQ(seen.window.bottom - seen.window.top, window.cy);
}

TEST(SkinnedMessageBox, ALongTextWrapsAt240Pixels) {
    Inspection seen;
    const std::string text(120, 'W');
    EXPECT_EQ(RunInspected(MB_OK, text, IDOK, seen), IDOK);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.client.right, skin::kMbTextWidth + 40);
}

void CALLBACK AnswerNo(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (HWND box = ui::FindWindowByTag(base::kMessageBoxTag); box != nullptr) {
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
    }
}

TEST(SkinnedMessageBox, CommandsOfButtonsItDoesNotShowAreIgnored) {
    // IDCANCEL (Esc) on a yes/no box changes nothing; the box ends only with one of its buttons.
    Inspection seen;
    current = &seen;
    seen.answer = IDCANCEL;
    SetTimer(nullptr, 0, 50, Inspect);
    const UINT_PTR later = SetTimer(nullptr, 0, 400, AnswerNo);
    EXPECT_EQ(skin::SkinnedMessageBox(nullptr, "?", nullptr, MB_YESNO), IDNO);
    KillTimer(nullptr, later);
    current = nullptr;
}

}  // namespace
