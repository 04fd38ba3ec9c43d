#include "dialogs/win32_dialog_art.h"

#include "ui/dpi_scale.h"
#include "ui/win32_drawing.h"
#include "win32/win32_dib.h"

// Flat shapes in the program icon's colours (a calendar page with a blue header), so the
// dialogs' pictures belong with the icon.

namespace tessel {

namespace {

constexpr COLORREF kMaskColor = RGB(255, 0, 255);  // the image list's transparent colour
constexpr COLORREF kBlue = RGB(0x3A, 0x6E, 0xA5);
constexpr COLORREF kDarkBlue = RGB(0x2F, 0x4F, 0x7F);
constexpr COLORREF kGrey = RGB(0x9F, 0xB3, 0xC8);
constexpr COLORREF kOrange = RGB(0xE8, 0x79, 0x3A);
constexpr COLORREF kGreen = RGB(0x0D, 0x78, 0x13);

// Pen and brush of one colour for the shapes drawn inside its scope.
class Ink {
public:
    Ink(HDC dc, COLORREF color, int width = 1)
        : pen_(CreatePen(PS_SOLID, width, color)), brush_(CreateSolidBrush(color)), selectPen_(dc, pen_.get()),
          selectBrush_(dc, brush_.get()) {}

private:
    win32::PenHandle pen_;
    win32::BrushHandle brush_;
    win32::SelectGuard selectPen_;
    win32::SelectGuard selectBrush_;
};

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
    const RECT r{left, top, right, bottom};
    win32::BrushHandle brush(CreateSolidBrush(color));
    FillRect(dc, &r, brush.get());
}

// A calendar page in the box, its header band blue, a grid of day squares, one marked.
void DrawCalendarPage(HDC dc, int x, int y, int width, int height, int columns, int rows) {
    {
        Ink outline(dc, kDarkBlue, width > 60 ? 3 : 2);
        win32::BrushHandle white(CreateSolidBrush(kWhite));
        win32::SelectGuard selectWhite(dc, white.get());
        RoundRect(dc, x, y, x + width, y + height, width / 6, width / 6);
    }
    const int header = height / 4;
    {
        Ink blue(dc, kBlue);
        RoundRect(dc, x + 2, y + 2, x + width - 1, y + header + 2, width / 8, width / 8);
    }
    Fill(dc, x + 2, y + header / 2, x + width - 1, y + header + 2, kBlue);
    const int rings = width / 4;
    Fill(dc, x + rings, y - height / 12, x + rings + width / 12 + 1, y + header / 2, kDarkBlue);
    Fill(dc, x + width - rings - width / 12 - 1, y - height / 12, x + width - rings, y + header / 2, kDarkBlue);
    const int cellW = (width - 8) / columns, cellH = (height - header - 8) / rows;
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < columns; ++col) {
            const int cx = x + 5 + col * cellW, cy = y + header + 6 + row * cellH;
            const bool marked = row == rows / 2 && col == columns / 2;
            Fill(dc, cx, cy, cx + cellW - 2, cy + cellH - 2, marked ? kOrange : kGrey);
        }
    }
}

void DrawPerson(HDC dc, int x, int y) {
    Ink blue(dc, kBlue);
    Ellipse(dc, x + 9, y + 3, x + 21, y + 15);   // head
    Chord(dc, x + 3, y + 15, x + 27, y + 39, x + 27, y + 27, x + 3, y + 27);  // shoulders
    Ink orange(dc, kOrange, 2);
    Ellipse(dc, x + 20, y + 17, x + 28, y + 25);  // a key: its bow and its bit
    MoveToEx(dc, x + 24, y + 25, nullptr);
    LineTo(dc, x + 24, y + 31);
    LineTo(dc, x + 27, y + 31);
}

void DrawTick(HDC dc, int x, int y) {
    Ink green(dc, kGreen, 3);
    MoveToEx(dc, x + 17, y + 24, nullptr);
    LineTo(dc, x + 22, y + 29);
    LineTo(dc, x + 30, y + 18);
}

void DrawSliders(HDC dc, int x, int y) {
    for (int i = 0; i < 3; ++i) {
        const int lineY = y + 8 + i * 8;
        {
            Ink grey(dc, kDarkBlue, 2);
            MoveToEx(dc, x + 4, lineY, nullptr);
            LineTo(dc, x + 28, lineY);
        }
        const int knob = x + 8 + ((i * 11) % 17);
        Ink knobInk(dc, i == 1 ? kOrange : kBlue);
        Rectangle(dc, knob - 3, lineY - 4, knob + 4, lineY + 5);
    }
}

