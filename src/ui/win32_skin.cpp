#include "ui/win32_skin.h"

#include <cstring>
#include <memory>
#include <vector>

#include "win32/win32_dib.h"
#include "win32/win32_window.h"

// The skin sits in front of a borderless window's own procedure (installed with
// SetWindowLongPtr, the previous procedure kept in a window property so messages still reach it
// after the skin is gone) and paints the whole window, non-client area included, on every
// WM_ERASEBKGND: first into a scratch bitmap of the window's size, then in one copy, so the
// window never shows a half-painted border.

namespace tessel {

namespace {

const wchar_t kSkinProp[] = L"TesselSkin";
const wchar_t kSavedProcProp[] = L"TesselSkinSavedProc";
const wchar_t kGripClass[] = L"TesselSkinGrip";

// A 32-bit top-down DIB holding the skin's image, made again when the skin is reloaded.
class SourceBitmap {
public:
    HBITMAP For(const TSkin& skin) {
        if (bitmap_ && version_ == skin.ImageVersion()) return bitmap_.get();
        bitmap_.reset();
        const TThemeImage& image = skin.Image();
        void* bits = nullptr;
        win32::BitmapHandle bitmap = win32::CreateTopDownDib(image.Width, image.Height, &bits);
        if (!bitmap || !bits) return nullptr;
        std::memcpy(bits, image.Bgra.data(), image.Bgra.size());
        bitmap_ = std::move(bitmap);
        version_ = skin.ImageVersion();
        return bitmap_.get();
    }

private:
    win32::BitmapHandle bitmap_;
    uint32_t version_ = 0;
};

void FillPlain(HDC dc, int width, int height, TColor color) {
    win32::BrushHandle brush(CreateSolidBrush(color));
    RECT all{0, 0, width, height};
    FillRect(dc, &all, brush.get());
}

void Paint(const TSkin& skin, SourceBitmap& source, HDC dc, int width, int height) {
    if (width <= 0 || height <= 0) return;
    const std::vector<TSkinBlit> plan = skin.Plan(width, height);
    HBITMAP image = plan.empty() ? nullptr : source.For(skin);
    if (!image) {
        FillPlain(dc, width, height, skin.PlainColor());
        return;
    }
    win32::BitmapHandle scratch(CreateCompatibleBitmap(dc, width, height));
    win32::MemoryDc scratchDc(CreateCompatibleDC(dc));
    win32::MemoryDc imageDc(CreateCompatibleDC(dc));
    if (!scratch || !scratchDc || !imageDc) {
        FillPlain(dc, width, height, skin.PlainColor());
        return;
    }
    win32::SelectGuard selectScratch(scratchDc.get(), scratch.get());
    win32::SelectGuard selectImage(imageDc.get(), image);
    // Pieces the plan leaves out (a window smaller than its borders) show the plain colour.
    FillPlain(scratchDc.get(), width, height, skin.PlainColor());
    // Whole pixels only: the bands must keep their exact colours when stretched.
    SetStretchBltMode(scratchDc.get(), COLORONCOLOR);
    for (const TSkinBlit& blit : plan) {
        const TRect& s = blit.Source;
        const TRect& d = blit.Dest;
        if (blit.Stretched())
            StretchBlt(scratchDc.get(), d.Left, d.Top, d.Width(), d.Height(), imageDc.get(), s.Left, s.Top,
                       s.Width(), s.Height(), SRCCOPY);
        else
            BitBlt(scratchDc.get(), d.Left, d.Top, d.Width(), d.Height(), imageDc.get(), s.Left, s.Top, SRCCOPY);
    }
    BitBlt(dc, 0, 0, width, height, scratchDc.get(), 0, 0, SRCCOPY);
}

void ProcessPendingMessages() {
    MSG msg;
    // Bounded: a window that keeps posting to itself must not hold the grip handler forever.
    for (int i = 0; i < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(int(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

BOOL CALLBACK InvalidateChild(HWND child, LPARAM) {
    InvalidateRect(child, nullptr, TRUE);
    return TRUE;
}

LRESULT CALLBACK GripProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    const int tag = int(GetWindowLongPtrW(hwnd, GWLP_ID));
    switch (msg) {
    case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, tag == kRightGripTag ? IDC_SIZEWE : IDC_SIZENS));
        return TRUE;
    case WM_ERASEBKGND:
        EraseWithParentBackground(hwnd, reinterpret_cast<HDC>(wp));
        return 1;
    case WM_PAINT: {
        win32::PaintDc paint(hwnd);  // nothing of its own: the grip shows the window's border
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        HWND form = GetParent(hwnd);
        HWND content = reinterpret_cast<HWND>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_LBUTTONDOWN) {
            ReleaseCapture();
            // Returns when the button is released and the window has its new size.
            SendMessageW(form, WM_SYSCOMMAND, tag == kRightGripTag ? kScSizeRight : kScSizeBottom, 0);
        }
        if (content) {
            InvalidateRect(content, nullptr, TRUE);
            EnumChildWindows(content, InvalidateChild, 0);
        }
        InvalidateRect(form, nullptr, TRUE);
        ProcessPendingMessages();
        return 0;
    }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

const wchar_t* GripClass() {
    WNDCLASSEXW existing{sizeof existing};
    if (GetClassInfoExW(GetModuleHandleW(nullptr), kGripClass, &existing)) return kGripClass;
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = GripProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kGripClass;
    RegisterClassExW(&wc);
    return kGripClass;
}

class SkinAttachment final : public ISkinAttachment {
public:
    SkinAttachment(TSkin& skin, HWND form, HWND content) : skin_(skin), form_(form), content_(content) {}

    ~SkinAttachment() override { Detach(); }

    void Install() {
        PlaceContent();
        UpdateShape(TRUE);
        if (skin_.Resizable) CreateGrips();
        SetPropW(form_, kSkinProp, this);
        const auto previous = GetWindowLongPtrW(form_, GWLP_WNDPROC);
        SetPropW(form_, kSavedProcProp, reinterpret_cast<HANDLE>(previous));
        SetWindowLongPtrW(form_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SkinProc));
        installed_ = true;
    }

private:
    static LRESULT CALLBACK SkinProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
        const auto saved = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kSavedProcProp));
        auto* self = static_cast<SkinAttachment*>(GetPropW(hwnd, kSkinProp));
        if (!saved) return DefWindowProcW(hwnd, msg, wp, lp);
        if (self) {
            try {
                switch (msg) {
                case WM_ERASEBKGND:
                    self->Erase(reinterpret_cast<HDC>(wp));
                    return 1;
                case WM_LBUTTONDOWN:
                    if (self->skin_.Resizable) {
                        ReleaseCapture();
                        SendMessageW(hwnd, WM_SYSCOMMAND, kScMoveByCaption, 0);
                        return 0;
                    }
                    break;
                case WM_SIZE:
                    if (self->skin_.Resizable) self->Layout();
                    self->UpdateShape(TRUE);
                    break;
                case WM_NCDESTROY:
                    self->Detach();
                    break;
                }
            } catch (...) {
                win32::ShowCurrentException(hwnd);
                return msg == WM_ERASEBKGND ? 1 : 0;
            }
        }
        if (msg == WM_NCDESTROY) RemovePropW(hwnd, kSavedProcProp);
        return CallWindowProcW(saved, hwnd, msg, wp, lp);
    }

