#include "ui/win32_balloon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "win32/win32_dib.h"
#include "win32/win32_handles.h"

// Balloons on the screen under Wine: the window's region against the computed shape pixel by
// pixel, the outline, the icon and the colours as the screen shows them, closing by click, timer
// and CloseAll, the active form's hooks, and the scroll box's own flat scroll bars.

namespace tessel {
namespace {

constexpr COLORREF kInfoBlue = RGB(0x2f, 0x6f, 0xc0);  // make_balloon_icons.sh
constexpr COLORREF kIconKey = RGB(0xff, 0x00, 0xff);

void PumpFor(DWORD ms, const std::function<bool()>& done = nullptr) {
    const DWORD until = GetTickCount() + ms;
    MSG msg;
    while (GetTickCount() < until) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done && done()) return;
        Sleep(10);
    }
}

bool Near(COLORREF a, COLORREF b, int tolerance = 8) {
    return std::abs(int(GetRValue(a)) - GetRValue(b)) <= tolerance &&
           std::abs(int(GetGValue(a)) - GetGValue(b)) <= tolerance &&
           std::abs(int(GetBValue(a)) - GetBValue(b)) <= tolerance;
}

// The screen's pixels in the window's rectangle, row by row.
struct Shot {
    explicit Shot(const TRect& r) : width(r.Width()), height(r.Height()) {
        void* bits = nullptr;
        win32::BitmapHandle dib = win32::CreateTopDownDib(width, height, &bits);
        win32::MemoryDc memory(CreateCompatibleDC(nullptr));
        win32::SelectGuard select(memory.get(), dib.get());
        win32::WindowDc screen(nullptr);
        BitBlt(memory.get(), 0, 0, width, height, screen.get(), r.Left, r.Top, SRCCOPY);
        GdiFlush();
        const auto* p = static_cast<const uint8_t*>(bits);
        for (int i = 0; i < width * height; ++i) pixels.push_back(RGB(p[i * 4 + 2], p[i * 4 + 1], p[i * 4]));
    }
    COLORREF At(int x, int y) const { return pixels[size_t(y * width + x)]; }
    int width, height;
    std::vector<COLORREF> pixels;
};

// Where a pixel lies against the shape: surely inside, surely outside, or too near an edge (or a
// rounded corner) to say.
enum class Side { Inside, Outside, Edge };

Side Classify(const TBalloonShape& s, int x, int y) {
    const TRect& b = s.Body;
    if (y >= b.Top && y < b.Bottom) {
        const bool nearX = x <= b.Left + 1 || x >= b.Right - 2, nearY = y <= b.Top + 1 || y >= b.Bottom - 2;
        const bool cornerX = x < b.Left + 5 || x >= b.Right - 5, cornerY = y < b.Top + 5 || y >= b.Bottom - 5;
        if (nearX || nearY || (cornerX && cornerY)) return Side::Edge;
        return Side::Inside;
    }
    // The arrow's band: signed distances of the pixel's centre from the triangle's sides.
    const double px = x + 0.5, py = y + 0.5;
    double least = 1e9;
    for (int i = 0; i < 3; ++i) {
        const TBalloonPoint a = s.Arrow[size_t(i)], c = s.Arrow[size_t((i + 1) % 3)], o = s.Arrow[size_t((i + 2) % 3)];
        const double nx = -(c.Y - a.Y), ny = c.X - a.X;
        const double len = std::hypot(nx, ny);
        double d = (nx * (px - a.X) + ny * (py - a.Y)) / len;
        if (nx * (o.X - a.X) + ny * (o.Y - a.Y) < 0) d = -d;  // positive towards the opposite corner
        least = std::min(least, d);
    }
    if (least > 1.5) return Side::Inside;
    if (least < -1.5) return Side::Outside;
    return Side::Edge;
}

class BalloonWindow : public ::testing::Test {
protected:
    void TearDown() override {
        control.CloseAll();
        PumpFor(50);
    }

