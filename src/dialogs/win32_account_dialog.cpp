#include "dialogs/win32_account_dialog.h"

#include <commctrl.h>

#include <exception>
#include <vector>

#include "base/errors.h"
#include "base/text.h"
#include "calendar/account.h"
#include "calendar/calendar.h"
#include "calendar/service_hosts.h"
#include "dialogs/settings_dialog_logic.h"
#include "ui/dpi_scale.h"
#include "win32/win32_text.h"
#include "win32/win32_window.h"

// The dialog signs in on the user-interface thread: Connect blocks, and the status handler
// keeps the dialog painted by letting pending messages run. While it runs, the buttons that
// would start another sign-in, save or close are ignored, so the list the rows were built from
// is the one Save reads.

namespace tessel {

namespace {

constexpr int kPanelLeft = 144, kPanelTop = 128, kPanelWidth = 265, kPanelHeight = 81;
constexpr int kPanelBorder = 8;
constexpr int kListColumnWidth = 250;
constexpr int kPagesLeft = TBandedDialog::kLeftBandWidth + 12;

}  // namespace

// msgpanel with msglabel: a bordered panel floating over the pages with a word-wrapped text,
// 10 pixels from its top, the panel as high as the text and 20 pixels.
class TAccountFm::MessagePanel final : public win32::Window {
public:
    // dpi: the dialog's resolution, which the panel's 96-DPI lengths are scaled to.
    bool Make(HWND parent, int id, int dpi, HFONT font) {
        dpi_ = dpi;
        font_ = font;
        const wchar_t* cls = RegisterClassOnce(L"TesselDialogMsgPanel", 0);
        return Create(0, cls, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_BORDER, Scaled(kPanelLeft), Scaled(kPanelTop),
                      Scaled(kPanelWidth), Scaled(kPanelHeight), parent, reinterpret_cast<HMENU>(INT_PTR(id)));
    }

    // The dialog moved to another resolution: the panel is laid out again in its new font.
    void Rescale(int dpi, HFONT font) {
        dpi_ = dpi;
        font_ = font;
        if (Handle()) Show(text_, IsWindowVisible(Handle()) != FALSE);
    }

    void Show(const std::u16string& text, bool visible) {
        text_ = WithCrLf(text);
        // Also the window's text, where tests and screen readers look for it.
        SetWindowTextW(Handle(), win32::W(text_));
        int height = Scaled(kPanelHeight);
        {
            win32::WindowDc dc(Handle());
            win32::SelectGuard font(dc.get(), Font());
            RECT r{0, 0, LabelWidth(), 0};
            DrawTextW(dc.get(), win32::W(text_), int(text_.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
            height = r.bottom + Scaled(20) + 2;  // the label, its margins and the border
        }
        SetWindowPos(Handle(), HWND_TOP, Scaled(kPanelLeft), Scaled(kPanelTop), Scaled(kPanelWidth), height,
                     (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW) | SWP_NOACTIVATE);
        InvalidateRect(Handle(), nullptr, TRUE);
        if (visible) UpdateWindow(Handle());
    }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg != WM_PAINT) return DefaultProc(msg, wp, lp);
        win32::PaintDc paint(Handle());
        RECT r;
        GetClientRect(Handle(), &r);
        FillRect(paint.get(), &r, GetSysColorBrush(COLOR_BTNFACE));
        win32::SelectGuard font(paint.get(), Font());
        SetBkMode(paint.get(), TRANSPARENT);
        SetTextColor(paint.get(), GetSysColor(COLOR_BTNTEXT));
        RECT text{Scaled(kPanelBorder), Scaled(10), Scaled(kPanelBorder) + LabelWidth(), r.bottom};
        DrawTextW(paint.get(), win32::W(text_), int(text_.size()), &text, DT_WORDBREAK | DT_NOPREFIX);
        return 0;
    }

private:
    int Scaled(int length) const { return ScaleToDpi(length, dpi_); }
    int LabelWidth() const { return Scaled(kPanelWidth - 2 * kPanelBorder) - 2; }
    HFONT Font() const { return font_; }

