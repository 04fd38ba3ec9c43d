#pragma once
// Hints over parts of a window: the system's tooltip control with one tool per rectangle of the
// window's client area. The control watches the window's mouse messages itself, and shows its
// hints whether or not the window is active, as the calendar's windows never are.
//
// The control is made when the pointer first moves over the window, not with the window: it
// lives in the common controls' library, which a start that is never hovered need not load.
#include <windows.h>

#include <string>
#include <vector>

namespace tessel {

class TToolTips {
public:
    TToolTips() = default;
    ~TToolTips();
    TToolTips(const TToolTips&) = delete;
    TToolTips& operator=(const TToolTips&) = delete;

    // The hints are for this window; the control is made on its first PointerMoved.
    void Create(HWND window);
    // Adds the tool with this id, or moves it and sets its text when it is there already; the
    // rectangle is in the window's client coordinates.
    void SetTool(UINT id, const RECT& rect, const std::u16string& text);
    // The window's WM_MOUSEMOVE: makes the control, with the tools set so far, the first time,
    // and hands it this move, so that the first hint comes as any other does. Later moves reach
    // the control by itself. Without the control (it could not be made) the hints are left out.
    void PointerMoved(WPARAM wp, LPARAM lp);

private:
    struct Tool {
        UINT id;
        RECT rect;
        std::u16string text;
    };
    void Send(const Tool& tool);

    HWND window_ = nullptr;
    HWND tip_ = nullptr;
    bool tried_ = false;
    std::vector<Tool> tools_;
};

}  // namespace tessel
