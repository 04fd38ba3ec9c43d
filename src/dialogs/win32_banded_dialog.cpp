#include "dialogs/win32_banded_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

#include "base/text.h"
#include "win32/win32_text.h"

namespace tessel {

void TBandedDialog::MakeTopBand(HWND mainWindow, const std::u16string& product, const std::u16string& hint) {
    white_.reset(CreateSolidBrush(RGB(255, 255, 255)));
    mainWindow_ = mainWindow;
    HWND image = AddControl(L"STATIC", u"", SS_BITMAP | SS_NOTIFY, 8, 0, kTopIconSize, kTopIconSize, kIconImageId);
    // The tooltip window belongs to the dialog and goes with it.
    HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (tip) {
        hint_ = hint;
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every version of the common controls
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = Handle();
        tool.uId = reinterpret_cast<UINT_PTR>(image);
        tool.lpszText = win32::W(hint_);
        SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    AddControl(L"STATIC", product, SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE, 64, 0, ClientSize().cx - 72,
               kTopBandHeight, kProductLabelId);
    SetTopBandArt();
}

void TBandedDialog::SetTopBandArt() {
    // The control keeps showing the old picture until it has the new one.
    win32::BitmapHandle icon = TopBandIcon(mainWindow_, Dpi());
    if (icon) SendMessageW(Item(kIconImageId), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(icon.get()));
    if (icon) icon_ = std::move(icon);
    win32::FontHandle font(CreateFontW(-Scaled(27), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Arial"));
    SendMessageW(Item(kProductLabelId), WM_SETFONT, WPARAM(font.get()), FALSE);
    productFont_ = std::move(font);
}

void TBandedDialog::DpiChanged() {
    SetTopBandArt();
    SetToolBarArt();
}

void TBandedDialog::MakeToolBar(const std::vector<ToolButton>& buttons, const std::vector<ToolImage>& images) {
    toolButtons_ = buttons;
    images_ = images;
    const int height = ClientSize().cy - kTopBandHeight - kBottomBandHeight - 8;
    HWND bar = AddControl(TOOLBARCLASSNAMEW, u"",
                          TBSTYLE_FLAT | TBSTYLE_WRAPABLE | CCS_VERT | CCS_NORESIZE | CCS_NODIVIDER |
                              CCS_NOPARENTALIGN,
                          3, kTopBandHeight + 6, kLeftBandWidth - 6, height, kToolBarId);
    SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SetToolBarArt();
    SendMessageW(bar, TB_SETDRAWTEXTFLAGS, DT_END_ELLIPSIS | DT_CENTER, DT_CENTER);
    std::vector<TBBUTTON> tb(buttons.size());
    for (size_t i = 0; i < buttons.size(); ++i) {
        tb[i].iBitmap = int(i);
        tb[i].idCommand = buttons[i].Id;
        tb[i].fsState = TBSTATE_ENABLED | TBSTATE_WRAP;
        tb[i].fsStyle = BTNS_CHECKGROUP;
        // The tool bar copies the caption.
        tb[i].iString = reinterpret_cast<INT_PTR>(win32::W(toolButtons_[i].Caption));
    }
    SendMessageW(bar, TB_ADDBUTTONSW, WPARAM(tb.size()), reinterpret_cast<LPARAM>(tb.data()));
}

void TBandedDialog::SetToolBarArt() {
    HWND bar = Item(kToolBarId);
    ImageListHandle images = MakeToolImages(images_, Dpi());
    SendMessageW(bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.get()));
    toolImages_ = std::move(images);  // no longer the bar's
    const int buttonWidth = Scaled(kLeftBandWidth - 6);
    // Before the widths: a new font has the bar measure its buttons again.
    win32::FontHandle font = CaptionFont(buttonWidth);
    SendMessageW(bar, WM_SETFONT, WPARAM(font ? font.get() : DialogFont()), FALSE);
    captionFont_ = std::move(font);
    SendMessageW(bar, TB_SETBUTTONWIDTH, 0, MAKELPARAM(buttonWidth, buttonWidth));
    // The captions carry blanks of their own: little padding, and a long one is cut at both ends
    // rather than ending in an ellipsis (CaptionFont leaves only blanks to cut).
    SendMessageW(bar, TB_SETPADDING, 0, MAKELPARAM(Scaled(2), Scaled(8)));
    SendMessageW(bar, TB_AUTOSIZE, 0, 0);
}

win32::FontHandle TBandedDialog::CaptionFont(int buttonWidth) const {
    // The bar draws a caption centred in its button less an edge on either side, a pixel further
    // right while the button is checked, and clips what is wider.
    const int room = buttonWidth - 2 * GetSystemMetrics(SM_CXEDGE) - 1;
    win32::WindowDc screen(nullptr);
    const auto widest = [&](HFONT font) {
        win32::SelectGuard select(screen.get(), font);
        int widest = 0;
        for (const ToolButton& button : toolButtons_) {
            const std::u16string letters = Trim(button.Caption);
            SIZE size{};
            GetTextExtentPoint32W(screen.get(), win32::W(letters), int(letters.size()), &size);
            widest = std::max(widest, int(size.cx));
        }
        return widest;
    };
    if (widest(DialogFont()) <= room) return {};
    LOGFONTW font{};
    GetObjectW(DialogFont(), sizeof font, &font);
    const int height = std::abs(font.lfHeight);
    win32::FontHandle smaller;
    for (int h = height - 1; h >= height * 3 / 4; --h) {
        font.lfHeight = font.lfHeight < 0 ? -h : h;
        smaller.reset(CreateFontIndirectW(&font));
        if (!smaller || widest(smaller.get()) <= room) break;
    }
    return smaller;
}

HWND TBandedDialog::AddPageControl(const wchar_t* className, const std::u16string& text, DWORD style, int x, int y,
                                   int width, int height, int id, DWORD exStyle) {
    HWND control = AddControl(className, text, style, x, y, width, height, id, exStyle);
    if (building_ >= 0 && building_ < 2) pages_[building_].push_back(control);
    return control;
}

void TBandedDialog::SelectPage(int page) {
    for (int p = 0; p < 2; ++p)
        for (HWND control : pages_[p]) ShowWindow(control, p == page ? SW_SHOW : SW_HIDE);
    if (page >= 0 && size_t(page) < toolButtons_.size())
        SendMessageW(Item(kToolBarId), TB_CHECKBUTTON, toolButtons_[size_t(page)].Id, TRUE);
}

void TBandedDialog::Paint(HDC dc) {
    const SIZE size{Scaled(ClientSize().cx), Scaled(ClientSize().cy)};
    const int topBand = Scaled(kTopBandHeight), bottomBand = Scaled(kBottomBandHeight);
    RECT top{0, 0, size.cx, topBand};
    FillRect(dc, &top, white_ ? white_.get() : GetSysColorBrush(COLOR_WINDOW));
    RECT edge{0, topBand, size.cx, topBand + 2};
    DrawEdge(dc, &edge, EDGE_ETCHED, BF_TOP);
    // The left band is framed like a sunken panel; the bottom band is set off by an etched line.
    RECT left{Scaled(2), topBand + Scaled(4), Scaled(kLeftBandWidth), size.cy - bottomBand};
    DrawEdge(dc, &left, BDR_SUNKENOUTER, BF_RECT);
    RECT bottom{0, size.cy - bottomBand, size.cx, size.cy - bottomBand + 2};
    DrawEdge(dc, &bottom, EDGE_ETCHED, BF_TOP);
}

HBRUSH TBandedDialog::StaticBrush(HWND control, HDC dc) {
    const int id = GetDlgCtrlID(control);
    if (id != kIconImageId && id != kProductLabelId) return nullptr;
    SetBkColor(dc, RGB(255, 255, 255));
    SetTextColor(dc, RGB(0, 0, 0));
    return white_.get();
}

}  // namespace tessel