    std::u16string text_;
    int dpi_ = 96;
    HFONT font_ = nullptr;  // the dialog's
};

void TAccountFm::DpiChanged() {
    TBandedDialog::DpiChanged();
    ListView_SetColumnWidth(Item(kListView1), 0, Scaled(kListColumnWidth));
    msgpanel_->Rescale(Dpi(), DialogFont());
}

TAccountFm::TAccountFm(TAccount& account, TCalendar& calendar, const ServiceHosts& hosts, HWND mainWindow)
    : account_(account), calendar_(calendar), hosts_(hosts), mainWindow_(mainWindow),
      msgpanel_(std::make_unique<MessagePanel>()), keptUser_(account.UserName), keptPassword_(account.Password) {}

TAccountFm::~TAccountFm() = default;

void TAccountFm::FormCreate() {
    MakeTopBand(mainWindow_, u"Google Calendar", Widen(HomePageAddress(hosts_.Maker)));
    MakeToolBar({{kAccountbtn, u"  1. User Account  "}, {kCalendarBtn, u"2. Canlendars"}},
                {ToolImage::Account, ToolImage::Calendars});

    BeginPage(0);
    AddPageControl(L"BUTTON", u"Gmail Account", BS_GROUPBOX, kPagesLeft, 64, 330, 120);
    AddPageControl(L"STATIC", u"Username :", SS_LEFT, kPagesLeft + 16, 98, 70, 16);
    HWND user = AddPageControl(L"EDIT", AccountFieldText(account_.UserName), WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL,
                               kPagesLeft + 96, 94, 216, 22, kUserEd, WS_EX_CLIENTEDGE);
    AddPageControl(L"STATIC", u"Password :", SS_LEFT, kPagesLeft + 16, 138, 70, 16);
    HWND pass = AddPageControl(L"EDIT", AccountFieldText(account_.Password), WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD,
                               kPagesLeft + 96, 134, 216, 22, kPassEd, WS_EX_CLIENTEDGE);
    SendMessageW(pass, EM_SETPASSWORDCHAR, WPARAM(L'*'), 0);

    BeginPage(1);
    AddPageControl(L"STATIC", u"View calendar list :", SS_LEFT, kPagesLeft, 60, 200, 16);
    HWND list = AddPageControl(WC_LISTVIEWW, u"",
                               WS_TABSTOP | WS_GROUP | WS_CLIPSIBLINGS | LVS_REPORT | LVS_SINGLESEL |
                                   LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                               kPagesLeft, 80, 330, 214, kListView1, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    std::u16string column = u"Calendars";
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.cx = Scaled(kListColumnWidth);
    col.pszText = win32::W(column);
    ListView_InsertColumn(list, 0, &col);
    BeginPage(-1);

    msgpanel_->Make(Handle(), kMsgPanel, Dpi(), DialogFont());

    const int top = ButtonTop();
    const int right = kClientSize.cx - 12;
    AddControl(L"BUTTON", u"Next", WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, right - 2 * kButtonWidth - 8, top,
               kButtonWidth, kButtonHeight, kNextBtn);
    // Save sits where Next is and shows on the second page only.
    HWND save = AddControl(L"BUTTON", u"Save", WS_TABSTOP | BS_PUSHBUTTON, right - 2 * kButtonWidth - 8, top,
                           kButtonWidth, kButtonHeight, kSaveBtn);
    ShowWindow(save, SW_HIDE);
    AddControl(L"BUTTON", u"Cancel", WS_TABSTOP | BS_PUSHBUTTON, right - kButtonWidth, top, kButtonWidth,
               kButtonHeight, kCancelbtn);

    SelectPage(0);
    ShowPageButtons();
    SetFocus(user);
}

void TAccountFm::Command(int id, int code, HWND) {
    // A sign-in in progress: the buttons wait for it (its messages run inside it).
    if (connecting_) return;
    switch (id) {
    case kNextBtn: NextBtnClick(); break;
    case kAccountbtn: AccountbtnClick(); break;
    case kCalendarBtn: CalendarBtnClick(); break;
    case kSaveBtn: SaveBtnClick(); break;
    case kCancelbtn: CancelClick(); break;
    default: (void)code; break;
    }
}

bool TAccountFm::FormCloseQuery() { return logic_.CanClose() && !connecting_; }

void TAccountFm::NextBtnClick() {
    const std::u16string user = WindowText(Item(kUserEd));
    if (logic_.NextClick(user) == TAccountDialogLogic::NextResult::UsernameEmpty) {
        const std::u16string text = WithCrLf(Widen(kUsernameEmptyText));
        win32::ShowMessageBox(Handle(), text, u"Gmail Account", MB_OK | MB_ICONERROR);
        return;
    }
    CalendarBtnClick();
}

void TAccountFm::AccountbtnClick() {
    logic_.AccountbtnClick();
    SelectPage(TAccountDialogLogic::kAccountPage);
    ShowPageButtons();
    ShowPanel(u"", false);
}

void TAccountFm::CalendarBtnClick() {
    logic_.CalendarBtnClick();
    SelectPage(TAccountDialogLogic::kCalendarPage);
    ShowPageButtons();
    InvalidateRect(Item(kCancelbtn), nullptr, TRUE);
    UpdateBtnClick();
}

void TAccountFm::ShowPageButtons() {
    const int defaultId = logic_.NextVisible() ? kNextBtn : kSaveBtn;
    HWND focused = GetFocus();
    ShowWindow(Item(kNextBtn), logic_.NextVisible() ? SW_SHOW : SW_HIDE);
    ShowWindow(Item(kSaveBtn), logic_.SaveVisible() ? SW_SHOW : SW_HIDE);
    // Enter presses the button that is shown: Next on the first page, Save on the second.
    SendMessageW(Handle(), DM_SETDEFID, WPARAM(defaultId), 0);
    SendMessageW(Item(kNextBtn), BM_SETSTYLE, defaultId == kNextBtn ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    SendMessageW(Item(kSaveBtn), BM_SETSTYLE, defaultId == kSaveBtn ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    // The focus must not stay on a control that the page change hid.
    if (!focused || !IsWindowVisible(focused))
        SetFocus(Item(logic_.CurrentPage() == TAccountDialogLogic::kAccountPage ? kUserEd : kListView1));
}

void TAccountFm::UpdateBtnClick() {
    if (calendar_.Syncing) {
        // Opened from the menu while a sync waits on the network: signing in now would change
        // the credentials and the calendar list under it.
        ShowPanel(Widen(kSyncRunningText), true);
        FillCalendarList();
        return;
    }
    account_.SetCredentials(AccountStoredText(WindowText(Item(kUserEd))),
                            AccountStoredText(WindowText(Item(kPassEd))));
    TCalendar::StatusHandler kept = std::move(calendar_.OnStatus);
    calendar_.OnStatus = [this](TCalendar&, const std::string& text) { ShowStatus(text); };
    connecting_ = true;
    bool failed = false;
    try {
        calendar_.Connect();
    } catch (const EConvertError&) {
        // The transport read no status line: nothing answered at that address.
        failed = true;
        ShowPanel(Utf8ToUtf16(NoAnswerText(calendar_.ServiceHost(), calendar_.TransportError())), true);
    } catch (const std::exception& e) {
        // An answer that is no feed: the parser's reason stays on the panel.
        failed = true;
        ShowPanel(Utf8ToUtf16(UnreadableAnswerText(e.what())), true);
    }
    connecting_ = false;
    calendar_.OnStatus = std::move(kept);
    if (!failed && !calendar_.CalendarEntries && !IsWindowVisible(msgpanel_->Handle()))
        ShowPanel(Widen(kNoCalendarListText), true);
    FillCalendarList();
}

void TAccountFm::FillCalendarList() {
    HWND list = Item(kListView1);
    ListView_DeleteAllItems(list);
    int index = 0;
    for (TCalendarRow& row : CalendarRows(calendar_.CalendarEntries.get())) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = win32::W(row.Caption);
        const int at = ListView_InsertItem(list, &item);
        if (at >= 0) ListView_SetCheckState(list, at, row.Checked);
        ++index;
    }
    if (index > 0) ListView_SetItemState(list, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
}

void TAccountFm::ShowStatus(const std::string& text) {
    logic_.Status(text);
    ShowPanel(Utf8ToUtf16(logic_.PanelText()), logic_.PanelVisible());
    ProcessMessages();
}

void TAccountFm::ShowPanel(const std::u16string& text, bool visible) { msgpanel_->Show(text, visible); }

void TAccountFm::ProcessMessages() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            PostQuitMessage(int(m.wParam));  // leave it for the loop that owns it
            break;
        }
        if (!IsDialogMessageW(Handle(), &m)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
}

void TAccountFm::SaveBtnClick() {
    logic_.SaveClick();
    HWND list = Item(kListView1);
    std::vector<bool> ticked;
    const int rows = ListView_GetItemCount(list);
    for (int i = 0; i < rows; ++i) ticked.push_back(ListView_GetCheckState(list, i) != FALSE);
    // A failed write raises: the thunk shows why, and the dialog stays open with what was typed.
    SaveAccountChoice(account_, WindowText(Item(kUserEd)), WindowText(Item(kPassEd)),
                      calendar_.CalendarEntries.get(), ticked);
    Close(IDOK);
}

void TAccountFm::CancelClick() {
    // A sign-in made in the dialog handed the typed credentials on; nothing was saved, so the
    // store and the client get back what they had.
    if (account_.UserName != keptUser_ || account_.Password != keptPassword_)
        account_.SetCredentials(keptUser_, keptPassword_);
    Close(IDCANCEL);
}

}  // namespace tessel
