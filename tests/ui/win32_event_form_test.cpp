#include "ui/win32_event_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/text.h"
#include "calendar/account.h"
#include "calendar/balloon_sink.h"
#include "calendar/calendar.h"
#include "calendar/event_sources.h"
#include "calendar/subscriptions.h"
#include "calendar/http.h"
#include "calendar/locale_format.h"
#include "support/temp_folder.h"
#include "calendar/service_hosts.h"
#include "ui/profile.h"
#include "ui/skin.h"
#include "ui/theme.h"
#include "win32/win32_dpi.h"
#include "ui/url_opener.h"
#include "ui/web_links.h"
#include "ui/win32_drawing.h"
#include "ui/win32_text_measure.h"
#include "win32/win32_dib.h"
#include "win32/win32_text.h"

// The event list window on real windows under Wine, with the default theme: the pixels of a
// drawn row and of the countdown, the scroll bar, a resize, the stored place, and the address
// a double click opens (recorded instead of opened).

namespace tessel {
namespace {

constexpr TColor kRed = 0x0000C0;
constexpr TColor kGreen = 0x00A000;

class NoBalloons final : public IBalloonSink {
public:
    void ShowBalloon(const std::u16string&, const std::u16string&, int) override {}
};

class RecordingBrowser final : public IUrlOpener {
public:
    void Open(const std::string& url) override { opened.push_back(url); }
    std::vector<std::string> opened;
};

// A 32-bit top-down DIB with its own memory DC.
class Pixels {
public:
    Pixels(int width, int height) : width_(width), height_(height) {
        bitmap_ = win32::CreateTopDownDib(width, height, reinterpret_cast<void**>(&bits_));
        dc_.reset(CreateCompatibleDC(nullptr));
        old_ = SelectObject(dc_.get(), bitmap_.get());
    }
    ~Pixels() { SelectObject(dc_.get(), old_); }
    HDC Dc() const { return dc_.get(); }
    TColor At(int x, int y) const {
        GdiFlush();
        const uint8_t* p = bits_ + (size_t(y) * size_t(width_) + size_t(x)) * 4;
        return TColor(p[2]) | TColor(p[1]) << 8 | TColor(p[0]) << 16;
    }
    // The share of the rectangle's pixels in exactly this colour.
    double Share(const RECT& r, TColor color) const {
        int same = 0, all = 0;
        for (int y = std::max(0, int(r.top)); y < std::min(height_, int(r.bottom)); ++y)
            for (int x = std::max(0, int(r.left)); x < std::min(width_, int(r.right)); ++x, ++all) same += At(x, y) == color;
        return all ? double(same) / all : 0;
    }
    int CountDark() const {
        int dark = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) dark += (At(x, y) & 0xC0C0C0) == 0;
        return dark;
    }

private:
    int width_, height_;
    uint8_t* bits_ = nullptr;
    win32::BitmapHandle bitmap_;
    win32::MemoryDc dc_;
    HGDIOBJ old_ = nullptr;
};

class Win32EventForm : public ::testing::Test {
protected:
    void SetUp() override {
        InitWideDrawing();
        theme.ThemeRoot = Utf8ToUtf16(std::string(TESSEL_SOURCE_DIR) + "/themes/");
        theme.Load();
        win32::WindowDc screen(nullptr);
        TDcCanvas canvas(screen.get());
        theme.Measure(canvas);
        account.SetCredentials("ana@example.org", "a&b #c");
        hosts.Service = "127.0.0.1:8443";
        profile.Doc.LoadFromText(uR"(<p><window transparency="100"/>
            <eventwindow left="30" top="40" height="250" width="220" visible="1"/></p>)");
        profile.Transparency = 100;
    }

    void Create() {
        form = std::make_unique<TEventFm>(
            EventFormServices{profile, account, sources, theme, skin, clock, hosts, browser}, nullptr);
        form->ReportError = [this](const std::string& message) { errors.push_back(message); };
        form->FormCreate();
    }

    static Tevent Event(TDateTime start, double hours, std::u16string title, TColor color) {
        Tevent e;
        e.StartTime = start;
        e.EndTime = start + hours / 24;
        e.Color = color;
        e.Texts = TeventTexts(FormatIsoDateTime(start), title, "http://127.0.0.1:8443/event?eid=" + Narrow(title));
        return e;
    }
    void AddEvent(const Tevent& e) { sources.Events.push_back(EventItem{e}); }

