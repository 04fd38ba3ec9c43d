#include "win32_e2e_screen.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "win32/win32_dib.h"
#include "win32/win32_handles.h"

namespace tessel::e2e {

Image CaptureScreen(const RECT& area) {
    Image image;
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return image;
    win32::WindowDc screen(nullptr);
    if (!screen.get()) return image;
    void* bits = nullptr;
    win32::BitmapHandle bitmap = win32::CreateTopDownDib(width, height, &bits, screen.get());
    win32::MemoryDc memory(CreateCompatibleDC(screen.get()));
    if (!bitmap || !memory || !bits) return image;
    {
        win32::SelectGuard select(memory.get(), bitmap.get());
        if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY)) return image;
        GdiFlush();
    }
    image.Width = width;
    image.Height = height;
    image.Pixels.resize(size_t(width) * size_t(height));
    const auto* bgra = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < image.Pixels.size(); ++i) {
        const uint32_t p = bgra[i];
        image.Pixels[i] = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    return image;
}

Image CaptureWindow(HWND window) {
    RECT r{};
    if (!GetWindowRect(window, &r)) return {};
    return CaptureScreen(r);
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(int(GetRValue(a)) - int(GetRValue(b))) <= tolerance &&
           std::abs(int(GetGValue(a)) - int(GetGValue(b))) <= tolerance &&
           std::abs(int(GetBValue(a)) - int(GetBValue(b))) <= tolerance;
}

double ShareNear(const Image& image, const RECT& area, COLORREF color, int tolerance) {
    const int left = std::max<int>(area.left, 0), top = std::max<int>(area.top, 0);
    const int right = std::min<int>(area.right, image.Width), bottom = std::min<int>(area.bottom, image.Height);
    if (right <= left || bottom <= top) return 0;
    int matching = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) matching += Near(image.At(x, y), color, tolerance) ? 1 : 0;
    return double(matching) / double((right - left) * (bottom - top));
}

bool SaveBitmap(const Image& image, const std::u16string& path) {
    if (image.Empty()) return false;
    const int rowBytes = (image.Width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = image.Width;
    info.biHeight = image.Height;  // bottom-up
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = DWORD(rowBytes * image.Height);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    std::vector<char> row(size_t(rowBytes), 0);
    for (int y = image.Height - 1; y >= 0; --y) {
        for (int x = 0; x < image.Width; ++x) {
            const COLORREF c = image.At(x, y);
            row[size_t(x) * 3] = char(GetBValue(c));
            row[size_t(x) * 3 + 1] = char(GetGValue(c));
            row[size_t(x) * 3 + 2] = char(GetRValue(c));
        }
        out.write(row.data(), rowBytes);
    }
    return bool(out);
}

}  // namespace tessel::e2e
