#include "ui/win32_event_form.h"

#include <windowsx.h>

#include <algorithm>
#include <exception>

#include "base/clock.h"
#include "base/text.h"
#include "base/win32_system_error.h"
#include "calendar/account.h"
#include "calendar/event_sources.h"
#include "calendar/locale_format.h"
#include "calendar/service_hosts.h"
#include "ui/dpi_scale.h"
#include "ui/profile.h"
#include "ui/skin.h"
#include "ui/theme.h"
#include "ui/url_opener.h"
#include "ui/web_links.h"
#include "ui/win32_drawing.h"
#include "ui/win32_label.h"
#include "ui/win32_skin.h"
#include "ui/win32_text_measure.h"
#include "ui/win32_tool_tips.h"
#include "win32/win32_dpi.h"
#include "win32/win32_text.h"

// The window is built from plain child windows: the title bar (TPanel) across the top, and the
// content panel (BkPanel) that the skin places inside its border. The content panel paints the
// heading's and the foot's rounded shapes as its background, so the transparent labels on it
// show them; the list (EventGrid) fills the space between heading and foot.

namespace tessel {

using win32::W;

namespace {

constexpr int kTitleBarHeight = 24;
constexpr int kImageSize = 16;
constexpr POINT kMenuImage{7, 5};
constexpr int kCloseImageRight = 21;  // Image1 sits at (171, 5) of the 192-pixel design, anchored right
constexpr int kTitlePanelHeight = 25;
constexpr int kNextPanelHeight = 45;
constexpr POINT kNextLabelAt{8, 2};
constexpr int kTickTop = 17;
constexpr int kTickMargin = 2;
constexpr UINT kViewEditCommand = 1;

// A filled rounded shape: corners of a quarter of the shorter side.
void FillShape(HDC dc, const RECT& r, COLORREF color) {
    const int corner = std::min(r.right - r.left, r.bottom - r.top) / 4;
    win32::BrushHandle brush(CreateSolidBrush(color));
    win32::SelectGuard selectBrush(dc, brush.get());
    win32::SelectGuard selectPen(dc, GetStockObject(NULL_PEN));
    // Without a pen RoundRect leaves out the last column and row; one pixel more fills the rectangle.
    RoundRect(dc, r.left, r.top, r.right + 1, r.bottom + 1, corner, corner);
}

TCanvasFont FontOf(const TCalFont& font) {
    TCanvasFont canvasFont;
    TTheme::ApplyFont(canvasFont, font);
    return canvasFont;
}

void SetAccessibleText(HWND window, const std::u16string& text) {
    if (window) SetWindowTextW(window, W(text));
}

}  // namespace

// TPanel: the title bar with the menu area (Image3) and the close image (Image1). A press
// elsewhere drags the window; a right-button release anywhere opens the main menu.
class TEventFm::TitleBar final : public win32::Window {
public:
    explicit TitleBar(TEventFm& form) : form_(form) {}

    bool Make(HWND parent, int width) {
        const wchar_t* cls = RegisterClassOnce(L"TesselEventTitle", 0);
        if (!Create(0, cls, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, width,
                    form_.Scaled(kTitleBarHeight), parent))
            return false;
        hints_.Create(Handle());
        PlaceHints();
        return true;
    }