    TALHintBalloon* Show(uint8_t kind, const std::u16string& title, const std::u16string& text, int x, int y,
                         uint8_t placement) {
        TALHintBalloon* balloon = control.ShowTextBalloon(kind, title, text, 300, x, y, nullptr, placement);
        if (balloon) {
            UpdateWindow(balloon->Handle());
            PumpFor(300);
        }
        return balloon;
    }

    TALHintBalloonControl control;
};

TEST_F(BalloonWindow, RegionOutlineColourAndIconFollowTheComputedShape) {
    for (uint8_t placement : {0, 1, 2, 3}) {
        SCOPED_TRACE(int(placement));
        TALHintBalloon* b = Show(0, u"Wednesday 01-13", u"All Day - Grandma\r09:00AM-09:15AM - Team stand-up", 640,
                                 400, placement);
        ASSERT_NE(b, nullptr);
        const TBalloonFrame& f = b->Frame();
        EXPECT_EQ(f.Placement, placement);
        const int w = f.Window.Width(), h = f.Window.Height();
        const TBalloonShape shape = BalloonShape(placement, w, h);

        win32::RegionHandle region(CreateRectRgn(0, 0, 0, 0));
        ASSERT_NE(GetWindowRgn(b->Handle(), region.get()), ERROR);
        int checked = 0, wrong = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const Side side = Classify(shape, x, y);
                if (side == Side::Edge) continue;
                ++checked;
                wrong += (PtInRegion(region.get(), x, y) != FALSE) != (side == Side::Inside);
            }
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_GT(checked, w * h * 3 / 4);

        const Shot shot(f.Window);
        const int midX = w / 2, bodyTop = shape.Body.Top, bodyBottom = shape.Body.Bottom;
        EXPECT_TRUE(Near(shot.At(midX, bodyTop), RGB(0, 0, 0))) << std::hex << shot.At(midX, bodyTop);
        EXPECT_TRUE(Near(shot.At(0, (bodyTop + bodyBottom) / 2), RGB(0, 0, 0)));
        EXPECT_TRUE(Near(shot.At(midX, bodyTop + 3), kBalloonColor));
        // The arrow's middle has the balloon's colour.
        const int ax = (shape.Arrow[0].X + shape.Arrow[1].X + shape.Arrow[2].X) / 3;
        const int ay = (shape.Arrow[0].Y + shape.Arrow[1].Y + shape.Arrow[2].Y) / 3;
        EXPECT_TRUE(Near(shot.At(ax, ay), kBalloonColor)) << std::hex << shot.At(ax, ay);
        // The "INFO" icon is drawn, its background left out.
        int blue = 0, key = 0;
        for (COLORREF c : shot.pixels) {
            blue += Near(c, kInfoBlue, 4);
            key += Near(c, kIconKey, 4);
        }
        EXPECT_GT(blue, 20);
        EXPECT_EQ(key, 0);
        control.CloseAll();
    }
}

TEST_F(BalloonWindow, AnyClickClosesItAfterTheClickIsHandled) {
    for (bool onPanel : {true, false}) {
        TALHintBalloon* b = Show(3, u"", u"click me", 300, 300, 2);
        ASSERT_NE(b, nullptr);
        const HWND window = b->Handle();
        PostMessageW(onPanel ? b->Panel() : window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30));
        PumpFor(5000, [] { return TALHintBalloon::Live().empty(); });
        EXPECT_TRUE(TALHintBalloon::Live().empty()) << onPanel;
        EXPECT_FALSE(IsWindow(window));
    }
}

