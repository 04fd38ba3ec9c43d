#include "ui/win32_skin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <cstring>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "base/text.h"
#include "ui/label.h"
#include "ui/theme.h"
#include "ui/win32_drawing.h"
#include "ui/win32_label.h"
#include "ui/win32_text_measure.h"
#include "win32/win32_dib.h"
#include "win32/win32_handles.h"
#include "win32/win32_text.h"

// The skin on real windows under Wine: what WM_ERASEBKGND paints is checked pixel by pixel
// against the plan and the decoded image; the grips, the drag and the subclassing are checked
// through the messages the form receives. A showcase window with the default theme's fonts can
// be saved for a person to look at (TESSEL_SKIN_SCREENSHOT=file.bmp).

namespace tessel {
namespace {

// What the test form's own procedure saw.
struct FormLog {
    std::vector<WPARAM> sysCommands;
    int ownErases = 0;
    std::function<void(HWND, HDC)> paint;
};
FormLog* gLog = nullptr;

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SYSCOMMAND:
        // Recorded, not run: the real command would start the window manager's modal loop.
        if (gLog) gLog->sysCommands.push_back(wp);
        return 0;
    case WM_ERASEBKGND:
        if (gLog) ++gLog->ownErases;
        return 1;
    case WM_PAINT: {
        win32::PaintDc paint(hwnd);
        if (gLog && gLog->paint) gLog->paint(hwnd, paint.get());
        return 0;
    }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

const wchar_t* FormClass() {
    static const wchar_t* name = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = FormProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"TesselSkinTestForm";
        RegisterClassW(&wc);
        return wc.lpszClassName;
    }();
    return name;
}

HWND MakeForm(int width, int height, bool visible = false, int x = 40, int y = 40) {
    return CreateWindowExW(WS_EX_TOOLWINDOW, FormClass(), L"skin test", WS_POPUP | (visible ? WS_VISIBLE : 0), x, y,
                           width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

HWND MakeChild(HWND parent) {
    return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// A 32-bit top-down DIB selected into its own memory DC.
class Capture {
public:
    Capture(int width, int height) : width_(width), height_(height) {
        bitmap_ = win32::CreateTopDownDib(width, height, reinterpret_cast<void**>(&bits_));
        dc_.reset(CreateCompatibleDC(nullptr));
        old_ = SelectObject(dc_.get(), bitmap_.get());
        std::memset(bits_, 0x5A, size_t(width) * size_t(height) * 4);
    }
    ~Capture() { SelectObject(dc_.get(), old_); }
    HDC Dc() const { return dc_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    TColor At(int x, int y) const {
        GdiFlush();
        const uint8_t* p = bits_ + (size_t(y) * size_t(width_) + size_t(x)) * 4;
        return TColor(p[2]) | TColor(p[1]) << 8 | TColor(p[0]) << 16;
    }
    // A BMP file of the pixels, for the screenshot.
    std::string Bmp() const {
        GdiFlush();
        std::string out(54, '\0');
        const auto put = [&](size_t at, uint32_t v, int bytes) {
            for (int i = 0; i < bytes; ++i) out[at + size_t(i)] = char(v >> (8 * i));
        };
        const uint32_t size = uint32_t(width_) * uint32_t(height_) * 4;
        out[0] = 'B';
        out[1] = 'M';
        put(2, 54 + size, 4);
        put(10, 54, 4);
        put(14, 40, 4);
        put(18, uint32_t(width_), 4);
        put(22, uint32_t(-height_), 4);
        put(26, 1, 2);
        put(28, 32, 2);
        out.append(reinterpret_cast<const char*>(bits_), size);
        return out;
    }
    uint8_t* Bits() { return bits_; }

private:
    int width_, height_;
    win32::BitmapHandle bitmap_;
    win32::MemoryDc dc_;
    HGDIOBJ old_ = nullptr;
    uint8_t* bits_ = nullptr;
};

// Whether the window pixel (x, y) shows what the plan puts there: the last blit covering it
// decides, its source pixel sampled to the nearest neighbour. Scalers may round the sampling
// by one source pixel, so a stretched piece also accepts its neighbours; copies must be exact.
bool MatchesPlan(const std::vector<TSkinBlit>& plan, const TThemeImage& image, TColor actual, int x, int y,
                 std::string& why) {
    for (auto it = plan.rbegin(); it != plan.rend(); ++it) {
        if (!it->Dest.Contains(x, y)) continue;
        int32_t sx = 0, sy = 0;
        MapToSource(*it, x, y, sx, sy);
        const int slack = it->Stretched() ? 1 : 0;
        for (int dy = -slack; dy <= slack; ++dy)
            for (int dx = -slack; dx <= slack; ++dx) {
                const int px = sx + dx, py = sy + dy;
                if (!it->Source.Contains(px, py)) continue;
                if (image.PixelAt(px, py) == actual) return true;
            }
        char text[160];
        std::snprintf(text, sizeof text, "pixel (%d, %d) is %06X, the image at (%d, %d) is %06X", x, y,
                      unsigned(actual), int(sx), int(sy), unsigned(image.PixelAt(sx, sy)));
        why = text;
        return false;
    }
    why = "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is covered by no piece";
    return false;
}

class Win32Skin : public ::testing::Test {
protected:
    void SetUp() override {
        InitWideDrawing();
        theme.ThemeRoot = Utf8ToUtf16(std::string(TESSEL_SOURCE_DIR) + "/themes/");
        theme.Load();
        ASSERT_FALSE(theme.Background.Empty());
        gLog = &log;
    }
    void TearDown() override {
        for (HWND w : windows) DestroyWindow(w);
        gLog = nullptr;
    }
    HWND Form(int width, int height, bool visible = false) {
        HWND w = MakeForm(width, height, visible);
        windows.push_back(w);
        return w;
    }
    // Counts the window pixels that differ from the plan, reporting the first few.
    int Mismatches(const Capture& capture, const TSkin& skin, const TRect& area, const std::vector<TRect>& skip = {},
                   const std::vector<TRect>& shape = {}) {
        const auto plan = skin.Plan(capture.Width(), capture.Height());
        int bad = 0;
        for (int y = area.Top; y < area.Bottom; ++y)
            for (int x = area.Left; x < area.Right; ++x) {
                bool skipped = false;
                for (const TRect& r : skip) skipped = skipped || r.Contains(x, y);
                bool inside = shape.empty();
                for (const TRect& r : shape) inside = inside || r.Contains(x, y);
                if (skipped || !inside) continue;
                std::string why;
                if (MatchesPlan(plan, skin.Image(), capture.At(x, y), x, y, why)) continue;
                if (++bad <= 5) ADD_FAILURE() << why;
            }
        return bad;
    }

    TTheme theme;
    FormLog log;
    std::vector<HWND> windows;
};

TEST_F(Win32Skin, ErasePaintsEveryPixelAsThePlanSays) {
    for (const auto& size : std::vector<std::pair<int, int>>{{230, 190}, {48, 56}, {400, 120}, {60, 300}}) {
        SCOPED_TRACE(std::to_string(size.first) + "x" + std::to_string(size.second));
        HWND form = Form(size.first, size.second);
        ASSERT_NE(form, nullptr);
        TSkin skin;
        skin.Load(theme);
        ApplySkin(skin, form, nullptr);
        Capture capture(size.first, size.second);
        EXPECT_EQ(SendMessageW(form, WM_ERASEBKGND, reinterpret_cast<WPARAM>(capture.Dc()), 0), 1);
        EXPECT_EQ(log.ownErases, 0);  // the skin answered, the form's own procedure did not run
        EXPECT_EQ(Mismatches(capture, skin, {0, 0, size.first, size.second}), 0);
        // The corners (the pieces copied unstretched) are the image's own pixels, exactly, where no
        // later piece covers them.
        const TThemeImage& image = skin.Image();
        const auto plan = skin.Plan(size.first, size.second);
        int corners = 0;
        for (size_t i = 0; i < plan.size(); ++i) {
            if (plan[i].Stretched()) continue;
            ++corners;
            const TRect& d = plan[i].Dest;
            for (int y = d.Top; y < d.Bottom; ++y)
                for (int x = d.Left; x < d.Right; ++x) {
                    bool covered = false;
                    for (size_t k = i + 1; k < plan.size(); ++k) covered = covered || plan[k].Dest.Contains(x, y);
                    if (covered) continue;
                    ASSERT_EQ(capture.At(x, y),
                              image.PixelAt(plan[i].Source.Left + x - d.Left, plan[i].Source.Top + y - d.Top))
                        << x << "," << y;
                }
        }
        EXPECT_GE(corners, 4);
    }
}

TEST_F(Win32Skin, WithoutAnImageTheWindowIsPlainAndDarkerThanTheTitleColour) {
    theme.Background = TThemeImage();
    HWND form = Form(120, 90);
    TSkin skin;
    skin.Load(theme);
    ApplySkin(skin, form, nullptr);
    Capture capture(120, 90);
    EXPECT_EQ(SendMessageW(form, WM_ERASEBKGND, reinterpret_cast<WPARAM>(capture.Dc()), 0), 1);
    for (const auto& p : std::vector<std::pair<int, int>>{{0, 0}, {119, 0}, {60, 45}, {0, 89}, {119, 89}})
        EXPECT_EQ(capture.At(p.first, p.second), skin.PlainColor()) << p.first << "," << p.second;
    EXPECT_NE(skin.PlainColor(), theme.TitleColor) << "today's fill would not show";
}

TEST_F(Win32Skin, ContentSitsInsideTheBorder) {
    HWND form = Form(200, 150);
    HWND content = MakeChild(form);
    TSkin skin;
    skin.Load(theme);
    ApplySkin(skin, form, content);
    RECT r{};
    GetWindowRect(content, &r);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, skin.LeftLength());
    EXPECT_EQ(r.top, skin.TopLength());
    EXPECT_EQ(r.right, 200 - skin.RightLength());
    EXPECT_EQ(r.bottom, 150 - skin.BottomLength());
}

HWND ChildWithId(HWND parent, int id) { return GetDlgItem(parent, id); }

TEST_F(Win32Skin, ResizableWindowHasGripsThatSizeAndABorderThatDrags) {
    HWND form = Form(200, 150);
    HWND content = MakeChild(form);
    TSkin skin;
    skin.Load(theme);
    skin.Resizable = true;
    ApplySkin(skin, form, content);
    HWND right = ChildWithId(form, kRightGripTag);
    HWND bottom = ChildWithId(form, kBottomGripTag);
    ASSERT_NE(right, nullptr);
    ASSERT_NE(bottom, nullptr);
    const auto placed = [&](HWND w) {
        RECT r{};
        GetWindowRect(w, &r);
        MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
        return TRect{r.left, r.top, r.right, r.bottom};
    };
    EXPECT_EQ(placed(bottom), (TRect{0, 150 - skin.BottomLength(), 200, 150}));
    EXPECT_EQ(placed(right), (TRect{200 - skin.RightLength(), 0, 200, 150 - skin.BottomLength()}));

    SendMessageW(right, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    SendMessageW(bottom, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    SendMessageW(bottom, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 1));  // other buttons only repaint
    SendMessageW(form, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_EQ(log.sysCommands, (std::vector<WPARAM>{0xF002, 0xF006, 0xF012}));

    // A new size keeps the content anchored inside the border and the grips on the edges.
    SetWindowPos(form, nullptr, 0, 0, 260, 210, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(placed(content), (TRect{skin.LeftLength(), skin.TopLength(), 260 - skin.RightLength(),
                                      210 - skin.BottomLength()}));
    EXPECT_EQ(placed(bottom), (TRect{0, 210 - skin.BottomLength(), 260, 210}));
}

TEST_F(Win32Skin, FixedWindowHasNoGripsAndLeavesClicksToTheForm) {
    HWND form = Form(200, 150);
    TSkin skin;
    skin.Load(theme);
    ApplySkin(skin, form, nullptr);
    EXPECT_EQ(ChildWithId(form, kRightGripTag), nullptr);
    EXPECT_EQ(ChildWithId(form, kBottomGripTag), nullptr);
    SendMessageW(form, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_TRUE(log.sysCommands.empty());
}

TEST_F(Win32Skin, TheFormsOwnProcedureIsBackWhenTheSkinGoes) {
    HWND form = Form(100, 80);
    const LONG_PTR own = GetWindowLongPtrW(form, GWLP_WNDPROC);
    {
        TSkin skin;
        skin.Load(theme);
        ApplySkin(skin, form, nullptr);
        EXPECT_NE(GetWindowLongPtrW(form, GWLP_WNDPROC), own);
        // Messages the skin does not handle still reach the form.
        SendMessageW(form, WM_SYSCOMMAND, 0x1234, 0);
        EXPECT_EQ(log.sysCommands, (std::vector<WPARAM>{0x1234}));
    }
    EXPECT_EQ(GetWindowLongPtrW(form, GWLP_WNDPROC), own);
    Capture capture(100, 80);
    SendMessageW(form, WM_ERASEBKGND, reinterpret_cast<WPARAM>(capture.Dc()), 0);
    EXPECT_EQ(log.ownErases, 1);
}

TEST_F(Win32Skin, DestroyingTheWindowFirstLeavesTheSkinSafeToFree) {
    auto skin = std::make_unique<TSkin>();
    skin->Load(theme);
    HWND form = MakeForm(100, 80);
    ApplySkin(*skin, form, nullptr);
    EXPECT_TRUE(DestroyWindow(form));
    skin.reset();  // must not touch the dead window's procedure
    SUCCEED();
}

TEST_F(Win32Skin, WindowIsShapedByTheImagesClearCorners) {
    HWND form = Form(200, 150);
    {
        TSkin skin;
        skin.Load(theme);
        ApplySkin(skin, form, nullptr);
        win32::RegionHandle region(CreateRectRgn(0, 0, 0, 0));
        ASSERT_NE(GetWindowRgn(form, region.get()), ERROR);
        EXPECT_FALSE(PtInRegion(region.get(), 0, 0));
        EXPECT_FALSE(PtInRegion(region.get(), 199, 0));
        EXPECT_FALSE(PtInRegion(region.get(), 0, 149));
        EXPECT_FALSE(PtInRegion(region.get(), 199, 149));
        EXPECT_TRUE(PtInRegion(region.get(), 100, 75));
        EXPECT_TRUE(PtInRegion(region.get(), 100, 0));
        EXPECT_TRUE(PtInRegion(region.get(), 0, 75));
        // A new size gets its own outline.
        SetWindowPos(form, nullptr, 0, 0, 260, 210, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_NE(GetWindowRgn(form, region.get()), ERROR);
        EXPECT_TRUE(PtInRegion(region.get(), 258, 100));
        EXPECT_FALSE(PtInRegion(region.get(), 259, 209));
    }
    win32::RegionHandle region(CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(GetWindowRgn(form, region.get()), ERROR);  // the skin took its shape with it
}

// --- TCLabel -------------------------------------------------------------------------------

TEST_F(Win32Skin, LabelWithAHandlerDrawsOnlyWhatTheHandlerDraws) {
    HWND form = Form(200, 100);
    TCLabel label;
    TCanvasFont font;
    TTheme::ApplyFont(font, theme.DateFont);
    font.Color = 0x000000;
    label.SetFont(font);
    label.SetAutoSize(false);
    label.SetColor(0xFFFFFF);
    label.SetBounds({10, 10, 110, 40});
    label.SetwCaption(u"Caption text");
    EXPECT_EQ(label.Caption(), "Caption text");
    ASSERT_TRUE(CreateLabelWindow(label, form));
    HWND hwnd = LabelHandle(label);
    ASSERT_NE(hwnd, nullptr);

    const auto darkPixels = [&] {
        Capture capture(100, 30);
        SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(capture.Dc()), PRF_CLIENT | PRF_ERASEBKGND);
        int dark = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 100; ++x) dark += capture.At(x, y) != 0xFFFFFF;
        return dark;
    };
    EXPECT_GT(darkPixels(), 20);  // the caption itself

    int calls = 0;
    TRect given;
    label.OnDrawText = [&](TCLabel& sender, ICanvas& canvas, TRect& rect, uint32_t) {
        EXPECT_EQ(&sender, &label);
        EXPECT_EQ(canvas.Font(), font);  // the surface carries the label's font
        given = rect;
        ++calls;
    };
    EXPECT_EQ(darkPixels(), 0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(given, (TRect{0, 0, 100, 30}));

    label.OnDrawText = [](TCLabel&, ICanvas& canvas, TRect&, uint32_t) { canvas.DrawTextAt(2, 2, u"88"); };
    EXPECT_GT(darkPixels(), 5);
}

TEST_F(Win32Skin, AutoSizedLabelTakesItsTextsSize) {
    HWND form = Form(300, 100);
    TCLabel label;
    TCanvasFont font;
    TTheme::ApplyFont(font, theme.DateFont);
    label.SetFont(font);
    label.SetPosition(5, 5);
    ASSERT_TRUE(CreateLabelWindow(label, form));
    label.SetwCaption(u"October 2009");
    win32::WindowDc screen(LabelHandle(label));
    TDcCanvas canvas(screen.get());
    canvas.Font() = font;
    const TTextSize text = canvas.TextExtent(u"October 2009");
    EXPECT_EQ(label.Bounds().Width(), text.Width);
    EXPECT_EQ(label.Bounds().Height(), text.Height);
    const TRect short1 = label.Bounds();
    label.SetwCaption(u"May");
    EXPECT_LT(label.Bounds().Width(), short1.Width());
    EXPECT_EQ(label.Bounds().Left, 5);
}

// --- What a person sees ------------------------------------------------------------------------

// A month grid as the main window lays it out, drawn with the theme's fonts on the skinned
// window: header, week numbers, days of the month and of its neighbours, today filled.
struct Showcase {
    const TTheme& theme;
    TCalFont week, weekNo, day, day2, dayNow;
    int colWidth = 0, rowHeight = 0;
    TSkin& skin;

    void Paint(HWND, HDC dc) {
        const auto draw = [&](const TCalFont& f, int col, int row, const std::u16string& text) {
            TDcCanvas canvas(dc);
            TTheme::ApplyFont(canvas.Font(), f);
            canvas.Prepare();
            RECT r{skin.LeftLength() + col * colWidth, skin.TopLength() + row * rowHeight,
                   skin.LeftLength() + (col + 1) * colWidth, skin.TopLength() + (row + 1) * rowHeight};
            if (row > 0 && col > 0) InflateRect(&r, -2, -2);
            DrawShadowText(dc, r, text, kShadowCentred);
        };
        const char16_t* names[] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
        TCalFont plainWeek = week;
        plainWeek.Bold = plainWeek.Italic = false;
        for (int c = 0; c < 7; ++c) draw(plainWeek, c + 1, 0, names[c]);
        // October 2009: Thursday the 1st; the grid starts on Sunday 27 September.
        int dayNumber = 27;
        bool inMonth = false;
        for (int row = 1; row <= 5; ++row) {
            TCalFont plainWeekNo = weekNo;
            plainWeekNo.Bold = plainWeekNo.Italic = false;
            draw(plainWeekNo, 0, row, Utf8ToUtf16(std::to_string(39 + row)));
            for (int col = 1; col <= 7; ++col) {
                if (dayNumber > (inMonth ? 31 : 30)) {
                    dayNumber = 1;
                    inMonth = !inMonth;
                }
                const bool today = inMonth && dayNumber == 5;
                if (today) {
                    win32::BrushHandle brush(CreateSolidBrush(theme.TitleColor));
                    win32::SelectGuard selectBrush(dc, brush.get());
                    win32::SelectGuard selectPen(dc, GetStockObject(NULL_PEN));
                    const int l = skin.LeftLength() + col * colWidth + 2, t = skin.TopLength() + row * rowHeight + 2;
                    RoundRect(dc, l, t, l + colWidth - 4 + 1, t + rowHeight - 4 + 1, 5, 5);
                }
                draw(today ? dayNow : inMonth ? day : day2, col, row, Utf8ToUtf16(std::to_string(dayNumber)));
                ++dayNumber;
            }
        }
    }
};

// Wallpaper stripes and rings in strong colours, the worst case behind a translucent window.
TColor Wallpaper(int x, int y) {
    const int stripe = ((x + 2 * y) / 9) % 4;
    const int ring = ((x - 60) * (x - 60) + (y - 40) * (y - 40)) / 300 % 2;
    const TColor colours[4] = {0x2060E0, 0x30C0F0, 0xE08030, 0x40A040};
    return ring ? colours[stripe] : (colours[stripe] ^ 0x00FFFFFF) & 0xC0C0C0;
}

// The event list window as it lays itself out (title bar caption, a title panel with the day,
// rows in the calendars' colours, the next event's foot with its countdown), painted for the
// screenshot only.
void PaintEventListMock(const TTheme& theme, const TSkin& skin, HDC dc, int width, int height) {
    PaintSkin(skin, dc, width, height);
    const int left = skin.LeftLength(), top = skin.TopLength();
    const int innerWidth = width - left - skin.RightLength();
    const int bottom = height - skin.BottomLength();
    const auto text = [&](const TCalFont& f, TColor colour, int x, int y, const std::u16string& t) {
        TDcCanvas canvas(dc);
        TTheme::ApplyFont(canvas.Font(), f);
        canvas.Font().Color = colour;
        TLabelLook look;
        look.FontColor = colour;
        RECT r{x, y, width, height};
        DrawLabelText(canvas.Prepare(), look, r, DT_NOPREFIX, t);
    };
    const auto rounded = [&](TColor fill, TColor pen, int l, int t, int r, int b) {
        win32::BrushHandle brush(CreateSolidBrush(fill));
        win32::PenHandle outline(CreatePen(PS_SOLID, 1, pen));
        win32::SelectGuard selectBrush(dc, brush.get());
        win32::SelectGuard selectPen(dc, pen == fill ? GetStockObject(NULL_PEN) : outline.get());
        RoundRect(dc, l, t, r, b, 5, 5);
    };
    text(theme.DateFont, theme.DateFont.Color, 30, (top - theme.DateFont.TextHeight) / 2, u"Events");
    rounded(theme.TitleColor, theme.TitleColor, left, top, left + innerWidth + 1, top + 26);
    text(theme.DateFont, theme.DateFont.Color, left + 8, top + (25 - theme.DateFont.TextHeight) / 2,
         u"Monday, October 5");
    const struct {
        TColor colour;
        const char16_t* title;
    } rows[] = {{0x2929A3, u"All Day - Ada's birthday"},
                {0xA35229, u"9:05 AM-10:00 AM - Team meeting in the big room"},
                {0x29A352, u"1:30 PM-2:00 PM - Call"}};
    int y = top + 25;
    for (const auto& row : rows) {
        TDcCanvas canvas(dc);
        TTheme::ApplyFont(canvas.Font(), theme.EventFont);
        HDC prepared = canvas.Prepare();
        RECT measure{left + 4, y + 2, left + innerWidth, y + 200};
        DrawTextW(prepared, win32::W(std::u16string(row.title)), -1, &measure,
                  DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK);
        const int rowHeight = std::max(theme.EventFont.TextHeight + 4, int(measure.bottom - measure.top));
        rounded(row.colour, 0xFFFFFF, left + 4, y + 2, left + innerWidth, y + rowHeight + 2);
        RECT r{left + 4, y + 2, left + innerWidth, y + rowHeight + 2};
        DrawShadowText(prepared, r, row.title, kShadowIndented);
        y += rowHeight + 2;
    }
    const int foot = bottom - 45;
    rounded(theme.TitleColor, theme.TitleColor, left, foot, left + innerWidth + 1, bottom + 1);
    text(theme.EventFont, 0xFFFFFF, left + 8, foot + 2, u"Next Event :");
    TDcCanvas measure(dc);
    TTheme::ApplyFont(measure.Font(), theme.EventFont);
    text(theme.EventFont, theme.EventFont.Color, left + 8 + measure.TextWidth(u"Next Event :") + 2, foot + 1,
         u"Team meeting");
    rounded(0xFFFFFF, 0xFFFFFF, left + 2, foot + 17, left + innerWidth - 2, bottom - 2);
    TCalFont big = theme.DateFont;
    big.Size = 16;
    text(big, 0x000000, left + 30, foot + 17, u"2");
    text(theme.EventFont, 0x000000, left + 46, foot + 28, u"hours");
    text(big, 0x000000, left + 80, foot + 17, u" 5");
    text(theme.EventFont, 0x000000, left + 104, foot + 28, u"minutes");
}

TEST_F(Win32Skin, ShowcaseWindowOnScreenMatchesThePlanOutsideItsTexts) {
    {
        win32::WindowDc screen(nullptr);
        TDcCanvas measure(screen.get());
        theme.Measure(measure);
    }
    const int colWidth = 2 * theme.DayFont.CharWidth + 2;
    const int rowHeight = theme.DayFont.TextHeight + 2;
    TSkin skin;
    skin.Load(theme);
    const int width = 8 * colWidth + skin.LeftLength() + skin.RightLength();
    const int height = 6 * rowHeight + 1 + skin.TopLength() + skin.BottomLength();
    Showcase showcase{theme, theme.WeekFont, theme.WeekNoFont, theme.DayFont, theme.Day2Font, theme.DayNowFont,
                      colWidth, rowHeight, skin};
    log.paint = [&](HWND hwnd, HDC dc) { showcase.Paint(hwnd, dc); };
    HWND form = MakeForm(width, height, false, 60, 60);
    windows.push_back(form);
    ApplySkin(skin, form, nullptr);

    TCLabel title;
    TCanvasFont font;
    TTheme::ApplyFont(font, theme.DateFont);
    title.SetFont(font);
    title.SetTransparent(true);
    ASSERT_TRUE(CreateLabelWindow(title, form));
    title.SetwCaption(u"October 2009");
    title.SetPosition((width - title.Bounds().Width()) / 2, (skin.TopLength() - title.Bounds().Height()) / 2);

    ShowWindow(form, SW_SHOWNOACTIVATE);
    UpdateWindow(form);
    RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();

    Capture capture(width, height);
    {
        win32::WindowDc screen(form);
        ASSERT_TRUE(BitBlt(capture.Dc(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY));
    }
    // The border outside the grid and the title is the skin's alone.
    const TRect grid{skin.LeftLength(), skin.TopLength(), width - skin.RightLength(), height - skin.BottomLength()};
    const TRect label = title.Bounds();
    // Pixels outside the window's shape (the rounded corners) are not the window's.
    EXPECT_EQ(Mismatches(capture, skin, {0, 0, width, height}, {grid, label}, skin.Shape(width, height)), 0);
    // The title was drawn: the label's area differs from the bare skin somewhere.
    Capture bare(width, height);
    PaintSkin(skin, bare.Dc(), width, height);
    int changed = 0;
    for (int y = label.Top; y < label.Bottom; ++y)
        for (int x = label.Left; x < label.Right; ++x) changed += capture.At(x, y) != bare.At(x, y);
    EXPECT_GT(changed, 10);

    if (const char* path = std::getenv("TESSEL_SKIN_SCREENSHOT")) {
        // Both windows at 80% opacity over a busy wallpaper, each clipped to its shape.
        TSkin eventSkin;
        eventSkin.Load(theme);
        const int ew = 192, eh = std::max(181, height);
        Capture events(ew, eh);
        PaintEventListMock(theme, eventSkin, events.Dc(), ew, eh);
        const int m = 24;
        Capture shot(width + ew + 3 * m, std::max(height, eh) + 2 * m);
        const auto inside = [](const std::vector<TRect>& shape, int x, int y) {
            bool in = shape.empty();
            for (const TRect& r : shape) in = in || r.Contains(x, y);
            return in;
        };
        const std::vector<TRect> mainShape = skin.Shape(width, height), eventShape = eventSkin.Shape(ew, eh);
        for (int y = 0; y < shot.Height(); ++y)
            for (int x = 0; x < shot.Width(); ++x) {
                TColor c = Wallpaper(x, y);
                const Capture* from = nullptr;
                int wx = x - m, wy = y - m;
                if (wx >= 0 && wy >= 0 && wx < width && wy < height && inside(mainShape, wx, wy)) from = &capture;
                if (wx >= width + m && wy >= 0 && wx < width + m + ew && wy < eh &&
                    inside(eventShape, wx - width - m, wy)) {
                    from = &events;
                    wx -= width + m;
                }
                if (from) {
                    const TColor w = from->At(wx, wy);
                    TColor blended = 0;
                    for (int s = 0; s < 24; s += 8)
                        blended |= ((((w >> s) & 255) * 204 + ((c >> s) & 255) * 51) / 255) << s;
                    c = blended;
                }
                uint8_t* p = shot.Bits() + (size_t(y) * size_t(shot.Width()) + size_t(x)) * 4;
                p[0] = uint8_t(c >> 16);
                p[1] = uint8_t(c >> 8);
                p[2] = uint8_t(c);
                p[3] = 255;
            }
        WriteFileAtomic(Utf8ToUtf16(path), shot.Bmp());
        if (const char* hold = std::getenv("TESSEL_SKIN_HOLD_MS")) {
            // Keeps the window on screen for an outside screenshot; bounded by the caller's value.
            const DWORD until = GetTickCount() + DWORD(std::atoi(hold));
            MSG msg;
            while (GetTickCount() < until) {
                while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
                Sleep(20);
            }
        }
    }
}

}  // namespace
}  // namespace tessel