    RECT CloseImage() const {
        RECT client{};
        GetClientRect(Handle(), &client);
        const int left = client.right - form_.Scaled(kCloseImageRight);
        const int top = form_.Scaled(kMenuImage.y), size = form_.Scaled(kImageSize);
        return RECT{left, top, left + size, top + size};
    }
    RECT MenuImage() const {
        const int left = form_.Scaled(kMenuImage.x), top = form_.Scaled(kMenuImage.y), size = form_.Scaled(kImageSize);
        return RECT{left, top, left + size, top + size};
    }
    // The hints follow the images when the window is laid out again.
    void Relayout() { PlaceHints(); }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        switch (msg) {
        case WM_ERASEBKGND:
            EraseWithParentBackground(Handle(), reinterpret_cast<HDC>(wp));
            return 1;
        case WM_SIZE:
            PlaceHints();
            return 0;
        case WM_PAINT: {
            win32::PaintDc paint(Handle());
            PaintCloseImage(paint.get());
            return 0;
        }
        case WM_LBUTTONDOWN: {
            const RECT close = CloseImage(), menu = MenuImage();
            pressed_ = PtInRect(&close, p) ? kClose : PtInRect(&menu, p) ? kMenu : kNone;
            if (pressed_ == kNone) {
                form_.DragWindow();
            } else {
                SetCapture(Handle());
            }
            return 0;
        }
        case WM_LBUTTONUP: {
            const int pressed = pressed_;
            pressed_ = kNone;
            if (GetCapture() == Handle()) ReleaseCapture();
            const RECT close = CloseImage(), menu = MenuImage();
            if (pressed == kClose && PtInRect(&close, p)) form_.FormClose();
            if (pressed == kMenu && PtInRect(&menu, p)) form_.ShowMainMenu();
            return 0;
        }
        case WM_RBUTTONUP:
            form_.ShowMainMenu();
            return 0;
        case WM_MOUSEMOVE:
            hints_.PointerMoved(wp, lp);
            break;
        }
        return DefaultProc(msg, wp, lp);
    }

private:
    enum { kNone, kMenu, kClose };

    // The close image is anchored to the right, so its hint moves with the width.
    void PlaceHints() {
        hints_.SetTool(kClose, CloseImage(), u"Close");
        hints_.SetTool(kMenu, MenuImage(), u"Menu");
    }

    // The close picture: a cross in the date font's colour over the dark shadow the texts have.
    void PaintCloseImage(HDC dc) {
        const RECT r = CloseImage();
        const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        DrawShadowGlyph(
            dc, form_.services_.Theme.DateFont.Color,
            [&](int shift) { DrawCloseCross(dc, cx + shift, cy + shift, form_.Dpi()); }, form_.Dpi());
    }

    TEventFm& form_;
    int pressed_ = kNone;
    TToolTips hints_;
};

// BkPanel with TitlePanel's Shape1 and NextPanel's EventShape and TickShap as its background.
class TEventFm::ContentPanel final : public win32::Window {
public:
    explicit ContentPanel(TEventFm& form) : form_(form) {}

    bool Make(HWND parent) {
        const wchar_t* cls = RegisterClassOnce(L"TesselEventPanel", 0);
        return Create(0, cls, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent);
    }

    // The rectangles of the heading, the foot and the countdown's white box.
    RECT TitlePanel() const { return RECT{0, 0, Width(), form_.Scaled(kTitlePanelHeight)}; }
    RECT NextPanel() const { return RECT{0, Height() - form_.Scaled(kNextPanelHeight), Width(), Height()}; }
    RECT TickShape() const {
        const RECT next = NextPanel();
        const int margin = form_.Scaled(kTickMargin);
        return RECT{margin, next.top + form_.Scaled(kTickTop), next.right - margin, next.bottom - margin};
    }
    int Width() const { return Client().right; }
    int Height() const { return Client().bottom; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_ERASEBKGND: {
            const HDC dc = reinterpret_cast<HDC>(wp);
            EraseWithParentBackground(Handle(), dc);
            const COLORREF title = form_.services_.Theme.TitleColor;
            FillShape(dc, TitlePanel(), title);
            FillShape(dc, NextPanel(), title);
            FillShape(dc, TickShape(), kWhite);
            return 1;
        }
        case WM_SIZE:
            form_.LayoutContent();
            return 0;
        case WM_RBUTTONUP:
            form_.ShowMainMenu();
            return 0;
        }
        return DefaultProc(msg, wp, lp);
    }

private:
    RECT Client() const {
        RECT r{};
        GetClientRect(Handle(), &r);
        return r;
    }

    TEventFm& form_;
};

