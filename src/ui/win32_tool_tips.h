#pragma once
// Hints over parts of a window: the system's tooltip control with one tool per rectangle of the
// window's client area. The control watches the window's mouse messages itself, and shows its
// hints whether or not the window is active, as the calendar's windows never are.
#include <windows.h>

#include <string>

namespace tessel {

class TToolTips {
public:
    TToolTips() = default;
    ~TToolTips();
    TToolTips(const TToolTips&) = delete;
    TToolTips& operator=(const TToolTips&) = delete;

    // Makes the control for the window; without it (it could not be made) the hints are left out.
    void Create(HWND window);
    // Adds the tool with this id, or moves it and sets its text when it is there already; the
    // rectangle is in the window's client coordinates.
    void SetTool(UINT id, const RECT& rect, const std::u16string& text);

private:
    HWND window_ = nullptr;
    HWND tip_ = nullptr;
};

}  // namespace tessel