    void Erase(HDC dc) {
        RECT window{};
        GetWindowRect(form_, &window);
        // A reloaded skin may have another outline; no redraw from inside the erase.
        UpdateShape(FALSE);
        Paint(skin_, source_, dc, window.right - window.left, window.bottom - window.top);
    }

    // The window region follows the image's opaque parts (rounded corners), for the current size
    // and image; a window whose image is opaque everywhere keeps no region.
    void UpdateShape(BOOL redraw) {
        RECT window{};
        GetWindowRect(form_, &window);
        const int width = window.right - window.left, height = window.bottom - window.top;
        if (width == shapeWidth_ && height == shapeHeight_ && skin_.ImageVersion() == shapeVersion_) return;
        shapeWidth_ = width;
        shapeHeight_ = height;
        shapeVersion_ = skin_.ImageVersion();
        const std::vector<TRect> shape = skin_.Shape(width, height);
        if (shape.empty()) {
            if (shaped_) SetWindowRgn(form_, nullptr, redraw);
            shaped_ = false;
            return;
        }
        std::vector<uint8_t> data(sizeof(RGNDATAHEADER) + shape.size() * sizeof(RECT));
        auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
        header->dwSize = sizeof(RGNDATAHEADER);
        header->iType = RDH_RECTANGLES;
        header->nCount = DWORD(shape.size());
        header->rcBound = {0, 0, width, height};
        auto* rects = reinterpret_cast<RECT*>(data.data() + sizeof(RGNDATAHEADER));
        for (size_t i = 0; i < shape.size(); ++i)
            rects[i] = {shape[i].Left, shape[i].Top, shape[i].Right, shape[i].Bottom};
        win32::RegionHandle region(
            ExtCreateRegion(nullptr, DWORD(data.size()), reinterpret_cast<const RGNDATA*>(data.data())));
        if (region && SetWindowRgn(form_, region.get(), redraw)) {
            region.release();  // the window owns the region now
            shaped_ = true;
        }
    }