TEventFm::TEventFm(const EventFormServices& services, HWND mainWindow)
    : services_(services),
      mainWindow_(mainWindow),
      locale_(CreateSystemLocaleFormat()),
      titleBar_(std::make_unique<TitleBar>(*this)),
      bkPanel_(std::make_unique<ContentPanel>(*this)) {
    ReportError = [this](const std::string& message) {
        const std::u16string text = Utf8ToUtf16(message);
        win32::ShowMessageBox(Handle(), text, u"Tessel Desktop", MB_OK | MB_ICONERROR);
    };
}

TEventFm::~TEventFm() {
    if (Handle() && !destroyed_) DestroyWindow(Handle());
}

void TEventFm::FormCreate() {
    const wchar_t* cls = RegisterClassOnce(kClassName, CS_DBLCLKS, nullptr, nullptr);
    // Hidden and without a task-bar button from the start: a layered tool window.
    if (!Create(WS_EX_LAYERED | WS_EX_TOOLWINDOW, cls, L"Events", WS_POPUP | WS_CLIPCHILDREN, 0, 0, kDesignWidth,
                kDesignHeight, nullptr))
        RaiseLastSystemError("The event list window could not be created");
    dpi_ = UsableDpi(win32::WindowDpi(Handle()));
    win32::SetWindowDpi(Handle(), dpi_);
    MeasureFonts();
    SetWindowPos(Handle(), nullptr, 0, 0, Scaled(kDesignWidth), Scaled(kDesignHeight),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    services_.EventSkin.SetDpi(dpi_);
    services_.EventSkin.Load(services_.Theme);
    LoadPosition();

    RECT client{};
    GetClientRect(Handle(), &client);
    titleBar_->Make(Handle(), client.right);
    bkPanel_->Make(Handle());
    grid_.CreateIn(bkPanel_->Handle());
    grid_.OnDrawCell = [this](HDC dc, int row, const RECT& rect) { EventGridDrawCell(dc, row, rect); };
    grid_.OnDblClick = [this] { EventGridDblClick(); };
    grid_.OnContextMenu = [this] { ShowPopupMenu(); };
    grid_.OnResize = [this] { grid_.SetColWidth(GridClientWidth() - 2); };
    popupMenu1_.reset(CreatePopupMenu());
    AppendMenuW(popupMenu1_.get(), MF_STRING, kViewEditCommand, L"View/Edit Event");

    CreateLabels();
    grid_.SetDefaultRowHeight(fonts_.EventFont.TextHeight + Scaled(kRowTextPadding));

    services_.EventSkin.Resizable = true;
    ApplySkin(services_.EventSkin, Handle(), bkPanel_->Handle());
    LayoutContent();
    if (ShowFlag) ShowForm();
}

void TEventFm::CreateLabels() {
    const TTheme& theme = services_.Theme;
    const TCanvasFont dateFont = FontOf(theme.DateFont);
    const TCanvasFont eventFont = FontOf(theme.EventFont);
    const auto setUp = [](TCLabel& label, const TCanvasFont& font, HWND parent, bool visible) {
        label.SetTransparent(true);
        label.SetVisible(visible);
        label.SetFont(font);
        CreateLabelWindow(label, parent);
    };

    setUp(dateLabel_, dateFont, bkPanel_->Handle(), true);
    setUp(eventsLabel_, dateFont, titleBar_->Handle(), true);
    eventsLabel_.SetwCaption(u"Events");
    PlaceTitleLabels();
    // The caption is part of the title bar: it drags the window and opens the menu like it.
    eventsLabel_.OnMouseDown = [this](TCLabel&, int button, int32_t, int32_t) {
        if (button == 0) DragWindow();
    };
    eventsLabel_.OnMouseUp = [this](TCLabel&, int button, int32_t, int32_t) {
        if (button == 1) ShowMainMenu();
    };

    TCanvasFont white = eventFont;
    white.Color = kWhite;
    setUp(nextLabel_, white, bkPanel_->Handle(), true);
    nextLabel_.SetwCaption(u"Next Event :");

    setUp(nextTitleLabel_, eventFont, bkPanel_->Handle(), false);

    TCanvasFont black = dateFont;
    black.Color = 0;
    countdownLabel_.SetAutoSize(false);
    setUp(countdownLabel_, black, bkPanel_->Handle(), false);
    countdownLabel_.OnDrawText = [this](TCLabel&, ICanvas& canvas, TRect& rect, uint32_t) {
        DrawCountdownLabel(canvas, rect);
    };
}

int TEventFm::Scaled(int length) const { return ScaleToDpi(length, dpi_); }

void TEventFm::MeasureFonts() {
    win32::WindowDc screen(Handle());
    TDcCanvas canvas(screen.get(), dpi_);
    fonts_ = services_.Theme.FontsAt(dpi_, canvas);
}

void TEventFm::PlaceTitleLabels() {
    const int textHeight = fonts_.DateFont.TextHeight;
    dateLabel_.SetPosition(Scaled(8), (Scaled(kTitlePanelHeight) - textHeight) / 2);
    eventsLabel_.SetPosition(Scaled(30), (services_.EventSkin.TopLength() - textHeight) / 2);
}

void TEventFm::DpiChanged(int dpi, const RECT& suggested) {
    dpi_ = UsableDpi(dpi);
    win32::SetWindowDpi(Handle(), dpi_);
    MeasureFonts();
    services_.EventSkin.SetDpi(dpi_);
    grid_.SetDefaultRowHeight(fonts_.EventFont.TextHeight + Scaled(kRowTextPadding));
    SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // The labels measure their texts again in fonts made at the new resolution.
    for (TCLabel* label : {&dateLabel_, &eventsLabel_, &nextLabel_, &nextTitleLabel_, &countdownLabel_}) label->Changed();
    PlaceTitleLabels();
    titleBar_->Relayout();
    LayoutContent();
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TEventFm::LayoutContent() {
    if (!bkPanel_->Handle() || !grid_.Handle()) return;
    const RECT title = bkPanel_->TitlePanel();
    const RECT next = bkPanel_->NextPanel();
    const int width = bkPanel_->Width();
    MoveWindow(grid_.Handle(), 0, title.bottom, width, std::max(0, int(next.top - title.bottom)), TRUE);
    nextLabel_.SetPosition(Scaled(kNextLabelAt.x), next.top + Scaled(kNextLabelAt.y));
    const TRect& nextBounds = nextLabel_.Bounds();
    nextTitleLabel_.SetPosition(nextBounds.Right + Scaled(2), nextBounds.Top - Scaled(1));
    const RECT tick = bkPanel_->TickShape();
    const int inset = Scaled(2);
    countdownLabel_.SetBounds(TRect{tick.left + inset, tick.top + inset, tick.right - inset, tick.bottom - inset});
    FormResize();
    InvalidateRect(bkPanel_->Handle(), nullptr, TRUE);
}

int TEventFm::GridClientWidth() const {
    RECT client{};
    GetClientRect(grid_.Handle(), &client);
    return client.right;
}

void TEventFm::FormResize() {
    if (grid_.Handle()) grid_.SetColWidth(GridClientWidth() - 2);
    if (titleBar_->Handle()) {
        RECT client{};
        GetClientRect(Handle(), &client);
        SetWindowPos(titleBar_->Handle(), nullptr, 0, 0, client.right, Scaled(kTitleBarHeight),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(titleBar_->Handle(), nullptr, TRUE);
    }
}

void TEventFm::LoadPosition() {
    TEventWindowSettings settings;
    settings.Visible = ShowFlag ? 1 : 0;
    std::exception_ptr failure;
    try {
        ReadEventWindowSettings(services_.Profile.Doc, settings);
    } catch (...) {
        failure = std::current_exception();
    }
    RECT window{}, main{};
    GetWindowRect(Handle(), &window);
    if (!mainWindow_ || !GetWindowRect(mainWindow_, &main)) main = RECT{};
    const TRect desktop{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                        GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                        GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const TEventWindowPlace place = PlaceEventWindow(settings, GetSystemMetrics(SM_CXSCREEN), desktop, main.top,
                                                     window.right - window.left, window.bottom - window.top);
    SetWindowPos(Handle(), nullptr, place.Left, place.Top, place.Width, place.Height, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowFlag = settings.Visible == 1;
    // Always set, even after a bad value: a layered window without its alpha stays invisible.
    SetLayeredWindowAttributes(Handle(), 0, AlphaOfTransparency(services_.Profile.Transparency), LWA_ALPHA);
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& e) {
            if (ReportError) ReportError(e.what());
        }
    }
}

void TEventFm::ShowForm() { ShowWindow(Handle(), SW_SHOWNOACTIVATE); }

void TEventFm::FormClose() {
    // Closing only hides; the tray icon's click leaves it hidden, "Show Canlendar" brings it back.
    ShowFlag = false;
    ShowWindow(Handle(), SW_HIDE);
}

void TEventFm::FormDestroy() {
    destroyed_ = true;
    StorePlace();
}

void TEventFm::StorePlace() {
    RECT r{};
    GetWindowRect(Handle(), &r);
    // Writers never create the element: without it the place is simply not stored.
    if (TxdataNode* node = services_.Profile.Doc.FindNode(u"eventwindow")) {
        node->SetAttribute(u"left", Widen(std::to_string(r.left)));
        node->SetAttribute(u"top", Widen(std::to_string(r.top)));
        node->SetAttribute(u"height", Widen(std::to_string(r.bottom - r.top)));
        node->SetAttribute(u"width", Widen(std::to_string(r.right - r.left)));
    }
}

LRESULT TEventFm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SIZE:
        FormResize();
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        info->ptMinTrackSize = POINT{Scaled(kEventWindowMinWidth), Scaled(kEventWindowMinHeight)};
        return 0;
    }
    case WM_DPICHANGED:
        DpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
        return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == kViewEditCommand) EventGridDblClick();
        return 0;
    case WM_CLOSE:
        FormClose();
        return 0;
    case WM_DESTROY:
        FormDestroy();
        return 0;
    case WM_RBUTTONUP:
        ShowMainMenu();
        return 0;
    }
    return DefaultProc(msg, wp, lp);
}

