#include "ui/win32_drawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "win32/win32_dib.h"
#include "win32/win32_handles.h"

// The GDI text helpers on a memory bitmap: where the text lands, that the shadow is there, and
// that nothing is drawn while wide drawing is off.

namespace tessel {
namespace {

class Surface {
public:
    Surface(int width, int height) : width_(width), height_(height) {
        bitmap_ = win32::CreateTopDownDib(width, height, reinterpret_cast<void**>(&bits_));
        dc_.reset(CreateCompatibleDC(nullptr));
        oldBitmap_ = SelectObject(dc_.get(), bitmap_.get());
        LOGFONTW lf{};
        lf.lfHeight = -16;
        lf.lfWeight = FW_BOLD;
        wcscpy(lf.lfFaceName, L"Tahoma");
        font_.reset(CreateFontIndirectW(&lf));
        oldFont_ = SelectObject(dc_.get(), font_.get());
        Clear(0x808080);
    }
    ~Surface() {
        SelectObject(dc_.get(), oldFont_);
        SelectObject(dc_.get(), oldBitmap_);
    }
    void Clear(COLORREF colour) {
        win32::BrushHandle brush(CreateSolidBrush(colour));
        RECT all{0, 0, width_, height_};
        FillRect(dc_.get(), &all, brush.get());
    }
    HDC Dc() const { return dc_.get(); }
    COLORREF At(int x, int y) const {
        GdiFlush();
        const uint8_t* p = bits_ + (size_t(y) * size_t(width_) + size_t(x)) * 4;
        return RGB(p[2], p[1], p[0]);
    }
    int Count(COLORREF colour) const {
        int n = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) n += At(x, y) == colour;
        return n;
    }
    // The smallest rectangle holding every pixel that is not the given background.
    RECT Ink(COLORREF background) const {
        RECT r{width_, height_, -1, -1};
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (At(x, y) != background) {
                    r.left = std::min<LONG>(r.left, x);
                    r.top = std::min<LONG>(r.top, y);
                    r.right = std::max<LONG>(r.right, x + 1);
                    r.bottom = std::max<LONG>(r.bottom, y + 1);
                }
        return r;
    }

private:
    int width_, height_;
    win32::BitmapHandle bitmap_;
    win32::MemoryDc dc_;
    win32::FontHandle font_;
    HGDIOBJ oldBitmap_ = nullptr, oldFont_ = nullptr;
    uint8_t* bits_ = nullptr;
};

class Win32Drawing : public ::testing::Test {
protected:
    void SetUp() override { InitWideDrawing(); }
    void TearDown() override { InitWideDrawing(); }
};

TEST_F(Win32Drawing, ShadowTextIsCentredAndTheRectangleReceivesTheText) {
    Surface s(200, 60);
    SetTextColor(s.Dc(), RGB(255, 255, 255));
    RECT measured{0, 0, 200, 60};
    DrawTextW(s.Dc(), L"Tuesday", 7, &measured, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK);
    s.Clear(0x808080);

    RECT rect{0, 0, 200, 60};
    DrawShadowText(s.Dc(), rect, u"Tuesday", kShadowCentred);
    const int w = measured.right, h = measured.bottom;
    EXPECT_EQ(rect.left, (200 - w) / 2);
    EXPECT_EQ(rect.top, (60 - h) / 2);
    EXPECT_EQ(rect.right - rect.left, w);
    EXPECT_EQ(rect.bottom - rect.top, h);
    // White text and its 0x2A2A2A shadow, the shadow reaching one pixel further right and down.
    EXPECT_GT(s.Count(RGB(255, 255, 255)), 20);
    EXPECT_GT(s.Count(RGB(0x2A, 0x2A, 0x2A)), 5);
    const RECT ink = s.Ink(0x808080);
    EXPECT_GE(ink.left, rect.left);
    EXPECT_LE(ink.right, rect.right + 1);
    EXPECT_LE(ink.bottom, rect.bottom + 1);
    // The text colour is the caller's again.
    EXPECT_EQ(GetTextColor(s.Dc()), RGB(255, 255, 255));
}

TEST_F(Win32Drawing, IndentedShadowTextWrapsAtWordsTwoPixelsIn) {
    Surface s(200, 120);
    SetTextColor(s.Dc(), RGB(255, 255, 255));
    RECT rect{10, 5, 130, 120};
    DrawShadowText(s.Dc(), rect, u"All Day - Team meeting in the big room", kShadowIndented);
    EXPECT_EQ(rect.left, 12);
    EXPECT_EQ(rect.top, 5);
    EXPECT_LE(rect.right, 132);
    // Wrapped: several lines high.
    RECT oneLine{0, 0, 0, 0};
    DrawTextW(s.Dc(), L"A", 1, &oneLine, DT_CALCRECT);
    EXPECT_GE(rect.bottom - rect.top, 3 * (oneLine.bottom - oneLine.top));
}

TEST_F(Win32Drawing, NothingIsDrawnWithoutWideDrawing) {
    Surface s(100, 40);
    SetWideDrawing(false);
    RECT rect{0, 0, 100, 40};
    DrawShadowText(s.Dc(), rect, u"Mon", kShadowCentred);
    EXPECT_EQ(rect.right, 100);  // untouched
    TLabelLook look;
    EXPECT_FALSE(DrawLabelText(s.Dc(), look, rect, 0, u"Mon"));
    EXPECT_EQ(s.Count(0x808080), 100 * 40);
}

TEST_F(Win32Drawing, LightLabelTextGetsADarkShadowAndDarkTextNone) {
    Surface s(120, 40);
    TLabelLook look;
    look.FontColor = RGB(255, 255, 255);
    RECT rect{0, 0, 120, 40};
    EXPECT_TRUE(DrawLabelText(s.Dc(), look, rect, 0, u"Events"));
    EXPECT_GT(s.Count(RGB(0x2A, 0x2A, 0x2A)), 5);
    EXPECT_GT(s.Count(RGB(255, 255, 255)), 5);

    s.Clear(0x808080);
    look.FontColor = RGB(0, 0, 128);
    DrawLabelText(s.Dc(), look, rect, 0, u"Events");
    EXPECT_EQ(s.Count(RGB(0x2A, 0x2A, 0x2A)), 0);
    EXPECT_GT(s.Count(RGB(0, 0, 128)), 5);
}

TEST_F(Win32Drawing, DisabledLabelIsEngravedInTheSystemColours) {
    Surface s(120, 40);
    TLabelLook look;
    look.Enabled = false;
    look.FontColor = RGB(255, 255, 255);
    RECT rect{0, 0, 120, 40};
    DrawLabelText(s.Dc(), look, rect, 0, u"Events");
    EXPECT_GT(s.Count(GetSysColor(COLOR_BTNHIGHLIGHT)), 5);
    EXPECT_GT(s.Count(GetSysColor(COLOR_BTNSHADOW)), 5);
}

TEST_F(Win32Drawing, MeasuringAnEmptyLabelGivesOneLine) {
    Surface s(120, 40);
    TLabelLook look;
    RECT rect{0, 0, 0, 0};
    EXPECT_TRUE(DrawLabelText(s.Dc(), look, rect, DT_CALCRECT, u""));
    EXPECT_GT(rect.bottom, 0);
    EXPECT_GT(rect.right, 0);
    EXPECT_EQ(s.Count(0x808080), 120 * 40);  // measuring draws nothing
}

TEST_F(Win32Drawing, WindowIconIsLeftAloneWithoutAnIconAndDrawnWithOne) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(DrawIconPicture(WindowIcon(window), 48, RGB(255, 255, 255)));
    HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    win32::BitmapHandle picture = DrawIconPicture(WindowIcon(window), 48, RGB(255, 255, 255));
    ASSERT_TRUE(picture);
    BITMAP info{};
    GetObjectW(picture.get(), sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 48);
    EXPECT_EQ(info.bmHeight, 48);
    DestroyWindow(window);
}

}  // namespace
}  // namespace tessel
