#pragma once
// The main window's title bar: the top band of the skin with the month's name (MonthTitle, a
// label centred on the bar) and four images drawn on the window itself: menu and previous month
// at the left, next month and close at the right. The bar is not a window of its own; the main
// window hands it its paint and its mouse buttons, and it answers with the actions below. Left
// presses outside the images, and on the month's name, drag the window.
#include <windows.h>

#include <functional>
#include <string>

#include "app/title_bar_layout.h"
#include "ui/label.h"
#include "ui/win32_tool_tips.h"

namespace tessel {

class TSkin;
class TTheme;

class TTitleBar {
public:
    TTitleBar(const TTheme& theme, const TSkin& skin);

    std::function<void()> OnMenu;
    std::function<void()> OnPreviousMonth;
    std::function<void()> OnNextMonth;
    std::function<void()> OnClose;

    // Makes MonthTitle on the window, in the theme's DateFont (after the skin is applied).
    void Create(HWND window);
    // The month's name and year, centred on the bar of the window's present width.
    void SetTitle(const std::u16string& title);

    void Paint(HDC dc) const;
    void MouseDown(int x, int y);
    void MouseUp(bool rightButton, int x, int y);
    // The window's WM_MOUSEMOVE, for the buttons' hints.
    void PointerMoved(WPARAM wp, LPARAM lp) { hints_.PointerMoved(wp, lp); }
    // The window's size or the skin changed: the images' hints follow them.
    void Resized();
    // The window's resolution changed: the month's name is measured again in its font.
    void Refont();
    // Shows the hand over the images that act on a click; false elsewhere, where the window's
    // own cursor stays.
    bool SetCursorAt(int x, int y) const;

private:
    TitleBarLayout Layout() const;
    void Act(TitleAction action);
    void DragWindow() const;

    const TTheme& theme_;
    const TSkin& skin_;
    HWND window_ = nullptr;
    TCLabel monthTitle_;
    TitleBarClicks clicks_;
    TToolTips hints_;
};

}  // namespace tessel