void TEventFm::ShowDay(const EventList& events, TDateTime date) {
    shownRows_ = RowsOfDay(events, date);
    shownDate_ = date;
    FormResize();
    dateLabel_.SetwCaption(DateHeading(date));
    grid_.SetRowCount(int(shownRows_.size()));
    DescribeRows();
    InvalidateRect(grid_.Handle(), nullptr, FALSE);
}

// The rows' texts as the list's window text, one per line, where screen readers look for them.
void TEventFm::DescribeRows() {
    std::u16string text;
    for (const TShownRow& row : shownRows_) {
        if (!text.empty()) text += u"\r\n";
        text += EventRowText(row.Event, locale_->TimeSeparator());
    }
    SetAccessibleText(grid_.Handle(), text);
    SetAccessibleText(LabelHandle(dateLabel_), dateLabel_.wCaption());
}

void TEventFm::EventGridDrawCell(HDC dc, int row, const RECT& rect) {
    // A sync is rebuilding the list: the rows wait for the paint after it.
    if (services_.Sources.Syncing || shownRows_.empty()) return;
    DrawEventRow(dc, row, rect);
}

void TEventFm::DrawEventRow(HDC dc, int row, const RECT& cell) {
    if (row < 0 || size_t(row) >= shownRows_.size()) return;
    const Tevent& ev = shownRows_[size_t(row)].Event;
    RECT r{cell.left + Scaled(4), cell.top + Scaled(2), cell.right, cell.bottom};
    TDcCanvas canvas(dc, dpi_);  // the list paints off screen
    canvas.Font() = FontOf(services_.Theme.EventFont);
    canvas.Prepare();
    const std::u16string text = EventRowText(ev, locale_->TimeSeparator());
    {
        win32::BrushHandle brush(CreateSolidBrush(ev.Color));
        win32::PenHandle pen(CreatePen(PS_SOLID, 1, kWhite));
        win32::SelectGuard selectBrush(dc, brush.get());
        win32::SelectGuard selectPen(dc, pen.get());
        RoundRect(dc, r.left, r.top, r.right, r.bottom, Scaled(5), Scaled(5));
    }
    DrawShadowText(dc, r, text, kShadowIndented);
    grid_.SetRowHeight(row, GrownRowHeight(grid_.RowHeight(row), grid_.DefaultRowHeight(), r.bottom - r.top));
}