TEST_F(BalloonWindow, TimerAndCloseAllFreeBalloonsOnce) {
    control.Duration = 50;
    ASSERT_NE(Show(3, u"", u"goes by itself", 300, 300, 2), nullptr);
    PumpFor(5000, [] { return TALHintBalloon::Live().empty(); });
    EXPECT_TRUE(TALHintBalloon::Live().empty());

    // Freed while their timers are due and one has its release already queued: nothing arrives late.
    control.Duration = 1;
    TALHintBalloon* closing = control.ShowTextBalloon(3, u"", u"one", 300, 300, 300, nullptr, 2);
    ASSERT_NE(control.ShowTextBalloon(1, u"Error", u"two", 300, 500, 300, nullptr, 2), nullptr);
    ASSERT_NE(closing, nullptr);
    closing->Close();
    Sleep(30);
    EXPECT_EQ(control.CloseAll(), 2);
    PumpFor(200);
    EXPECT_TRUE(TALHintBalloon::Live().empty());
}

// The test form's own procedure counts the WM_NCACTIVATE messages that reach it.
int gNcActivates = 0;
LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCACTIVATE) ++gNcActivates;
    return DefWindowProcW(hwnd, msg, wp, lp);
}

TEST_F(BalloonWindow, HooksOfTwoBalloonsComeOffWhicheverClosesFirst) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = FormProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TesselBalloonTestForm";
    RegisterClassW(&wc);
    win32::WindowHandle form(CreateWindowExW(0, wc.lpszClassName, L"form", WS_POPUP | WS_VISIBLE, 10, 10, 100, 100,
                                             nullptr, nullptr, wc.hInstance, nullptr));
    SetForegroundWindow(form.get());
    SetActiveWindow(form.get());
    PumpFor(100);
    ASSERT_EQ(GetActiveWindow(), form.get());

    auto reaches = [&] {
        const int before = gNcActivates;
        SendMessageW(form.get(), WM_NCACTIVATE, TRUE, 0);
        return gNcActivates > before;
    };
    TALHintBalloon* first = control.ShowTextBalloon(3, u"", u"first", 300, 200, 300, nullptr, 2);
    ASSERT_NE(first, nullptr);
    // The form becomes active again: the first balloon is deactivated and closes, but is freed
    // only when its release arrives, after the second has hooked the form as well.
    SetActiveWindow(form.get());
    TALHintBalloon* second = control.ShowTextBalloon(3, u"", u"second", 300, 400, 300, nullptr, 2);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->HookedForm(), form.get());
    EXPECT_EQ(second->HookedForm(), form.get());
    EXPECT_FALSE(reaches());

    PumpFor(2000, [&] { return TALHintBalloon::Live().size() == 1; });  // the first goes, older hook first
    ASSERT_EQ(TALHintBalloon::Live().size(), 1u);
    EXPECT_FALSE(reaches()) << "the second balloon's hook went with the first";
    control.CloseAll();
    EXPECT_TRUE(reaches());
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(form.get(), GWLP_WNDPROC)), &FormProc);
}

TEST_F(BalloonWindow, TooMuchTextScrollsAndStaysOnTheMonitorAtEveryCorner) {
    std::u16string text;
    for (int i = 0; i < 500; ++i) text += u"09:00AM-10:00AM - Tab\there & ampersand \u05E9\u05DC\u05D5\u05DD\r";
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    for (POINT spot : {POINT{0, 0}, POINT{cx - 1, 0}, POINT{0, cy - 1}, POINT{cx - 1, cy - 1}, POINT{cx / 2, 5}}) {
        SCOPED_TRACE(std::to_string(spot.x) + "," + std::to_string(spot.y));
        TALHintBalloon* b = Show(3, std::u16string(2000, u'T'), text, spot.x, spot.y, 2);
        ASSERT_NE(b, nullptr);
        RECT r{};
        GetWindowRect(b->Handle(), &r);
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.right, cx);
        EXPECT_LE(r.bottom, cy);
        EXPECT_TRUE(b->Content().Scrolls);
        ASSERT_NE(b->ScrollBars(), nullptr);
        EXPECT_TRUE(b->ScrollBars()->HasVertical);
        control.CloseAll();
    }
}

// The pixels of a rectangle of the panel, as the screen shows them once the panel has painted
// and its surface has reached the screen.
Shot PanelShot(HWND panel, const TRect& r) {
    RECT w{};
    GetWindowRect(panel, &w);
    UpdateWindow(panel);
    PumpFor(200);
    return Shot(r.Moved(w.left, w.top));
}

