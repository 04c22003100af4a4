#include "skin/message_box_win.h"

#include <algorithm>

#include "base/wide_win.h"
#include "base/window_tags.h"
#include "res/resource_ids.h"

namespace skin {
namespace {

constexpr int kTextControlId = 1000;
constexpr int kIconControlId = 1001;

}  // namespace

CMessageBoxDailog::CMessageBoxDailog() : SkinnedDialog(IDD_MESSAGE_BOX) {}

CMessageBoxDailog::~CMessageBoxDailog() {
    Release();
}

void CMessageBoxDailog::Prepare(std::string caption, std::string text, UINT style) {
    caption_ = std::move(caption);
    text_ = std::move(text);
    style_ = style;
}

INT_PTR CMessageBoxDailog::Run(HWND owner) {
    running_ = true;
    const INT_PTR result = DoModal(owner);
    running_ = false;
    Release();
    return result;
}

void CMessageBoxDailog::Release() {
    textControl_.Detach();
    buttons_.clear();
    iconControl_ = nullptr;
    iconBitmap_.Reset();
}

HWND CMessageBoxDailog::AddButton(int id, int x, int y) {
    const std::u16string_view label = MessageBoxButtonText(id);
    const std::wstring text(label.begin(), label.end());
    HWND button = ::CreateWindowExW(
        0, L"BUTTON", text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, x, y, kMbButtonWidth,
        kMbButtonHeight, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        ::GetModuleHandleW(nullptr), nullptr);
    if (button == nullptr) {
        return nullptr;
    }
    auto skinned = std::make_unique<skin::CButton2X>();
    skinned->Attach(button);
    skinned->SetFace(buttonFace_.Get());
    buttons_.push_back(std::move(skinned));
    return button;
}

void CMessageBoxDailog::SetUp(LRESULT& result) {
    SetTitle(caption_);
    ::SetWindowTextW(Handle(), NarrowToWide(caption_).c_str());
    buttonFace_.Reset(LoadSkinBitmap(L"IDB_BITMAP_BTN"));
    auto dialogFont = reinterpret_cast<HFONT>(::SendMessageW(Handle(), WM_GETFONT, 0, 0));

    const std::wstring text = NarrowToWide(text_);
    HWND textWindow = CreateText(text, dialogFont);
    const Size textSize = textWindow != nullptr ? MeasureText(textWindow, text, dialogFont) : Size{};
    buttonIds_ = MessageBoxButtonIds(style_);
    const Size iconSize = LoadIconBitmap();
    const MessageBoxLayout layout = LayoutMessageBox(iconSize, textSize, buttonIds_.size());

    CentreWindow(layout.client);
    if (textWindow != nullptr) {
        ::MoveWindow(textWindow, layout.text.x, layout.text.y, textSize.width, textSize.height, FALSE);
    }
    AddButtons(layout.buttons, dialogFont);
    AddIcon(layout.icon, iconSize);
    FocusDefaultButton(result);
    if ((style_ & kMbSetForeground) != 0) {
        ::SetForegroundWindow(Handle());
    }
    const std::u16string tag(base::kMessageBoxTag);
    ::SetPropW(Handle(), base::Wide(tag), Handle());
}

HWND CMessageBoxDailog::CreateText(const std::wstring& text, HFONT font) {
    HWND textWindow = ::CreateWindowExW(
        0, L"STATIC", text.c_str(),
        WS_CHILD | WS_VISIBLE | ((style_ & kMbRightAlign) != 0 ? SS_RIGHT : SS_LEFT), 0, 0, 0, 0, Handle(),
        reinterpret_cast<HMENU>(kTextControlId), ::GetModuleHandleW(nullptr), nullptr);
    if (textWindow != nullptr) {
        ::SendMessageW(textWindow, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        textControl_.Attach(textWindow);
    }
    return textWindow;
}

Size CMessageBoxDailog::MeasureText(HWND textWindow, const std::wstring& text, HFONT font) {
    WindowDc dc(textWindow, false);
    HGDIOBJ previous = ::SelectObject(dc.Get(), font);
    RECT measured{0, 0, kMbTextWidth, 0};
    if (!text.empty()) {
        ::DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &measured,
                    DT_CALCRECT | DT_NOPREFIX);
    } else {
        measured = RECT{0, 0, 0, 0};
    }
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.Get(), &metrics);
    ::SelectObject(dc.Get(), previous);
    return MessageBoxTextSize({measured.right - measured.left, measured.bottom - measured.top},
                              metrics.tmHeight);
}

