#pragma once
// Drives a modal dialog from inside its own modal loop, as a user would: a thread timer runs the
// steps one after the other, each tick trying the current step until it says it is done. Clicks
// and keys are posted, so the dialog handles them in its loop (where a message box or a sign-in
// may run loops of their own, inside which the steps go on). Bounded: when the steps do not end
// the dialog in time, the dialog is ended with kTimedOut and the script names the step it was on.
#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/win32_dialog.h"
#include "win32_e2e_screen.h"

namespace tessel::testing {

class DialogScript {
public:
    static constexpr INT_PTR kTimedOut = -2;
    // True when the step is done; false to be tried again at the next tick.
    using Step = std::function<bool(HWND dialog)>;

    DialogScript& Then(std::string name, Step step) {
        steps_.push_back({std::move(name), std::move(step)});
        return *this;
    }

    INT_PTR Run(TDialog& dialog, std::chrono::milliseconds timeout = std::chrono::milliseconds(60000)) {
        current_ = this;
        dialog_ = &dialog;
        deadline_ = std::chrono::steady_clock::now() + timeout;
        const UINT_PTR timer = SetTimer(nullptr, 0, 40, &DialogScript::Tick);
        const INT_PTR result = dialog.ShowModal(nullptr);
        KillTimer(nullptr, timer);
        current_ = nullptr;
        return result;
    }

    // Empty when every step ran; else the step the script stopped at.
    std::string Unfinished() const { return next_ < steps_.size() ? steps_[next_].name : std::string(); }

private:
    struct Named {
        std::string name;
        Step step;
    };

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        DialogScript* self = current_;
        if (!self || self->busy_) return;
        HWND dialog = self->dialog_->Handle();
        if (!dialog) return;
        // The dialog box shows itself once its controls are made; the steps start after that.
        if (!IsWindowVisible(dialog) && std::chrono::steady_clock::now() <= self->deadline_) return;
        if (std::chrono::steady_clock::now() > self->deadline_) {
            EndDialog(dialog, kTimedOut);
            return;
        }
        if (self->next_ >= self->steps_.size()) return;
        self->busy_ = true;
        if (self->steps_[self->next_].step(dialog)) ++self->next_;
        self->busy_ = false;
    }

    static inline DialogScript* current_ = nullptr;
    std::vector<Named> steps_;
    size_t next_ = 0;
    TDialog* dialog_ = nullptr;
    std::chrono::steady_clock::time_point deadline_{};
    bool busy_ = false;
};

// What a user does.
inline void Click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
inline void ClickTool(HWND dialog, int id) {
    // A tool bar button tells its dialog with WM_COMMAND, as a mouse click on it would.
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}
inline void Type(HWND dialog, int id, const wchar_t* text) { SetDlgItemTextW(dialog, id, text); }
// A key pressed where the focus is (the dialog itself when the focus is elsewhere), so the
// dialog manager sees it.
inline void Press(HWND dialog, UINT key) {
    HWND focus = GetFocus();
    if (!focus || (focus != dialog && !IsChild(dialog, focus))) focus = dialog;
    PostMessageW(focus, WM_KEYDOWN, key, 0);
    PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
}
inline std::u16string TextOf(HWND window) { return WindowText(window); }
inline bool Shown(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

// A message box of this thread over the dialog (class #32770, another window), or null.
inline HWND MessageBoxOver(HWND dialog) {
    struct Search {
        HWND dialog;
        HWND found;
    } search{dialog, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            wchar_t cls[16] = {};
            GetClassNameW(window, cls, 16);
            if (window != s->dialog && IsWindowVisible(window) && std::wstring(cls) == L"#32770") {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A step that waits: done once the time has passed since its first try.
inline DialogScript::Step Pause(std::chrono::milliseconds wait) {
    auto started = std::make_shared<std::chrono::steady_clock::time_point>();
    return [started, wait](HWND) {
        if (*started == std::chrono::steady_clock::time_point{}) *started = std::chrono::steady_clock::now();
        return std::chrono::steady_clock::now() - *started >= wait;
    };
}

// The dialog as the screen shows it, saved as a bitmap in TESSEL_DIALOG_SHOTS (if set).
inline void SaveScreenshot(HWND dialog, const char* name) {
    const char* folder = std::getenv("TESSEL_DIALOG_SHOTS");
    if (!folder || !*folder) return;
    std::filesystem::create_directories(folder);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const std::filesystem::path path = std::filesystem::path(folder) / (std::string(name) + ".bmp");
    e2e::SaveBitmap(e2e::CaptureWindow(dialog), path.u16string());
}

}  // namespace tessel::testing
