#pragma once
// msgpanel with msglabel: a bordered panel over the month grid that shows the sync's status
// texts, word-wrapped. Hidden until a sync reports; the main window places, shows and hides it.
#include <windows.h>

#include <string>

#include "win32/win32_window.h"

namespace tessel {

class TStatusPanel final : public win32::Window {
public:
    // At 96 DPI; the panel scales them to its window's resolution.
    static constexpr int kWidth = 169;
    static constexpr int kHeight = 73;
    static constexpr int kTop = 48;

    // kWidth at the panel's resolution.
    int Width() const;

    bool Make(HWND parent);
    void SetText(const std::u16string& text);
    // Shows the panel at left, above the grid, without taking the focus, and paints it at once.
    void ShowAt(int left);
    void Hide();

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Paint();
    int Scaled(int length) const;

    std::u16string text_;
};

}  // namespace tessel