void TEventFm::EventGridDblClick() {
    const int row = grid_.Row();
    if (row < 0 || size_t(row) >= shownRows_.size()) return;
    const Tevent& ev = shownRows_[size_t(row)].Event;
    const std::string url =
        EventPageUrl(services_.Hosts, std::string(ev.Link()), services_.Account.UserName, services_.Account.Password);
    if (!url.empty()) services_.Browser.Open(url);
}

void TEventFm::ShowPopupMenu() {
    POINT cursor{};
    GetCursorPos(&cursor);
    // The menu closes when the user clicks elsewhere only if this window is in the foreground.
    SetForegroundWindow(Handle());
    TrackPopupMenu(popupMenu1_.get(), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, Handle(), nullptr);
    PostMessageW(Handle(), WM_NULL, 0, 0);
}

void TEventFm::ShowMainMenu() {
    if (OnMainMenu) OnMainMenu();
}

void TEventFm::DragWindow() {
    ReleaseCapture();
    SendMessageW(Handle(), WM_SYSCOMMAND, kScMoveByCaption, 0);
}

void TEventFm::UpdateNextEvent() {
    if (!Handle()) return;
    nextTime_ = NextAlertTime ? NextAlertTime() : 0;
    const TEventSources& calendar = services_.Sources;
    if (calendar.NextIndex < 0 || size_t(calendar.NextIndex) >= calendar.Events.size()) {
        RefreshCountdown();
        return;
    }
    const Tevent& ev = calendar.Events[size_t(calendar.NextIndex)].Event;
    nextTime_ = ev.StartTime;
    if (HoursBetween(services_.Clock.Now(), nextTime_) < kCountdownHours) {
        nextTitleLabel_.SetwCaption(std::u16string(ev.Title()));
        // Shown from now on; nothing hides them again.
        nextTitleLabel_.SetVisible(true);
        countdownLabel_.SetVisible(true);
    }
    RefreshCountdown();
}

void TEventFm::RefreshCountdown() {
    if (!countdownLabel_.Window()) return;
    SetAccessibleText(LabelHandle(countdownLabel_), CountdownText(services_.Clock.Now(), nextTime_));
    SetAccessibleText(LabelHandle(nextTitleLabel_), nextTitleLabel_.wCaption());
    countdownLabel_.Changed();
}

void TEventFm::DrawCountdownLabel(ICanvas& canvas, const TRect& rect) {
    const TRect local{0, 0, rect.Width(), rect.Height()};
    if (!DrawCountdown(canvas, local, services_.Clock.Now(), nextTime_, services_.Theme.EventFont.Size) &&
        nextTitleLabel_.wCaption() != u"No Event") {
        nextTitleLabel_.SetwCaption(u"No Event");
        SetAccessibleText(LabelHandle(nextTitleLabel_), nextTitleLabel_.wCaption());
    }
}

HWND TEventFm::CountdownHandle() const { return LabelHandle(countdownLabel_); }
HWND TEventFm::NextTitleHandle() const { return LabelHandle(nextTitleLabel_); }

}  // namespace tessel
