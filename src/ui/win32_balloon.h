#pragma once
// The balloon windows: TALHintBalloonControl shows them, TALHintBalloon is one of them. A balloon
// is a pale-yellow, always-on-top popup shaped as a rounded rectangle with an arrow at a spot of
// the screen, holding an icon, a bold title and a word-wrapped text on its content panel. It
// closes on any click and when it loses activation, and frees itself once the message that
// closed it has been handled. Layout and placement are the portable balloon_*.h.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/balloon_animation.h"
#include "ui/balloon_content.h"
#include "ui/balloon_placement.h"
#include "ui/flat_scroll_bar.h"
#include "win32/win32_handles.h"
#include "win32/win32_window.h"

namespace tessel {

class TALHintBalloon final : public win32::Window {
public:
    static constexpr const wchar_t* kClassName = L"TALHintBalloon";
    static constexpr const wchar_t* kPanelClassName = L"TALHintBalloonPanel";

    TALHintBalloon(const std::u16string& title, const std::u16string& text, std::string params);
    ~TALHintBalloon() override;

    // Every balloon alive, oldest first.
    static std::vector<TALHintBalloon*> Live();

    // Places the balloon beside the spot (x, y), or just below the pointer when there is an anchor
    // control, lays out its content for the room there and shows it. False when its windows could
    // not be made.
    bool PlaceAndShow(int x, int y, HWND anchor, int duration, int placement, TALHintBalloonAnimationType animation,
                      int animationSpeed);
    // Closes it: it is freed once the current message has been handled.
    void Close();

    const TBalloonContent& Content() const { return content_; }
    const TBalloonFrame& Frame() const { return frame_; }
    HWND Panel() const;
    // The content panel's scroll bars, their positions included; null when the content fits.
    const TFlatScrollLayout* ScrollBars() const;
    HWND HookedForm() const { return hookedForm_; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    class ContentPanel;
    void HookActiveForm();
    void UnhookForm();
    void ApplyRegions();
    void Animate(TALHintBalloonAnimationType animation, int speed);
    void PaintOutline(HDC dc);

    std::u16string title_;
    std::u16string text_;
    std::string params_;
    TBalloonContent content_;
    TBalloonFrame frame_;
    // The lengths at the resolution of the monitor the balloon opens on.
    TBalloonMetrics metrics_;
    int dpi_ = 96;
    std::unique_ptr<ContentPanel> panel_;
    HWND hookedForm_ = nullptr;
    bool closing_ = false;
};

class TALHintBalloonControl {
public:
    TALHintBalloonControl() = default;
    ~TALHintBalloonControl();
    TALHintBalloonControl(const TALHintBalloonControl&) = delete;
    TALHintBalloonControl& operator=(const TALHintBalloonControl&) = delete;

    TALHintBalloonAnimationType AnimationType = TALHintBalloonAnimationType::batBlend;
    int AnimationSpeed = 300;  // milliseconds
    int Duration = 0;          // milliseconds; 0: stays until closed

    // Kind 0 "INFO", 1 "ERROR", 2 "WARNING" icon, any other none; placement 0 to 3 (balloon_placement.h).
    // The balloon belongs to itself; null when it could not be shown.
    TALHintBalloon* ShowTextBalloon(uint8_t kind, const std::u16string& title, const std::u16string& text,
                                    int bestWidth, int x, int y, HWND anchor, uint8_t placement);
    // Frees every balloon; answers how many.
    int CloseAll();
};

}  // namespace tessel