Size CMessageBoxDailog::LoadIconBitmap() {
    const int iconId = MessageBoxIconBitmap(style_);
    if (iconId == 0) {
        return {};
    }
    iconBitmap_.Reset(LoadProgramBitmap(iconId));
    const BitmapSize size = SizeOf(iconBitmap_.Get());
    return {size.width, size.height};
}

void CMessageBoxDailog::CentreWindow(Size client) {
    const SIZE window = DialogFrame::WindowSizeFor(client.width, client.height);
    RECT around{};
    HWND owner = ::GetWindow(Handle(), GW_OWNER);
    if (owner == nullptr || !::IsWindowVisible(owner) || !::GetWindowRect(owner, &around)) {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
    }
    const int x = around.left + (around.right - around.left - window.cx) / 2;
    const int y = around.top + (around.bottom - around.top - window.cy) / 2;
    ::SetWindowPos(Handle(), nullptr, x, y, window.cx, window.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMessageBoxDailog::AddButtons(const std::vector<Point>& positions, HFONT font) {
    for (std::size_t i = 0; i < buttonIds_.size(); ++i) {
        HWND button = AddButton(buttonIds_[i], positions[i].x, positions[i].y);
        if (button != nullptr) {
            ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
    }
}

void CMessageBoxDailog::AddIcon(Point position, Size size) {
    if (!iconBitmap_) {
        return;
    }
    iconControl_ = ::CreateWindowExW(
        0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_BITMAP, position.x, position.y, size.width, size.height,
        Handle(), reinterpret_cast<HMENU>(kIconControlId), ::GetModuleHandleW(nullptr), nullptr);
    if (iconControl_ != nullptr) {
        ::SendMessageW(iconControl_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(iconBitmap_.Get()));
    }
}

void CMessageBoxDailog::FocusDefaultButton(LRESULT& result) {
    const std::size_t defaultIndex = MessageBoxDefaultIndex(style_);
    if (defaultIndex >= buttonIds_.size()) {
        return;
    }
    ::SendMessageW(Handle(), DM_SETDEFID, buttonIds_[defaultIndex], 0);
    if (HWND button = Item(buttonIds_[defaultIndex]); button != nullptr) {
        ::SetFocus(button);
        result = FALSE;
    }
}

bool CMessageBoxDailog::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (message) {
        case WM_INITDIALOG:
            SetUp(result);
            // Left unhandled: the frame's initialisation follows and cuts the corners.
            return false;
        case WM_DESTROY: {
            const std::u16string tag(base::kMessageBoxTag);
            ::RemovePropW(Handle(), base::Wide(tag));
            return false;
        }
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (std::find(buttonIds_.begin(), buttonIds_.end(), id) != buttonIds_.end()) {
                EndDialog(id);
            } else if (id == IDCANCEL && buttonIds_.size() == 1) {
                // Esc and the close button end a one-button box with its button, as the system's does.
                EndDialog(buttonIds_.front());
            }
            // Anything else (Esc without a cancel button) is swallowed.
            result = 0;
            return true;
        }
        default:
            return false;
    }
}

int SkinnedMessageBox(HWND owner, const char* text, const char* caption, UINT style) {
    const std::string narrowText = text != nullptr ? text : "";
    const std::string narrowCaption = caption != nullptr ? caption : "";
    static std::unique_ptr<CMessageBoxDailog> box;
    bool built = false;
    INT_PTR result = 0;
    if (box == nullptr) {
        box = std::make_unique<CMessageBoxDailog>();
    }
    if (!box->IsRunning()) {
        built = true;
        box->Prepare(narrowCaption, narrowText, style);
        result = box->Run(owner);
    }
    if (UseSystemMessageBox(built, result)) {
        return ::MessageBoxW(owner, NarrowToWide(narrowText).c_str(), NarrowToWide(narrowCaption).c_str(),
                             style);
    }
    return static_cast<int>(result);
}

}  // namespace skin