    // The list drawn as its window would be, twice, so grown rows are drawn at their height.
    Pixels& PaintList() {
        const TEventGrid& grid = form->Grid();
        RECT client{};
        GetClientRect(grid.Handle(), &client);
        list = std::make_unique<Pixels>(client.right, client.bottom);
        for (int pass = 0; pass < 2; ++pass) {
            const_cast<TEventGrid&>(grid).PaintRows(list->Dc(), client.right, client.bottom);
            UpdateWindow(grid.Handle());
        }
        return *list;
    }

    const TDateTime day = EncodeDate(2010, 1, 13);
    FixedClock clock{EncodeDateTime(2010, 1, 13, 11, 30)};
    DefaultLocaleFormat locale;
    NoBalloons balloons;
    THttp http;
    ServiceHosts hosts;
    testing::TempFolder folder;
    TAccount account{folder.Folder()};
    TCalendar calendar{http, &account, clock, hosts, folder.Folder(), 0};
    TSubscriptions subscriptions{folder.Folder()};
    TEventSources sources{calendar, account, subscriptions, http, clock, locale, balloons, folder.Folder()};
    TProfile profile{folder.Folder()};
    TTheme theme;
    TSkin skin;
    RecordingBrowser browser;
    std::vector<std::string> errors;
    std::unique_ptr<TEventFm> form;
    std::unique_ptr<Pixels> list;
};

TEST_F(Win32EventForm, RowsAreDrawnInTheirColoursLongTitlesGrowAndASyncLeavesThemUndrawn) {
    AddEvent(Event(day + 9.0 / 24, 1, u"Shopping", kRed));
    AddEvent(Event(day + 9.5 / 24, 1, u"Birthday party with Zo\u00eb, bring jolly gifts", kGreen));
    std::u16string longTitle;
    for (int i = 0; i < 1000; ++i) longTitle += u"gypsy ";  // six thousand characters
    AddEvent(Event(day + 10.0 / 24, 1, longTitle, kGreen));
    Create();
    form->ShowDay(sources.Events, day + 0.5);
    ASSERT_EQ(form->ShownRows().size(), 3u);

    const Pixels& pixels = PaintList();
    const TEventGrid& grid = form->Grid();
    EXPECT_GT(grid.RowHeight(2), 3 * grid.DefaultRowHeight()) << "the long title's row did not grow";
    EXPECT_GT(grid.RowHeight(1), grid.DefaultRowHeight()) << "the two-line title's row did not grow";
    EXPECT_EQ(grid.RowHeight(0), grid.DefaultRowHeight());
    // The rows on screen show their whole text: the last line's descenders and their shadow end
    // above the row's padding, whatever font the system drew with.
    for (int row = 0; row < 2; ++row) {
        const RECT cell = grid.CellRect(row);
        int lowestInk = -1;
        for (int y = cell.top; y < cell.bottom; ++y)
            for (int x = cell.left; x < cell.right; ++x)
                if ((pixels.At(x, y) & 0xC0C0C0) == 0) lowestInk = y;
        EXPECT_GT(lowestInk, cell.top) << "row " << row << " shows no text";
        EXPECT_LT(lowestInk, cell.bottom - 2) << "row " << row << "'s last line is cut";
    }
    // Each row is filled with its calendar's colour around the white text; left of the rows the
    // list's own colour shows.
    const RECT first = grid.CellRect(0), second = grid.CellRect(2);
    EXPECT_GT(pixels.Share(first, kRed), 0.4);
    EXPECT_GT(pixels.Share(second, kGreen), 0.3);
    EXPECT_EQ(pixels.Share(second, kRed), 0.0);
    EXPECT_EQ(pixels.At(1, first.top + 8), TColor(TEventGrid::kBackground));

    sources.Syncing = true;
    EXPECT_EQ(PaintList().Share(first, kRed), 0.0);
}

TEST_F(Win32EventForm, ScrollBarComesWhenTheDaysRowsOverflow) {
    Create();
    for (int i = 0; i < 500; ++i) AddEvent(Event(day + (8 + i / 60.0) / 24, 0.5, u"Busy", kRed));
    form->ShowDay(sources.Events, day);
    PaintList();
    EXPECT_EQ(form->Grid().RowCount(), 500);
    EXPECT_TRUE(form->Grid().ScrollBarShown());
    SendMessageW(form->Grid().Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_GT(form->Grid().TopRow(), 0);

    form->ShowDay(sources.Events, day + 1);
    PaintList();
    EXPECT_EQ(form->Grid().RowCount(), 1) << "an empty day keeps one blank row";
    EXPECT_FALSE(form->Grid().ScrollBarShown());
}

TEST_F(Win32EventForm, CountdownShowsFiguresUnder48HoursAndNoEventBeyond) {
    AddEvent(Event(clock.Now() + (2 * 60 + 5) * kOneMinute, 1, u"Dentist", kRed));
    sources.NextIndex = 0;
    Create();
    HWND countdown = form->CountdownHandle();
    EXPECT_FALSE(IsWindowVisible(countdown)) << "the foot shows only \"Next Event :\" at first";

    form->UpdateNextEvent();
    ASSERT_TRUE(IsWindowVisible(countdown));
    EXPECT_TRUE(IsWindowVisible(form->NextTitleHandle()));
    wchar_t text[64] = {};
    GetWindowTextW(countdown, text, 64);
    EXPECT_EQ(win32::FromW(text), u"2 hours  5 minutes");
    RECT r{};
    GetClientRect(countdown, &r);
    Pixels drawn(r.right, r.bottom);
    SendMessageW(countdown, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(drawn.Dc()), PRF_CLIENT);
    EXPECT_GT(drawn.CountDark(), 40) << "no figures drawn in black";
    EXPECT_EQ(drawn.At(2, r.bottom / 2), TColor(0xFFFFFF)) << "the countdown's box is white";

    clock.Advance(-47 * 60 * kOneMinute);  // now 49 hours 5 minutes before the event
    form->RefreshCountdown();
    Pixels none(r.right, r.bottom);
    SendMessageW(countdown, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(none.Dc()), PRF_CLIENT);
    EXPECT_EQ(none.CountDark(), 0);
    GetWindowTextW(form->NextTitleHandle(), text, 64);
    EXPECT_EQ(win32::FromW(text), u"No Event");
    EXPECT_TRUE(IsWindowVisible(countdown)) << "once shown, the countdown stays";
}

TEST_F(Win32EventForm, StoredPlaceIsAppliedFollowedByAResizeAndWrittenBack) {
    Create();
    RECT r{};
    GetWindowRect(form->Handle(), &r);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.right - r.left, 220);
    EXPECT_EQ(r.bottom - r.top, 250);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));

    // What the bottom grip's size loop ends with: a taller window, the list taking the height.
    RECT listBefore{}, countdownBefore{};
    GetWindowRect(form->Grid().Handle(), &listBefore);
    GetWindowRect(form->CountdownHandle(), &countdownBefore);
    SetWindowPos(form->Handle(), nullptr, 0, 0, 220, 330, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT listAfter{}, countdownAfter{};
    GetWindowRect(form->Grid().Handle(), &listAfter);
    GetWindowRect(form->CountdownHandle(), &countdownAfter);
    EXPECT_EQ(listAfter.bottom - listAfter.top, listBefore.bottom - listBefore.top + 80);
    EXPECT_EQ(countdownAfter.top, countdownBefore.top + 80) << "the foot stays at the bottom";
    MINMAXINFO limits{};
    SendMessageW(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.y, kEventWindowMinHeight);

    form.reset();
    EXPECT_EQ(profile.Doc.ReadValue(u"eventwindow/height"), u"330");
    EXPECT_EQ(profile.Doc.ReadValue(u"eventwindow/width"), u"220");
    EXPECT_EQ(profile.Doc.ReadValue(u"eventwindow/left"), u"30");
}

