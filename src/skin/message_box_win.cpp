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

CMessageBoxDailog::~CMessageBoxDailog() { Release(); }

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
    HWND button = ::CreateWindowExW(0, L"BUTTON", text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, x,
                                    y, kMbButtonWidth, kMbButtonHeight, Handle(),
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr),
                                    nullptr);
    if (button == nullptr) {
        return nullptr;
    }
    auto skinned = std::make_unique<vsk::CButton2X>();
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

    // 1. The text, measured with its own font.
    const std::wstring text = NarrowToWide(text_);
    HWND textWindow = ::CreateWindowExW(0, L"STATIC", text.c_str(),
                                        WS_CHILD | WS_VISIBLE | ((style_ & kMbRightAlign) != 0 ? SS_RIGHT : SS_LEFT), 0,
                                        0, 0, 0, Handle(), reinterpret_cast<HMENU>(kTextControlId),
                                        ::GetModuleHandleW(nullptr), nullptr);
    Size textSize{};
    if (textWindow != nullptr) {
        ::SendMessageW(textWindow, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont), FALSE);
        textControl_.Attach(textWindow);
        WindowDc dc(textWindow, false);
        HGDIOBJ previous = ::SelectObject(dc.Get(), dialogFont);
        RECT measured{0, 0, kMbTextWidth, 0};
        if (!text.empty()) {
            ::DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &measured, DT_CALCRECT | DT_NOPREFIX);
        } else {
            measured = RECT{0, 0, 0, 0};
        }
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc.Get(), &metrics);
        ::SelectObject(dc.Get(), previous);
        textSize = MessageBoxTextSize({measured.right - measured.left, measured.bottom - measured.top},
                                      metrics.tmHeight);
    }

    // 2. The buttons and the icon.
    buttonIds_ = MessageBoxButtonIds(style_);
    const int iconId = MessageBoxIconBitmap(style_);
    Size iconSize{};
    if (iconId != 0) {
        iconBitmap_.Reset(LoadProgramBitmap(iconId));
        const BitmapSize size = SizeOf(iconBitmap_.Get());
        iconSize = {size.width, size.height};
    }
    const MessageBoxLayout layout = LayoutMessageBox(iconSize, textSize, buttonIds_.size());

    // 3. The window: the client size inside the skin's frame, centred on the owner (or the screen).
    const SIZE window = DialogFrame::WindowSizeFor(layout.client.width, layout.client.height);
    RECT around{};
    HWND owner = ::GetWindow(Handle(), GW_OWNER);
    if (owner == nullptr || !::IsWindowVisible(owner) || !::GetWindowRect(owner, &around)) {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
    }
    const int x = around.left + (around.right - around.left - window.cx) / 2;
    const int y = around.top + (around.bottom - around.top - window.cy) / 2;
    ::SetWindowPos(Handle(), nullptr, x, y, window.cx, window.cy, SWP_NOZORDER | SWP_NOACTIVATE);

    if (textWindow != nullptr) {
        ::MoveWindow(textWindow, layout.text.x, layout.text.y, textSize.width, textSize.height, FALSE);
    }
    for (std::size_t i = 0; i < buttonIds_.size(); ++i) {
        HWND button = AddButton(buttonIds_[i], layout.buttons[i].x, layout.buttons[i].y);
        if (button != nullptr) {
            ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont), FALSE);
        }
    }
    if (iconBitmap_) {
        iconControl_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_BITMAP, layout.icon.x,
                                         layout.icon.y, iconSize.width, iconSize.height, Handle(),
                                         reinterpret_cast<HMENU>(kIconControlId), ::GetModuleHandleW(nullptr), nullptr);
        if (iconControl_ != nullptr) {
            ::SendMessageW(iconControl_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(iconBitmap_.Get()));
        }
    }

    // 4. The default button has the focus and answers Enter.
    const std::size_t defaultIndex = MessageBoxDefaultIndex(style_);
    if (defaultIndex < buttonIds_.size()) {
        ::SendMessageW(Handle(), DM_SETDEFID, buttonIds_[defaultIndex], 0);
        if (HWND button = Item(buttonIds_[defaultIndex]); button != nullptr) {
            ::SetFocus(button);
            result = FALSE;
        }
    }
    if ((style_ & kMbSetForeground) != 0) {
        ::SetForegroundWindow(Handle());
    }
    const std::u16string tag(base::kMessageBoxTag);
    ::SetPropW(Handle(), base::Wide(tag), Handle());
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
        return ::MessageBoxW(owner, NarrowToWide(narrowText).c_str(), NarrowToWide(narrowCaption).c_str(), style);
    }
    return static_cast<int>(result);
}

}  // namespace skin
