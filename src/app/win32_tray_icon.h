#pragma once
// The notification-area icon: added with the main window's handle, balloons for today's
// summary and reminders, clicks and a one-second hover poll that shows today's events.
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "app/tray_logic.h"
#include "app/tray_owner.h"
#include "calendar/balloon_sink.h"
#include "win32/win32_window.h"

namespace tessel {

class TTrayIcon final : public IBalloonSink {
public:
    static constexpr UINT kCallbackMessage = 0x3402;

    // The owner (the main window) is made after the icon; until SetOwner the icon ignores clicks.
    explicit TTrayIcon(ITrayOwner* owner = nullptr);
    ~TTrayIcon() override;
    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    // NIM_ADD with the main window as the callback window; false when the shell refused.
    void SetOwner(ITrayOwner* owner) { owner_ = owner; }
    bool AddIcon(HWND window);
    // NIM_DELETE; safe to call twice.
    void DeleteIcon();

    // Timeout in tenths of a second.
    void ShowBalloon(const std::u16string& text, const std::u16string& title, int timeoutTenths) override;

    // The main window hands every kCallbackMessage here; the mouse event is in lParam.
    void HandleMessage(LPARAM lp);

    int ShownCount() const { return hover_.ShownCount; }
    const NOTIFYICONDATAW& TrayData() const { return data_; }

private:
    class TimerWindow;
    void StartHover();
    void HoverTick();

    ITrayOwner* owner_;
    NOTIFYICONDATAW data_{};
    HICON icon_ = nullptr;  // a shared resource icon (LR_SHARED): not destroyed
    bool added_ = false;
    TrayHover hover_;
    RECT hoverRect_{};
    std::unique_ptr<TimerWindow> timer_;
};

}  // namespace tessel