// Moved to a monitor at 144 DPI: the window takes the rectangle the system suggests, its skin and
// its title bar grow 1.5 times, the foot and the list are laid out again, and the stored place is
// the rectangle as the system reports it. Back at 96 DPI everything is as before.
TEST_F(Win32EventForm, ADpiChangeLaysTheWindowOutAgainAtTheSuggestedRectangle) {
    AddEvent(Event(day + 9.0 / 24, 1, u"Review", kRed));
    Create();
    form->ShowDay(calendar.Events, day);
    const auto rectOf = [](HWND window) {
        RECT r{};
        GetWindowRect(window, &r);
        return r;
    };
    HWND title = FindWindowExW(form->Handle(), nullptr, L"TesselEventTitle", nullptr);
    HWND panel = FindWindowExW(form->Handle(), nullptr, L"TesselEventPanel", nullptr);
    HWND heading = FindWindowExW(panel, nullptr, L"TesselCLabel", L"Wednesday, January 13");
    ASSERT_TRUE(title && heading);
    const RECT titleAt96 = rectOf(title), countdownAt96 = rectOf(form->CountdownHandle());
    const RECT headingAt96 = rectOf(heading);
    const int rowAt96 = form->Grid().DefaultRowHeight();
    // The heading's text as wide as a font made at the resolution draws it.
    const auto textWidthAt = [&](int dpi) {
        win32::WindowDc screen(nullptr);
        TDcCanvas canvas(screen.get(), dpi);
        TTheme::ApplyFont(canvas.Font(), theme.DateFont);
        return canvas.TextWidth(u"Wednesday, January 13");
    };
    struct Case {
        int dpi;
        RECT suggested;
        int titleHeight, skinTop, minHeight;
    };
    const Case cases[] = {
        {144, RECT{45, 60, 45 + 330, 60 + 375}, 36, 39, 180},
        {96, RECT{30, 40, 30 + 220, 40 + 250}, 24, 26, 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(c.dpi, c.dpi), reinterpret_cast<LPARAM>(&c.suggested));
        EXPECT_EQ(form->Dpi(), c.dpi);
        const RECT window = rectOf(form->Handle());
        EXPECT_TRUE(EqualRect(&window, &c.suggested));
        EXPECT_EQ(rectOf(title).bottom - rectOf(title).top, c.titleHeight);
        EXPECT_EQ(skin.TopLength(), c.skinTop);
        MINMAXINFO limits{};
        SendMessageW(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        EXPECT_EQ(limits.ptMinTrackSize.y, c.minHeight);
        // The countdown's box stays at the foot, inside the window.
        const RECT countdown = rectOf(form->CountdownHandle());
        EXPECT_LT(countdown.bottom, window.bottom);
        EXPECT_GT(countdown.top, window.top + c.titleHeight);
        form->StorePlace();
        EXPECT_EQ(profile.Doc.ReadValue(u"eventwindow/width"), Widen(std::to_string(c.suggested.right - c.suggested.left)));
        // The heading and the rows in fonts made at the resolution: the heading whole, inside the window.
        const RECT shown = rectOf(heading);
        const double scale = c.dpi / 96.0;
        EXPECT_NEAR(shown.bottom - shown.top, (headingAt96.bottom - headingAt96.top) * scale, 1);
        EXPECT_GE(shown.right - shown.left, textWidthAt(c.dpi));
        EXPECT_LE(shown.right, window.right);
        EXPECT_NEAR(form->Grid().DefaultRowHeight(), rowAt96 * scale, 2);
    }
    const RECT titleBack = rectOf(title), countdownBack = rectOf(form->CountdownHandle());
    EXPECT_TRUE(EqualRect(&titleBack, &titleAt96));
    EXPECT_TRUE(EqualRect(&countdownBack, &countdownAt96));
    const RECT headingBack = rectOf(heading);
    EXPECT_TRUE(EqualRect(&headingBack, &headingAt96));
}

TEST_F(Win32EventForm, ValuesThatAreNoNumbersAreReportedAndTheWindowStillComesUp) {
    profile.Doc.Clear();
    profile.Doc.LoadFromText(uR"(<p><eventwindow left="-90000" top="x1" height="2" width="0" visible="1"/></p>)");
    Create();
    EXPECT_EQ(errors, (std::vector<std::string>{"'x1' is not a valid integer value"}));
    RECT r{};
    GetWindowRect(form->Handle(), &r);
    EXPECT_GT(r.right, GetSystemMetrics(SM_XVIRTUALSCREEN)) << "the window was left off the screen";
    EXPECT_EQ(r.right - r.left, TEventFm::kDesignWidth);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(form->Handle(), nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 255);
}

TEST_F(Win32EventForm, DoubleClickOpensTheSelectedEventSignedIn) {
    AddEvent(Event(day + 9.0 / 24, 1, u"Review", kRed));
    Create();
    form->ShowDay(sources.Events, day);
    PaintList();
    const HWND grid = form->Grid().Handle();
    const RECT row = form->Grid().CellRect(0);
    const LPARAM at = MAKELPARAM(20, (row.top + row.bottom) / 2);
    SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(grid, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ASSERT_EQ(browser.opened.size(), 1u);
    EXPECT_EQ(browser.opened[0], EventPageSignInUrl(hosts, "http://127.0.0.1:8443/event?eid=Review",
                                                    "ana@example.org", "a&b #c"));
    EXPECT_NE(browser.opened[0].find("Passwd=a%26b%20%23c&"), std::string::npos);

    form->ShowDay(sources.Events, day + 1);
    SendMessageW(grid, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    EXPECT_EQ(browser.opened.size(), 1u) << "an empty day opened something";
}

}  // namespace
}  // namespace tessel
