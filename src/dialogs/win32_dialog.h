#pragma once
// TDialog: the base of the modal dialogs. Each is a real dialog box (class #32770, run by
// DialogBoxIndirectParam), so the dialog manager gives it what users expect: Tab and Shift+Tab
// through the controls, Enter for the default button, Esc for Cancel, Alt with an underlined
// letter. The template is an empty one made in memory; the controls are created in
// WM_INITDIALOG at pixel positions, with the dialog's own font, so the layout is the same on
// every system and no resource ties the dialogs to one program file. The positions and sizes
// are pixels at 96 DPI, scaled to the resolution the dialog opens at (Scaled). Moved to a
// monitor of another resolution (WM_DPICHANGED), the dialog takes the rectangle the system
// suggests and lays its controls out again at the new resolution, in a dialog font made for it.
#include <windows.h>

#include <string>
#include <vector>

#include "win32/win32_handles.h"

namespace tessel {

class TDialog {
public:
    TDialog() = default;
    TDialog(const TDialog&) = delete;
    TDialog& operator=(const TDialog&) = delete;
    virtual ~TDialog() = default;

    // Shows the dialog modally over owner and returns its result (IDOK 1, IDCANCEL 2). Raises
    // EError with the system's reason when the dialog could not be created.
    INT_PTR ShowModal(HWND owner);
    HWND Handle() const { return hwnd_; }

protected:
    // The client size the dialog takes before it is centred on the screen (at 96 DPI).
    virtual SIZE ClientSize() const = 0;
    virtual const wchar_t* Caption() const = 0;
    // WM_INITDIALOG: create the controls (focus goes where the override put it).
    virtual void FormCreate() = 0;
    virtual void Command(int id, int code, HWND control) = 0;
    virtual LRESULT Notify(const NMHDR&) { return 0; }
    virtual void HScroll(HWND) {}
    // The close box and Esc; a dialog may refuse.
    virtual bool FormCloseQuery() { return true; }
    virtual void Paint(HDC) {}
    // WM_CTLCOLORSTATIC: a brush for a static control on a band of another colour, else null.
    virtual HBRUSH StaticBrush(HWND, HDC) { return nullptr; }
    virtual bool SetCursorFor(HWND) { return false; }
    // WM_MEASUREITEM and WM_DRAWITEM of an owner-drawn control; true when handled.
    virtual bool MeasureItem(MEASUREITEMSTRUCT&) { return false; }
    virtual bool DrawItem(const DRAWITEMSTRUCT&) { return false; }
    // After a change of resolution, once the controls are placed again in the new dialog font:
    // what a dialog made for its resolution (pictures, fonts of its own) is made again.
    virtual void DpiChanged() {}

    // A child control at 96-DPI pixel coordinates (scaled to the dialog's resolution) with the
    // dialog's font; visible unless said otherwise.
    HWND AddControl(const wchar_t* className, const std::u16string& text, DWORD style, int x, int y, int width,
                    int height, int id = 0, DWORD exStyle = 0);
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    // Moves a control made by AddControl to 96-DPI pixel coordinates, where a change of
    // resolution keeps it.
    void MoveControl(HWND control, int x, int y);
    // The resolution the dialog is laid out for (known from WM_INITDIALOG on), and a 96-DPI
    // length at it, for what is drawn or placed without AddControl.
    int Dpi() const { return dpi_; }
    int Scaled(int length) const;
    void Close(INT_PTR result) { EndDialog(hwnd_, result); }
    // The dialog manager's font, or the one made when the resolution changed.
    HFONT DialogFont() const;

private:
    // A control as AddControl made it, in 96-DPI pixels.
    struct PlacedControl {
        HWND Window;
        int X, Y, Width, Height;
    };

    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void PlaceOnScreen();
    void ChangeDpi(int dpi, const RECT& suggested);

    HWND hwnd_ = nullptr;
    int dpi_ = 96;
    std::vector<PlacedControl> placed_;
    // The dialog manager's font as it was made at openDpi_, and the font made from it for a new resolution.
    LOGFONTW openFont_{};
    int openDpi_ = 96;
    win32::FontHandle font_;
};

std::u16string WindowText(HWND window);

}  // namespace tessel
