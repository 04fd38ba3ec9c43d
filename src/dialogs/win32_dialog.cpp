#include "dialogs/win32_dialog.h"

#include <commctrl.h>

#include "base/text.h"
#include "base/win32_system_error.h"
#include "ui/dpi_scale.h"
#include "win32/win32_dpi.h"
#include "win32/win32_text.h"
#include "win32/win32_window.h"

namespace tessel {

namespace {

// DLGTEMPLATE, no controls, then the menu, class and title arrays (all empty) and, for
// DS_SETFONT, the point size and face. DWORD-aligned, as the dialog manager requires.
std::vector<DWORD> EmptyTemplate() {
    std::vector<WORD> words;
    const DWORD style = DS_SETFONT | DS_MODALFRAME | DS_3DLOOK | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    words.push_back(LOWORD(style));
    words.push_back(HIWORD(style));
    words.push_back(0);  // extended style
    words.push_back(0);
    words.push_back(0);  // no items
    for (int i = 0; i < 4; ++i) words.push_back(0);  // x, y, cx, cy: placed in WM_INITDIALOG
    words.push_back(0);  // menu
    words.push_back(0);  // class
    words.push_back(0);  // title
    words.push_back(8);  // point size
    for (const wchar_t* c = L"MS Shell Dlg"; *c; ++c) words.push_back(WORD(*c));
    words.push_back(0);
    std::vector<DWORD> aligned((words.size() + 1) / 2, 0);
    std::copy(words.begin(), words.end(), reinterpret_cast<WORD*>(aligned.data()));
    return aligned;
}

void InitCommonControlsOnce() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS |
                                                   ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
        return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)done;
}

}  // namespace

std::u16string WindowText(HWND window) {
    std::u16string text(size_t(GetWindowTextLengthW(window)) + 1, u'\0');
    text.resize(size_t(GetWindowTextW(window, win32::W(text), int(text.size()))));
    return text;
}

INT_PTR TDialog::ShowModal(HWND owner) {
    InitCommonControlsOnce();
    const std::vector<DWORD> tmpl = EmptyTemplate();
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                                   reinterpret_cast<const DLGTEMPLATE*>(tmpl.data()), owner,
                                                   &TDialog::Proc, reinterpret_cast<LPARAM>(this));
    // A menu command that opens nothing would leave the user guessing; the caller's handler
    // shows the reason. No dialog here ends itself with -1.
    if (result == -1)
        RaiseLastSystemError("The dialog \"" + Utf16ToUtf8(win32::FromW(Caption())) + "\" could not be opened");
    return result;
}

HWND TDialog::AddControl(const wchar_t* className, const std::u16string& text, DWORD style, int x, int y, int width,
                         int height, int id, DWORD exStyle) {
    HWND control = CreateWindowExW(exStyle, className, win32::W(text), WS_CHILD | WS_VISIBLE | style, Scaled(x),
                                   Scaled(y), Scaled(width), Scaled(height), hwnd_, reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr),
                                   nullptr);
    if (control) {
        SendMessageW(control, WM_SETFONT, WPARAM(DialogFont()), FALSE);
        placed_.push_back(PlacedControl{control, x, y, width, height});
    }
    return control;
}

void TDialog::MoveControl(HWND control, int x, int y) {
    for (PlacedControl& placed : placed_) {
        if (placed.Window != control) continue;
        placed.X = x;
        placed.Y = y;
    }
    SetWindowPos(control, nullptr, Scaled(x), Scaled(y), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT TDialog::DialogFont() const {
    return font_ ? font_.get() : reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
}

void TDialog::ChangeDpi(int dpi, const RECT& suggested) {
    dpi = UsableDpi(dpi);
    if (!font_) {
        GetObjectW(DialogFont(), sizeof openFont_, &openFont_);
        openDpi_ = dpi_;
    }
    dpi_ = dpi;
    win32::SetWindowDpi(hwnd_, dpi_);
    LOGFONTW scaled = openFont_;
    scaled.lfHeight = MulDiv(openFont_.lfHeight, dpi_, openDpi_);
    win32::FontHandle font(CreateFontIndirectW(&scaled));
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    for (const PlacedControl& c : placed_) {
        if (font) SendMessageW(c.Window, WM_SETFONT, WPARAM(font.get()), FALSE);
        // An up-down control places itself beside its buddy, below.
        if (c.Width == 0 && c.Height == 0) continue;
        SetWindowPos(c.Window, nullptr, Scaled(c.X), Scaled(c.Y), Scaled(c.Width), Scaled(c.Height),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The old font goes once no control uses it any more.
    if (font) font_ = std::move(font);
    for (const PlacedControl& c : placed_) {
        wchar_t cls[32] = {};
        GetClassNameW(c.Window, cls, 32);
        if (lstrcmpiW(cls, UPDOWN_CLASSW) == 0)
            SendMessageW(c.Window, UDM_SETBUDDY, SendMessageW(c.Window, UDM_GETBUDDY, 0, 0), 0);
    }
    DpiChanged();
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

int TDialog::Scaled(int length) const { return ScaleToDpi(length, dpi_); }

void TDialog::PlaceOnScreen() {
    const SIZE client = ClientSize();
    RECT r{0, 0, Scaled(client.cx), Scaled(client.cy)};
    AdjustWindowRectEx(&r, DWORD(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                       DWORD(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    const int width = r.right - r.left, height = r.bottom - r.top;
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK TDialog::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    TDialog* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<TDialog*>(lp);
        self->hwnd_ = hwnd;
        self->dpi_ = UsableDpi(win32::WindowDpi(hwnd));
        win32::SetWindowDpi(hwnd, self->dpi_);
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
    } else {
        self = reinterpret_cast<TDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;
    if (msg == WM_NCDESTROY) {
        win32::SetWindowDpi(hwnd, 0);
        self->hwnd_ = nullptr;
        self->placed_.clear();
        return FALSE;
    }
    try {
        return self->HandleMessage(msg, wp, lp);
    } catch (...) {
        win32::ShowCurrentException(hwnd);
    }
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

INT_PTR TDialog::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowTextW(hwnd_, Caption());
        PlaceOnScreen();
        FormCreate();
        // FALSE: the focus stays where FormCreate put it.
        return GetFocus() ? FALSE : TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDCANCEL && !FormCloseQuery()) return TRUE;  // Esc and Cancel refused
        Command(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
        return TRUE;
    case WM_CLOSE:
        // The close box: the same as Cancel, and as refusable.
        if (FormCloseQuery()) Command(IDCANCEL, BN_CLICKED, nullptr);
        return TRUE;
    case WM_NOTIFY:
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, Notify(*reinterpret_cast<const NMHDR*>(lp)));
        return TRUE;
    case WM_HSCROLL:
        HScroll(reinterpret_cast<HWND>(lp));
        return TRUE;
    case WM_PAINT: {
        win32::PaintDc paint(hwnd_);
        Paint(paint.get());
        return TRUE;
    }
    case WM_DPICHANGED:
        ChangeDpi(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        if (HBRUSH brush = StaticBrush(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp)))
            return reinterpret_cast<INT_PTR>(brush);
        return FALSE;
    case WM_SETCURSOR:
        if (SetCursorFor(reinterpret_cast<HWND>(wp))) {
            SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    case WM_MEASUREITEM:
        if (!MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lp))) return FALSE;
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_DRAWITEM:
        if (!DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp))) return FALSE;
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace tessel
