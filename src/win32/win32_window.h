#pragma once
// The one entry point of every window: a thunk that finds the C++ object (stored at
// WM_NCCREATE in GWLP_USERDATA, cleared at WM_NCDESTROY) and is the only place an exception can
// stop. Handlers that throw get a message box with the error's text, as the program reports
// every unexpected error.
#include <windows.h>

#include <string>
#include <string_view>

namespace tessel::win32 {

// Shows the current exception's text in a message box owned by hwnd. Never throws.
void ShowCurrentException(HWND owner) noexcept;

// MessageBoxW with the text fitted to the screen (FitMessageText): a long address or file name
// cannot make the box wider or taller than the monitor and put its buttons out of reach.
int ShowMessageBox(HWND owner, std::u16string_view text, std::u16string_view caption, UINT flags);

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const { return hwnd_; }

    // Registers the class once per process; returns the atom's name for CreateWindowExW.
    static const wchar_t* RegisterClassOnce(const wchar_t* className, UINT style, HICON icon = nullptr,
                                            HBRUSH background = nullptr);

protected:
    // Creates the window with this object attached; false when CreateWindowExW failed, and
    // GetLastError then holds why (RaiseLastSystemError in base/win32_system_error.h says it).
    bool Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y, int width,
                int height, HWND parent, HMENU menu = nullptr);

    // Messages not handled go to DefaultProc.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

private:
    static LRESULT CALLBACK Thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    HWND hwnd_ = nullptr;
};

}  // namespace tessel::win32