void DrawInfo(HDC dc, int x, int y) {
    {
        Ink blue(dc, kBlue);
        Ellipse(dc, x + 2, y + 2, x + 30, y + 30);
    }
    Fill(dc, x + 14, y + 8, x + 18, y + 12, kWhite);
    Fill(dc, x + 14, y + 14, x + 18, y + 25, kWhite);
}

void DrawToolImage(HDC dc, ToolImage image) {
    Fill(dc, 0, 0, kToolImageSize, kToolImageSize, kMaskColor);
    switch (image) {
    case ToolImage::Account: DrawPerson(dc, 0, -4); break;
    case ToolImage::Calendars:
        DrawCalendarPage(dc, 2, 5, 26, 24, 3, 2);
        DrawTick(dc, 0, 0);
        break;
    case ToolImage::General: DrawSliders(dc, 0, 0); break;
    case ToolImage::About: DrawInfo(dc, 0, 0); break;
    }
}

// Drawing in 96-DPI coordinates on a DC whose pictures are dpi / 96 times as large: every shape,
// pen and fill is scaled by GDI as it is drawn, not the finished pixels.
void ScaleDrawing(HDC dc, int dpi) {
    const float k = float(UsableDpi(dpi)) / float(kDesignDpi);
    if (k == 1.0f || !SetGraphicsMode(dc, GM_ADVANCED)) return;
    const XFORM scale{k, 0, 0, k, 0, 0};
    SetWorldTransform(dc, &scale);
}

}  // namespace

ImageListHandle MakeToolImages(const std::vector<ToolImage>& images, int dpi) {
    const int size = ScaleToDpi(kToolImageSize, dpi);
    ImageListHandle list(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, int(images.size()), 0));
    if (!list) return list;
    win32::WindowDc screen(nullptr);
    for (const ToolImage image : images) {
        void* bits = nullptr;
        win32::BitmapHandle bitmap = win32::CreateTopDownDib(size, size, &bits, screen.get());
        win32::MemoryDc dc(CreateCompatibleDC(screen.get()));
        if (!bitmap || !dc) continue;
        {
            win32::SelectGuard select(dc.get(), bitmap.get());
            ScaleDrawing(dc.get(), dpi);
            DrawToolImage(dc.get(), image);
        }
        // Added while selected into no DC: the list copies the pixels.
        ImageList_AddMasked(list.get(), bitmap.get(), kMaskColor);
    }
    return list;
}

win32::BitmapHandle DrawAboutPicture(int dpi) {
    const int w = kAboutPictureWidth, h = kAboutPictureHeight;
    win32::WindowDc screen(nullptr);
    void* bits = nullptr;
    win32::BitmapHandle bitmap =
        win32::CreateTopDownDib(ScaleToDpi(w, dpi), ScaleToDpi(h, dpi), &bits, screen.get());
    win32::MemoryDc dc(CreateCompatibleDC(screen.get()));
    if (!bitmap || !dc) return {};
    {
        win32::SelectGuard select(dc.get(), bitmap.get());
        ScaleDrawing(dc.get(), dpi);
        // A sky from pale blue to white, the desktop's edge, and the calendar standing on it.
        for (int y = 0; y < h; ++y) {
            const int t = y * 255 / h;
            Fill(dc.get(), 0, y, w, y + 1, RGB(0xC8 + (0x37 * t) / 255, 0xDC + (0x23 * t) / 255, 0xF0 + (0x0F * t) / 255));
        }
        Fill(dc.get(), 0, h - 28, w, h, RGB(0x4E, 0x5D, 0x6C));
        Fill(dc.get(), 0, h - 28, w, h - 25, RGB(0x86, 0x98, 0xAA));
        DrawCalendarPage(dc.get(), 40, 30, 150, 128, 7, 5);
        // A reminder balloon beside the page.
        {
            Ink balloon(dc.get(), RGB(0xFF, 0xFB, 0xE0));
            RoundRect(dc.get(), 150, 14, 222, 48, 12, 12);
            const POINT tail[3] = {{164, 46}, {176, 46}, {160, 60}};
            Polygon(dc.get(), tail, 3);
        }
        Fill(dc.get(), 160, 24, 210, 28, kDarkBlue);
        Fill(dc.get(), 160, 34, 196, 38, kGrey);
    }
    return bitmap;
}

win32::BitmapHandle TopBandIcon(HWND mainWindow, int dpi) {
    const int size = ScaleToDpi(kTopIconSize, dpi);
    if (HICON icon = mainWindow ? WindowIcon(mainWindow) : nullptr) return DrawIconPicture(icon, size, kWhite);
    win32::IconHandle own(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"AICON", IMAGE_ICON, size, size, 0)));
    return DrawIconPicture(own.get(), size, kWhite);
}

}  // namespace tessel
