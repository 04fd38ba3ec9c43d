#pragma once
// TEventFm: the event list window beside the month grid. A borderless, layered tool window
// skinned by its own resizable skin; under its title bar ("Events", the menu area, the close
// image) it lists the events of one day as rounded rows in their calendars' colours below the
// day's date, and at its foot names the next event and counts down to it during the 48 hours
// before it starts. A double click on a row opens the event's page, signed in, in the browser.
// The main window creates it after start-up, feeds it and owns it; what it shows is worked out
// in event_list.h.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "calendar/event.h"
#include "ui/event_list.h"
#include "ui/label.h"
#include "ui/theme.h"
#include "ui/win32_event_grid.h"
#include "win32/win32_handles.h"
#include "win32/win32_window.h"

namespace tessel {

class IClock;
class ILocaleFormat;
class IUrlOpener;
class TAccount;
class TEventSources;
class TProfile;
class TSkin;
class TTheme;
struct ServiceHosts;

// The process-wide objects the window works with; they outlive it.
struct EventFormServices {
    TProfile& Profile;
    TAccount& Account;
    TEventSources& Sources;
    TTheme& Theme;
    TSkin& EventSkin;
    const IClock& Clock;
    const ServiceHosts& Hosts;
    IUrlOpener& Browser;
};

class TEventFm final : public win32::Window {
public:
    static constexpr const wchar_t* kClassName = L"TEventFm";
    // The window's size when no size is stored, at 96 DPI (every length here is, and is scaled
    // to the window's resolution).
    static constexpr int kDesignWidth = 192;
    static constexpr int kDesignHeight = 181;

    // mainWindow: the calendar window, whose top a stored top of 0 takes.
    TEventFm(const EventFormServices& services, HWND mainWindow);
    ~TEventFm() override;

    // Creates the window hidden, skins and places it, and shows it when ShowFlag is on. Raises a
    // system error when the window cannot be created.
    void FormCreate();
    // Reads eventwindow/left, top, height, width and visible and the transparency and applies
    // them. A stored value that is not an integer is reported in a message box; the values read
    // before it are applied, the others keep their defaults, so the window still comes up.
    void LoadPosition();
    // Writes the window's left, top, height and width into the settings (its end does too).
    void StorePlace();
    // The events of the day.
    void ShowDay(const EventList& events, TDateTime date);
    // The next event from the client: its title and countdown at the foot once it is less than
    // 48 hours away.
    void UpdateNextEvent();
    void RefreshCountdown();

    // Closing hides the window and clears ShowFlag.
    void FormClose();
    // Shows the window without taking the focus from the user's window.
    void ShowForm();

    // Whether the window is meant to be visible.
    bool ShowFlag = true;
    // The main window's menu at the pointer.
    std::function<void()> OnMainMenu;
    // The main window's next reminder moment.
    std::function<TDateTime()> NextAlertTime;
    // How LoadPosition reports a stored value it cannot read; a message box unless replaced.
    std::function<void(const std::string& message)> ReportError;

    const std::vector<TShownRow>& ShownRows() const { return shownRows_; }
    const TEventGrid& Grid() const { return grid_; }
    HWND CountdownHandle() const;
    HWND NextTitleHandle() const;
    // Opens the selected row's event (double click, "View/Edit Event").
    void EventGridDblClick();
    // The resolution the window is laid out for, and a 96-DPI length at it.
    int Dpi() const { return dpi_; }
    int Scaled(int length) const;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    class TitleBar;
    class ContentPanel;

    void CreateLabels();
    void PlaceTitleLabels();
    // The window moved to a monitor of another resolution: laid out again at the suggested place.
    void DpiChanged(int dpi, const RECT& suggested);
    // The theme's fonts at the window's resolution, which the heading and the rows are laid out with.
    void MeasureFonts();
    void FormResize();
    int GridClientWidth() const;
    void FormDestroy();
    void LayoutContent();
    void EventGridDrawCell(HDC dc, int row, const RECT& rect);
    void DrawEventRow(HDC dc, int row, const RECT& rect);
    void ShowPopupMenu();
    void DrawCountdownLabel(ICanvas& canvas, const TRect& rect);
    void DescribeRows();
    void ShowMainMenu();
    void DragWindow();

    EventFormServices services_;
    HWND mainWindow_;
    std::unique_ptr<ILocaleFormat> locale_;
    std::unique_ptr<TitleBar> titleBar_;
    std::unique_ptr<ContentPanel> bkPanel_;
    TEventGrid grid_;
    TCLabel dateLabel_;
    TCLabel eventsLabel_;
    TCLabel nextLabel_;
    TCLabel nextTitleLabel_;
    TCLabel countdownLabel_;
    win32::MenuHandle popupMenu1_;
    std::vector<TShownRow> shownRows_;
    TDateTime shownDate_ = 0;
    TDateTime nextTime_ = 0;
    bool destroyed_ = false;
    int dpi_ = 96;
    TThemeFonts fonts_;
};

}  // namespace tessel
