// The skinned message box against the real dialog: which buttons it shows, with which texts, where, and
// what it returns. A timer inside the modal loop inspects the box and answers it.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "base/text.h"
#include "base/window_tags.h"
#include "skin/dialog_x_win.h"
#include "skin/message_box_layout.h"
#include "skin/message_box_win.h"
#include "ui/window_find_win.h"

namespace {

constexpr int kPressEnter = -1;

struct SeenButton {
    int id;
    std::u16string text;
    RECT rect;  // client coordinates of the box
};

struct Inspection {
    int answer = 0;  // the command posted to end the box, or kPressEnter
    bool found = false;
    std::vector<SeenButton> buttons;  // left to right
    RECT client{};
    RECT window{};
    int defaultId = 0;
    bool hasIcon = false;
};

Inspection* current = nullptr;

BOOL CALLBACK CollectChild(HWND child, LPARAM) {
    wchar_t className[16] = {};
    GetClassNameW(child, className, 16);
    if (lstrcmpiW(className, L"Button") == 0) {
        wchar_t text[64] = {};
        GetWindowTextW(child, text, 64);
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
        current->buttons.push_back({GetDlgCtrlID(child), reinterpret_cast<const char16_t*>(text), rect});
    } else if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) {
        current->hasIcon = true;
    }
    return TRUE;
}

void CALLBACK Inspect(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = ui::FindWindowByTag(base::kMessageBoxTag);
    if (box == nullptr || current == nullptr || current->found || !IsWindowVisible(box)) {
        return;
    }
    KillTimer(nullptr, timer);
    current->found = true;
    EnumChildWindows(box, CollectChild, 0);
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

void CALLBACK AnswerNo(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    PostMessageW(ui::FindWindowByTag(base::kMessageBoxTag), WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
}

// Runs the box and answers it; a yes/no box can also be answered IDNO after a while.
int RunInspected(UINT style, const std::string& text, int answer, Inspection& seen,
                 UINT answerNoAfterMs = 0) {
    seen.answer = answer;
    current = &seen;
    SetTimer(nullptr, 0, 50, Inspect);
    const UINT_PTR later = answerNoAfterMs == 0 ? 0 : SetTimer(nullptr, 0, answerNoAfterMs, AnswerNo);
    const int result = skin::SkinnedMessageBox(nullptr, text.c_str(), "kvt", style);
    KillTimer(nullptr, later);
    current = nullptr;
    return result;
}

TEST(SkinnedMessageBox, ShowsTheButtonSetOfTheStyleAndReturnsThePressedButton) {
    const struct {
        UINT style;
        std::vector<int> ids;
        int defaultId;  // 0: none
        bool icon;
    } cases[] = {
        {MB_OK, {1}, 1, false},
        {MB_OKCANCEL | MB_ICONINFORMATION, {1, 2}, 1, true},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, {3, 4, 5}, 5, false},
        {MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2, {6, 7, 2}, 7, true},
        {MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2, {6, 7}, 7, true},
        {MB_RETRYCANCEL | MB_ICONSTOP, {4, 2}, 4, true},
        {MB_CANCELTRYCONTINUE, {2, 10, 11}, 2, false},
        {MB_OK | MB_HELP | MB_DEFBUTTON2, {1, 9}, 9, false},
        {MB_YESNO | MB_DEFBUTTON3, {6, 7}, 0, false},  // the default index past the row: no default button
    };
    const std::string text = base::Utf16ToGbk(u"您确定要关闭GameClient.exe进程吗？");
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "style 0x" << std::hex << c.style);
        Inspection seen;
        EXPECT_EQ(RunInspected(c.style, text, c.defaultId != 0 ? kPressEnter : c.ids.back(), seen),
                  c.defaultId != 0 ? c.defaultId : c.ids.back());
        ASSERT_TRUE(seen.found && !seen.buttons.empty());
        std::vector<int> ids;
        int left = seen.buttons.front().rect.left - skin::kMbButtonPitch;
        for (const SeenButton& b : seen.buttons) {
            ids.push_back(b.id);
            EXPECT_EQ(b.text, skin::MessageBoxButtonText(b.id));
            EXPECT_EQ(b.rect.right - b.rect.left, skin::kMbButtonWidth);
            EXPECT_EQ(b.rect.bottom - b.rect.top, skin::kMbButtonHeight);
            EXPECT_EQ(b.rect.left - std::exchange(left, b.rect.left), skin::kMbButtonPitch);
        }
        EXPECT_EQ(ids, c.ids);
        // Without a default button of the row, Wine reports IDOK for a dialog that never set one.
        EXPECT_TRUE(c.defaultId != 0 ? seen.defaultId == c.defaultId
                                     : std::find(c.ids.begin(), c.ids.end(), seen.defaultId) == c.ids.end());
        EXPECT_EQ(seen.hasIcon, c.icon);
        // The row is centred in the client area.
        EXPECT_LE(
            std::abs(seen.buttons.front().rect.left - (seen.client.right - seen.buttons.back().rect.right)),
            1);
    }
}

TEST(SkinnedMessageBox, TheClientAreaFollowsTheLayoutInsideTheSkinFrame) {
    Inspection seen;
    EXPECT_EQ(RunInspected(MB_OK | MB_ICONQUESTION, "", IDOK, seen), IDOK);
    ASSERT_TRUE(seen.found);
    const skin::MessageBoxLayout layout = skin::LayoutMessageBox({32, 32}, {0, 0}, 1);
    EXPECT_EQ(seen.client.right, layout.client.width);
    EXPECT_EQ(seen.client.bottom, layout.client.height);
    const SIZE window = skin::DialogFrame::WindowSizeFor(seen.client.right, seen.client.bottom);
    EXPECT_EQ(seen.window.right - seen.window.left, window.cx);
    EXPECT_EQ(seen.window.bottom - seen.window.top, window.cy);

    Inspection wrapped;  // a long text wraps at 240 pixels
    EXPECT_EQ(RunInspected(MB_OK, std::string(120, 'W'), IDOK, wrapped), IDOK);
    EXPECT_EQ(wrapped.client.right, skin::kMbTextWidth + 40);
}

TEST(SkinnedMessageBox, CommandsOfButtonsItDoesNotShowAreIgnored) {
    // IDCANCEL (Esc) on a yes/no box changes nothing; the box ends only with one of its buttons.
    Inspection seen;
    EXPECT_EQ(RunInspected(MB_YESNO, "?", IDCANCEL, seen, 400), IDNO);
    EXPECT_TRUE(seen.found);
}

}  // namespace