    void PlaceContent() {
        if (!content_) return;
        RECT client{};
        GetClientRect(form_, &client);
        MoveWindow(content_, skin_.LeftLength(), skin_.TopLength(),
                   client.right - skin_.LeftLength() - skin_.RightLength(),
                   client.bottom - skin_.TopLength() - skin_.BottomLength(), TRUE);
    }

    void CreateGrips() {
        const wchar_t* cls = GripClass();
        const auto make = [&](int tag) {
            HWND grip = CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, form_,
                                        reinterpret_cast<HMENU>(INT_PTR(tag)), GetModuleHandleW(nullptr), nullptr);
            if (grip) SetWindowLongPtrW(grip, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(content_));
            return grip;
        };
        // The form owns them as its children; they go with it.
        rightGrip_ = make(kRightGripTag);
        bottomGrip_ = make(kBottomGripTag);
        LayoutGrips();
    }

    // The bottom grip takes the whole width, the right one the height above it.
    void LayoutGrips() {
        RECT client{};
        GetClientRect(form_, &client);
        const int bottom = skin_.BottomLength();
        const int right = skin_.RightLength();
        if (bottomGrip_) MoveWindow(bottomGrip_, 0, client.bottom - bottom, client.right, bottom, TRUE);
        if (rightGrip_) MoveWindow(rightGrip_, client.right - right, 0, right, client.bottom - bottom, TRUE);
    }

    // A resizable window keeps its content inside the border at every size.
    void Layout() {
        PlaceContent();
        LayoutGrips();
    }

    void Detach() {
        if (!installed_) return;
        installed_ = false;
        if (!IsWindow(form_)) return;
        // Put the old procedure back only when nobody subclassed after us; otherwise our
        // procedure stays in the chain and forwards through the saved-procedure property.
        if (GetWindowLongPtrW(form_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&SkinProc)) {
            SetWindowLongPtrW(form_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GetPropW(form_, kSavedProcProp)));
            RemovePropW(form_, kSavedProcProp);
        }
        RemovePropW(form_, kSkinProp);
        if (shaped_) SetWindowRgn(form_, nullptr, TRUE);
        shaped_ = false;
    }

    TSkin& skin_;
    HWND form_;
    HWND content_;
    HWND rightGrip_ = nullptr;
    HWND bottomGrip_ = nullptr;
    SourceBitmap source_;
    bool installed_ = false;
    bool shaped_ = false;
    int shapeWidth_ = -1;
    int shapeHeight_ = -1;
    uint32_t shapeVersion_ = 0;
};

}  // namespace

void ApplySkin(TSkin& skin, HWND form, HWND content) {
    auto attachment = std::make_unique<SkinAttachment>(skin, form, content);
    SkinAttachment& installed = *attachment;
    skin.SetAttachment(std::move(attachment));
    installed.Install();
}

void PaintSkin(const TSkin& skin, HDC dc, int width, int height) {
    SourceBitmap source;
    Paint(skin, source, dc, width, height);
}

void EraseWithParentBackground(HWND child, HDC dc) {
    HWND parent = GetParent(child);
    if (!parent) return;
    POINT origin{0, 0};
    MapWindowPoints(child, parent, &origin, 1);
    POINT old{};
    OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
    SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

}  // namespace tessel
