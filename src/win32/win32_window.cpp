#include "win32/win32_window.h"

#include <exception>

#include "base/text.h"
#include "base/text_helpers.h"
#include "win32/win32_dpi.h"
#include "win32/win32_text.h"

namespace tessel::win32 {

void ShowCurrentException(HWND owner) noexcept {
    try {
        std::u16string text = u"Unexpected error.";
        try {
            throw;
        } catch (const std::exception& e) {
            text = Utf8ToUtf16(e.what());
        } catch (...) {
        }
        ShowMessageBox(owner, text, u"Tessel Desktop", MB_OK | MB_ICONERROR);
    } catch (...) {
    }
}

int ShowMessageBox(HWND owner, std::u16string_view text, std::u16string_view caption, UINT flags) {
    return MessageBoxW(owner, W(FitMessageText(text)), W(std::u16string(caption)), flags);
}

Window::~Window() {
    if (hwnd_) {
        // The object goes first: detach it so late messages do not reach a dead object.
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

const wchar_t* Window::RegisterClassOnce(const wchar_t* className, UINT style, HICON icon, HBRUSH background) {
    WNDCLASSEXW existing{sizeof existing};
    if (GetClassInfoExW(GetModuleHandleW(nullptr), className, &existing)) return className;
    WNDCLASSEXW wc{sizeof wc};
    wc.style = style;
    wc.lpfnWndProc = &Window::Thunk;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = icon;
    wc.hIconSm = icon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    RegisterClassExW(&wc);
    return className;
}

bool Window::Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu) {
    return CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menu,
                           GetModuleHandleW(nullptr), this) != nullptr;
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) { return DefaultProc(msg, wp, lp); }

LRESULT CALLBACK Window::Thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    Window* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        SetWindowDpi(hwnd, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    try {
        return self->HandleMessage(msg, wp, lp);
    } catch (...) {
        ShowCurrentException(hwnd);
    }
    return msg == WM_CREATE ? -1 : 0;
}

}  // namespace tessel::win32
