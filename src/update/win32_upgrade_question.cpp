// The question window is a small modal form of its own rather than a message box because its
// buttons carry the words "&Yes" and "&Later" (in the user's language) and its text may be long.
#include "update/win32_upgrade_question.h"

#include <algorithm>

#include "win32/win32_handles.h"
#include "base/text_helpers.h"
#include "win32/win32_text.h"
#include "win32/win32_window.h"

namespace tessel::update {

namespace {

using win32::W;

constexpr int kTextWidth = 340;
constexpr int kMargin = 12;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 26;
constexpr int kMaxTextHeight = 480;

class QuestionForm final : public win32::Window {
public:
    bool Run(HWND owner, const UpgraderTexts& texts, const std::u16string& text) {
        const wchar_t* cls = RegisterClassOnce(kQuestionClass, 0, nullptr, GetSysColorBrush(COLOR_BTNFACE));
        const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        const int textHeight = MeasureText(font, text);
        const int clientWidth = kTextWidth + 2 * kMargin;
        const int clientHeight = kMargin + textHeight + kMargin + kButtonHeight + kMargin;
        const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;
        RECT frame{0, 0, clientWidth, clientHeight};
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
        const int width = frame.right - frame.left, height = frame.bottom - frame.top;
        const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
        if (!Create(exStyle, cls, W(std::u16string(texts.Caption)), style, x, y, width, height, owner)) return false;

        HWND label = CreateWindowExW(0, L"STATIC", W(text), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, kMargin,
                                     kMargin, kTextWidth, textHeight, Handle(), nullptr, nullptr, nullptr);
        const int buttonsTop = kMargin + textHeight + kMargin;
        const int left = clientWidth - kMargin - 2 * kButtonWidth - kMargin / 2;
        HWND yes = CreateWindowExW(0, L"BUTTON", W(std::u16string(texts.Yes)),
                                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, left, buttonsTop, kButtonWidth,
                                   kButtonHeight, Handle(), reinterpret_cast<HMENU>(IDYES), nullptr, nullptr);
        HWND later = CreateWindowExW(0, L"BUTTON", W(std::u16string(texts.Later)),
                                     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                     left + kButtonWidth + kMargin / 2, buttonsTop, kButtonWidth, kButtonHeight,
                                     Handle(), reinterpret_cast<HMENU>(IDCANCEL), nullptr, nullptr);
        for (HWND child : {label, yes, later}) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

        // A modal loop of its own: the owner is disabled until the answer.
        const bool ownerWasEnabled = owner && !EnableWindow(owner, FALSE);
        ShowWindow(Handle(), SW_SHOW);
        SetForegroundWindow(Handle());
        SetFocus(yes);
        MSG msg;
        bool quit = false;
        while (!done_) {
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got <= 0) {
                quit = got == 0;
                break;
            }
            if (!IsDialogMessageW(Handle(), &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        if (ownerWasEnabled) EnableWindow(owner, TRUE);
        DestroyWindow(Handle());
        if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
        return yes_;
    }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_COMMAND:
            if (LOWORD(wp) == IDYES || LOWORD(wp) == IDCANCEL) {
                yes_ = LOWORD(wp) == IDYES;
                done_ = true;
            }
            return 0;
        case WM_CLOSE:
            done_ = true;
            return 0;
        default:
            return DefaultProc(msg, wp, lp);
        }
    }

private:
    static int MeasureText(HFONT font, const std::u16string& text) {
        win32::WindowDc dc(nullptr);
        win32::SelectGuard select(dc.get(), font);
        RECT box{0, 0, kTextWidth, 0};
        DrawTextW(dc.get(), W(text), -1, &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        return std::clamp(static_cast<int>(box.bottom), 16, kMaxTextHeight);
    }

    bool done_ = false;
    bool yes_ = false;
};

}  // namespace

bool AskUpgradeQuestion(HWND owner, const UpgraderTexts& texts, const std::u16string& text) {
    QuestionForm form;
    // The height follows the text: a long message from the server is shortened to fit the screen.
    return form.Run(owner, texts, FitMessageText(text));
}

}  // namespace tessel::update
