#pragma once
// A dialog's message panel (msgpanel with msglabel): a bordered panel floating over the dialog's
// controls with a word-wrapped text 10 pixels from its top, the panel as high as the text and
// 20 pixels. The text is also the window's text, where tests and screen readers look for it.
#include <windows.h>

#include <string>

#include "win32/win32_window.h"

namespace tessel {

class TMessagePanel final : public win32::Window {
public:
    // place: left, top, width and the height it has before a text is shown, at 96 DPI; border:
    // the label's margin at the left and right; dpi: the dialog's resolution they are scaled to;
    // font: the dialog's.
    bool Make(HWND parent, int id, int dpi, RECT place, int border, HFONT font);
    // The dialog moved to another resolution: the panel is laid out again in its new font.
    void Rescale(int dpi, HFONT font);
    // Sets the text (lines broken by CR or CR LF) and shows or hides the panel.
    void Show(const std::u16string& text, bool visible);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    int Scaled(int length) const;
    int LabelWidth() const;
    HFONT Font() const { return font_; }

    std::u16string text_;
    RECT place_{};
    int border_ = 8;
    int dpi_ = 96;
    HFONT font_ = nullptr;  // the dialog's
};

}  // namespace tessel