int Differing(const Shot& a, const Shot& b) {
    int n = 0;
    for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i) n += a.pixels[i] != b.pixels[i];
    return n;
}

void Press(HWND panel, UINT down, UINT up, POINT at) {
    SendMessageW(panel, down, down == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(at.x, at.y));
    SendMessageW(panel, up, 0, MAKELPARAM(at.x, at.y));
}

// Saves the screen's pixels in r as a 32-bit BMP file, for a person to look at.
void SaveBmp(const char* path, const TRect& r) {
    const Shot shot(r);
    std::string out(54, '\0');
    const auto put = [&](size_t at, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out[at + size_t(i)] = char(v >> (8 * i));
    };
    put(0, 0x4D42, 2);
    put(2, uint32_t(54 + shot.pixels.size() * 4), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, uint32_t(shot.width), 4);
    put(22, uint32_t(-shot.height), 4);
    put(26, 1, 2);
    put(28, 32, 2);
    for (COLORREF c : shot.pixels) out += {char(GetBValue(c)), char(GetGValue(c)), char(GetRValue(c)), '\0'};
    if (FILE* f = std::fopen(path, "wb")) {
        std::fwrite(out.data(), 1, out.size(), f);
        std::fclose(f);
    }
}

// The scroll box's bars are flat and in the balloon's colours; the track, the arrows, the thumb
// and the wheel scroll without closing the balloon, and a click on the content still closes it.
// TESSEL_BALLOON_SCREENSHOT=file.bmp saves the balloon as shown.
TEST_F(BalloonWindow, FlatScrollBarsInTheBalloonsColoursScrollAndOnlyTheContentCloses) {
    std::u16string text;
    for (int i = 0; i < 200; ++i) text += u"09:00AM-10:00AM - Team stand-up " + std::u16string(1, char16_t(u'A' + i % 26)) + u"\r";
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    TALHintBalloon* b = Show(3, std::u16string(400, u'W'), text, cx / 2, cy / 2, 2);
    ASSERT_NE(b, nullptr);
    const HWND panel = b->Panel(), window = b->Handle();
    const TFlatScrollLayout* bars = b->ScrollBars();
    ASSERT_NE(bars, nullptr);
    ASSERT_TRUE(bars->HasVertical && bars->HasHorizontal);
    const TRect& vbar = bars->VerticalBar;
    EXPECT_LE(vbar.Width(), 20) << "wider than the room the layout leaves";

    // Flat, in the balloon's colour and darker shades of it: no grey of the system's bars. The
    // ends of the strips, which the panel's rounded corners cut, are left out.
    const TFlatScrollColors colors = FlatScrollColors(kBalloonColor);
    const std::vector<COLORREF> ours{colors.Track, colors.Thumb, colors.PressedThumb, colors.Glyph};
    std::vector<COLORREF> greys;
    for (int index : {COLOR_SCROLLBAR, COLOR_BTNFACE, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW}) {
        const COLORREF grey = GetSysColor(index);
        if (std::none_of(ours.begin(), ours.end(), [&](COLORREF c) { return Near(c, grey, 4); }))
            greys.push_back(grey);
    }
    const TRect &c = bars->Corner, &hb = bars->HorizontalBar;
    const TRect cornerStrip{c.Left, c.Top, c.Right - 5, c.Bottom - 5};
    for (const TRect& strip : {TRect{vbar.Left, vbar.Top + 5, vbar.Right, vbar.Bottom}, cornerStrip,
                               TRect{hb.Left + 5, hb.Top, hb.Right, hb.Bottom}}) {
        const Shot shot = PanelShot(panel, strip);
        int foreign = 0, grey = 0, thumb = 0, glyph = 0;
        for (COLORREF c : shot.pixels) {
            foreign += std::none_of(ours.begin(), ours.end(), [&](COLORREF o) { return Near(c, o); });
            grey += std::any_of(greys.begin(), greys.end(), [&](COLORREF g) { return Near(c, g, 4); });
            thumb += Near(c, colors.Thumb);
            glyph += Near(c, colors.Glyph);
        }
        EXPECT_EQ(foreign, 0) << strip.Left << "," << strip.Top;
        EXPECT_EQ(grey, 0) << strip.Left << "," << strip.Top;
        if (strip == cornerStrip) {
            EXPECT_EQ(thumb + glyph, 0);
        } else {
            EXPECT_GT(thumb, 20) << "no thumb at " << strip.Left << "," << strip.Top;
            EXPECT_GT(glyph, 4) << "no arrows at " << strip.Left << "," << strip.Top;
        }
    }

    // The lower track pages down, and the view shows other lines.
    const TFlatScrollBar& v = bars->Vertical;
    const int midX = (vbar.Left + vbar.Right) / 2;
    const int lowerTrack = v.Length - v.ArrowLength() - 2;
    ASSERT_EQ(v.HitTest(lowerTrack), TFlatScrollPart::PageDown);
    const Shot before = PanelShot(panel, bars->View);
    Press(panel, WM_LBUTTONDOWN, WM_LBUTTONUP, {midX, vbar.Top + lowerTrack});
    EXPECT_EQ(v.Position, v.Page);
    EXPECT_GT(Differing(before, PanelShot(panel, bars->View)), 100);
    // The arrows step a line; the wheel three.
    Press(panel, WM_LBUTTONDOWN, WM_LBUTTONUP, {midX, vbar.Bottom - 2});
    EXPECT_EQ(v.Position, v.Page + b->Content().LineHeight);
    Press(panel, WM_LBUTTONDOWN, WM_LBUTTONUP, {midX, vbar.Top + 2});
    EXPECT_EQ(v.Position, v.Page);
    SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), 0);
    EXPECT_EQ(v.Position, v.Page + 3 * b->Content().LineHeight);
    // Other buttons and the corner do nothing.
    Press(panel, WM_LBUTTONDOWN, WM_LBUTTONUP, {c.Left + 2, c.Top + 2});
    Press(panel, WM_RBUTTONDOWN, WM_RBUTTONUP, {midX, vbar.Top + lowerTrack});
    EXPECT_EQ(v.Position, v.Page + 3 * b->Content().LineHeight);

    // The thumb follows a drag, holding the mouse until the button comes up.
    const int start = v.Position;
    const TFlatScrollSpan thumb = v.Thumb();
    const int grab = vbar.Top + (thumb.Start + thumb.End) / 2;
    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(midX, grab));
    EXPECT_EQ(GetCapture(), panel);
    SendMessageW(panel, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(midX + 40, grab + 30));  // off the bar: still dragging
    EXPECT_EQ(v.Position, v.DraggedBy(start, 30));
    EXPECT_GT(v.Position, start);
    SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(midX + 40, grab + 30));
    EXPECT_NE(GetCapture(), panel);
    if (const char* path = std::getenv("TESSEL_BALLOON_SCREENSHOT")) {
        PanelShot(panel, bars->View);
        SaveBmp(path, b->Frame().Window);
    }
    // The horizontal bar's track pages right.
    const TRect& hbar = bars->HorizontalBar;
    const TFlatScrollBar& h = bars->Horizontal;
    Press(panel, WM_LBUTTONDOWN, WM_LBUTTONUP,
          {hbar.Left + h.Length - h.ArrowLength() - 2, (hbar.Top + hbar.Bottom) / 2});
    EXPECT_EQ(h.Position, std::min(h.Page, h.MaxPosition()));

    PumpFor(200);
    ASSERT_EQ(TALHintBalloon::Live().size(), 1u) << "a click on the bars closed the balloon";
    PostMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(bars->View.Right / 2, bars->View.Bottom / 2));
    PumpFor(5000, [] { return TALHintBalloon::Live().empty(); });
    EXPECT_TRUE(TALHintBalloon::Live().empty());
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace tessel
