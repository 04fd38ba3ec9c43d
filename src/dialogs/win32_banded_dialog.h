#pragma once
// What the options and account dialogs share: a white band at the top with the program's icon
// and a large product label, a band on the left with a vertical tool bar of check-style
// buttons (one per page), pages of controls that show one at a time, and a band at the bottom
// with the buttons.
#include <windows.h>

#include <string>
#include <vector>

#include "dialogs/win32_dialog.h"
#include "dialogs/win32_dialog_art.h"

namespace tessel {

class TBandedDialog : public TDialog {
public:
    static constexpr int kTopBandHeight = 48;
    static constexpr int kLeftBandWidth = 96;
    static constexpr int kBottomBandHeight = 44;
    static constexpr int kButtonWidth = 75;
    static constexpr int kButtonHeight = 25;
    static constexpr int kToolBarId = 900;
    static constexpr int kIconImageId = 901;
    static constexpr int kProductLabelId = 902;

protected:
    struct ToolButton {
        int Id;
        std::u16string Caption;
    };

    // The top band: the icon, whose hint (a tooltip) is hint, and the product label.
    void MakeTopBand(HWND mainWindow, const std::u16string& product, const std::u16string& hint);
    // The left band's tool bar, one button per page in page order.
    void MakeToolBar(const std::vector<ToolButton>& buttons, const std::vector<ToolImage>& images);
    // Controls added after this belong to that page until the next call.
    void BeginPage(int page) { building_ = page; }
    HWND AddPageControl(const wchar_t* className, const std::u16string& text, DWORD style, int x, int y, int width,
                        int height, int id = 0, DWORD exStyle = 0);
    // Shows the page's controls, hides the other page's, and presses its tool button.
    void SelectPage(int page);
    // Where the bottom band's right-hand button goes.
    int ButtonTop() const { return ClientSize().cy - kBottomBandHeight + (kBottomBandHeight - kButtonHeight) / 2; }

    void Paint(HDC dc) override;
    HBRUSH StaticBrush(HWND control, HDC dc) override;
    // The icon, the product label's font and the tool bar's images and sizes at the new resolution.
    void DpiChanged() override;

    std::vector<ToolButton> toolButtons_;

private:
    void SetTopBandArt();
    void SetToolBarArt();
    // The tool bar's font when the widest caption's letters (its blanks aside) are too wide for a
    // button of that width in the dialog font: the dialog font a pixel smaller at a time until they
    // fit, down to three quarters of its height. Empty when the dialog font will do.
    win32::FontHandle CaptionFont(int buttonWidth) const;

    HWND mainWindow_ = nullptr;
    std::vector<ToolImage> images_;
    ImageListHandle toolImages_;
    win32::BitmapHandle icon_;
    win32::FontHandle productFont_;
    win32::FontHandle captionFont_;  // the tool bar's, when the dialog font is too wide
    win32::BrushHandle white_;
    std::u16string hint_;
    std::vector<HWND> pages_[2];
    int building_ = -1;
};

}  // namespace tessel
