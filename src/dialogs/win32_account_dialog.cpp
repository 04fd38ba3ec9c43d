#include "dialogs/win32_account_dialog.h"

#include <commctrl.h>

#include <exception>
#include <vector>

#include "base/errors.h"
#include "base/text.h"
#include "calendar/account.h"
#include "calendar/calendar.h"
#include "calendar/dav_source.h"
#include "calendar/http.h"
#include "calendar/service_hosts.h"
#include "dialogs/settings_dialog_logic.h"
#include "dialogs/win32_add_address_dialog.h"
#include "dialogs/win32_message_panel.h"
#include "ui/dpi_scale.h"
#include "win32/win32_text.h"
#include "win32/win32_window.h"

// The dialog signs in on the user-interface thread: Connect blocks, and the status handler
// keeps the dialog painted by letting pending messages run. While it runs, the buttons that
// would start another sign-in, save or close are ignored, so the list the rows were built from
// is the one Save reads.

namespace tessel {

namespace {

constexpr RECT kPanelPlace{144, 128, 265, 81};
constexpr int kPanelBorder = 8;
constexpr int kListColumnWidth = 250;
constexpr int kPagesLeft = TBandedDialog::kLeftBandWidth + 12;
constexpr int kSwatchSize = 12;

// The rows' colour swatches, one image per row in row order (a row without a colour gets a blank).
ImageListHandle MakeSwatches(const std::vector<TCalendarRow>& rows, int dpi) {
    const int side = ScaleToDpi(16, dpi), inner = ScaleToDpi(kSwatchSize, dpi);
    ImageListHandle list(ImageList_Create(side, side, ILC_COLOR24, int(rows.size()), 1));
    if (!list) return list;
    win32::WindowDc screen(nullptr);
    for (const TCalendarRow& row : rows) {
        win32::BitmapHandle bitmap(CreateCompatibleBitmap(screen.get(), side, side));
        win32::MemoryDc dc(CreateCompatibleDC(screen.get()));
        {
            win32::SelectGuard select(dc.get(), bitmap.get());
            RECT all{0, 0, side, side};
            FillRect(dc.get(), &all, GetSysColorBrush(COLOR_WINDOW));
            if (row.HasColor) {
                const int at = (side - inner) / 2;
                RECT swatch{at, at, at + inner, at + inner};
                win32::BrushHandle brush(CreateSolidBrush(COLORREF(row.Color)));
                FillRect(dc.get(), &swatch, brush.get());
                FrameRect(dc.get(), &swatch, GetSysColorBrush(COLOR_WINDOWTEXT));
            }
        }
        ImageList_Add(list.get(), bitmap.get(), nullptr);
    }
    return list;
}

}  // namespace

void TAccountFm::DpiChanged() {
    TBandedDialog::DpiChanged();
    ListView_SetColumnWidth(Item(kListView1), 0, Scaled(kListColumnWidth));
    msgpanel_->Rescale(Dpi(), DialogFont());
    if (swatches_) {
        ImageListHandle swatches = MakeSwatches(page_.Rows(), Dpi());
        ListView_SetImageList(Item(kListView1), swatches.get(), LVSIL_SMALL);
        swatches_ = std::move(swatches);
    }
}

TAccountFm::TAccountFm(TAccount& account, TSubscriptions& subscriptions, TCalendar& calendar, THttp& http,
                       const ServiceHosts& hosts, HWND mainWindow, std::map<std::string, std::string> skippedNotices)
    : account_(account), store_(subscriptions), calendar_(calendar), http_(http), hosts_(hosts),
      mainWindow_(mainWindow), msgpanel_(std::make_unique<TMessagePanel>()), subscriptions_(subscriptions.Items),
      accounts_(subscriptions.Accounts),
      skippedNotices_(std::move(skippedNotices)), keptUser_(account.UserName), keptPassword_(account.Password) {}

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
    // The other way in: a calendar published at an address, with or without an account.
    AddPageControl(L"STATIC",
                   u"No account with the service? A calendar published at an address (https, webcal) or kept in "
                   u"a file can be shown on its own:",
                   SS_LEFT | SS_NOPREFIX, kPagesLeft, 196, 330, 44);
    AddPageControl(L"BUTTON", u"Add address\u2026", WS_TABSTOP | BS_PUSHBUTTON, kPagesLeft, 242, 100, kButtonHeight,
                   kAddressOnlyBtn);

    BeginPage(1);
    AddPageControl(L"STATIC", u"View calendar list :", SS_LEFT, kPagesLeft, 60, 200, 16);
    HWND list = AddPageControl(WC_LISTVIEWW, u"",
                               WS_TABSTOP | WS_GROUP | WS_CLIPSIBLINGS | LVS_REPORT | LVS_SINGLESEL |
                                   LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | LVS_SHAREIMAGELISTS,
                               kPagesLeft, 80, 330, 184, kListView1, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    std::u16string column = u"Calendars";
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.cx = Scaled(kListColumnWidth);
    col.pszText = win32::W(column);
    ListView_InsertColumn(list, 0, &col);
    AddPageControl(L"BUTTON", u"Add address\u2026", WS_TABSTOP | BS_PUSHBUTTON, kPagesLeft, 270, 100, kButtonHeight,
                   kAddAddressBtn);
    AddPageControl(L"BUTTON", u"Remove", WS_TABSTOP | BS_PUSHBUTTON | WS_DISABLED, kPagesLeft + 108, 270, kButtonWidth,
                   kButtonHeight, kRemoveBtn);
    BeginPage(-1);

    msgpanel_->Make(Handle(), kMsgPanel, Dpi(), kPanelPlace, kPanelBorder, DialogFont());

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
    case kAddAddressBtn:
    case kAddressOnlyBtn: AddAddressClick(); break;
    case kRemoveBtn: RemoveClick(); break;
    default: (void)code; break;
    }
}

bool TAccountFm::FormCloseQuery() {
    if (adding_) {
        // Asked to close from outside (the program is ending) while "Add address" is open: that
        // one goes first, as its Cancel would (not while it fetches), and this one when asked again.
        if (adding_->Handle()) PostMessageW(adding_->Handle(), WM_CLOSE, 0, 0);
        return false;
    }
    return logic_.CanClose() && !connecting_;
}

void TAccountFm::NextBtnClick() {
    const std::u16string user = WindowText(Item(kUserEd));
    if (logic_.NextClick(user, !subscriptions_.empty() || !accounts_.empty()) == TAccountDialogLogic::NextResult::UsernameEmpty) {
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
    if (!TAccountDialogLogic::SignsIn(WindowText(Item(kUserEd)))) {
        // No account: the subscriptions alone, and nothing is asked of the service.
        ShowPanel(u"", false);
        FillCalendarList(nullptr);
        return;
    }
    if (calendar_.Syncing) {
        // Opened from the menu while a sync waits on the network: signing in now would change
        // the credentials and the calendar list under it.
        ShowPanel(Widen(kSyncRunningText), true);
        FillCalendarList(calendar_.CalendarEntries.get());
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
    } catch (const EHttpError& e) {
        // No answer came: nothing answered at that address, or not over a trusted connection.
        failed = true;
        ShowPanel(Utf8ToUtf16(NoAnswerText(calendar_.ServiceHost(), e.what())), true);
    } catch (const std::exception& e) {
        // An answer that is no feed: the parser's reason stays on the panel.
        failed = true;
        ShowPanel(Utf8ToUtf16(UnreadableAnswerText(e.what())), true);
    }
    connecting_ = false;
    calendar_.OnStatus = std::move(kept);
    if (!failed && !calendar_.CalendarEntries && !IsWindowVisible(msgpanel_->Handle()))
        ShowPanel(Widen(kNoCalendarListText), true);
    FillCalendarList(calendar_.CalendarEntries.get());
}

void TAccountFm::FillCalendarList(const TxdataList* entries) {
    page_.Fill(entries, OwnCalendars(subscriptions_, accounts_));
    HWND list = Item(kListView1);
    ListView_DeleteAllItems(list);
    // The list shares the images (LVS_SHAREIMAGELISTS): the old ones go once the new are in.
    ImageListHandle swatches = MakeSwatches(page_.Rows(), Dpi());
    ListView_SetImageList(list, swatches.get(), LVSIL_SMALL);
    swatches_ = std::move(swatches);
    int index = 0;
    for (const TCalendarRow& row : page_.Rows()) {
        std::u16string caption = row.Caption;
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = index;
        item.iImage = index;
        item.pszText = win32::W(caption);
        const int at = ListView_InsertItem(list, &item);
        if (at >= 0) ListView_SetCheckState(list, at, row.Checked);
        ++index;
    }
    if (index > 0) ListView_SetItemState(list, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    UpdateRemoveButton();
}

std::vector<bool> TAccountFm::RowTicks() const {
    HWND list = Item(kListView1);
    std::vector<bool> ticked;
    const int rows = ListView_GetItemCount(list);
    for (int i = 0; i < rows; ++i) ticked.push_back(ListView_GetCheckState(list, i) != FALSE);
    return ticked;
}

void TAccountFm::RefillKeepingTicks(const std::vector<bool>& serviceTicks) {
    FillCalendarList(page_.CalendarEntries());
    HWND list = Item(kListView1);
    for (size_t i = 0; i < serviceTicks.size() && i < page_.ServiceRowCount(); ++i)
        ListView_SetCheckState(list, int(i), serviceTicks[i] ? TRUE : FALSE);
}

std::vector<bool> TAccountFm::TakeTicks() {
    const std::vector<bool> ticks = RowTicks();
    if (page_.Rows().size() != ticks.size()) return {};
    const std::vector<bool> shown = page_.SubscriptionTicks(ticks);
    for (size_t i = 0; i < shown.size(); ++i)
        if (TSubscription* calendar = OwnCalendarAt(subscriptions_, accounts_, i)) calendar->Shown = shown[i];
    return page_.ServiceTicks(ticks);
}

void TAccountFm::AddAddressClick() {
    std::vector<TColor> used;
    for (size_t i = 0; i < page_.ServiceRowCount(); ++i)
        if (page_.Rows()[i].HasColor) used.push_back(page_.Rows()[i].Color);
    for (const TSubscription& item : OwnCalendars(subscriptions_, accounts_)) used.push_back(item.Color);
    TAddAddressFm add(http_, subscriptions_, FirstFreePresetColor(used), used);
    INT_PTR result = IDCANCEL;
    adding_ = &add;
    try {
        result = add.ShowModal(Handle());
    } catch (...) {
        adding_ = nullptr;
        throw;
    }
    adding_ = nullptr;
    if (result != IDOK) return;
    const std::vector<bool> serviceTicks = TakeTicks();
    // The first row of what came: the new subscription, or the account's first calendar.
    size_t first = subscriptions_.size();
    if (add.AddedAccount().Calendars.empty()) {
        subscriptions_.push_back(add.Added());
    } else {
        PutDavAccount(accounts_, add.AddedAccount());
        first = subscriptions_.size();
        for (const TDavAccount& account : accounts_) {
            if (account.Server == add.AddedAccount().Server && account.User == add.AddedAccount().User) break;
            first += account.Calendars.size();
        }
    }
    if (logic_.CurrentPage() == TAccountDialogLogic::kAccountPage) {
        // From the account page: on to the calendars, where the new row shows (signing in first
        // when a name was typed).
        CalendarBtnClick();
    } else {
        RefillKeepingTicks(serviceTicks);
    }
    const int row = page_.RowOfSubscription(first);
    HWND list = Item(kListView1);
    ListView_SetItemState(list, row, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    ListView_EnsureVisible(list, row, FALSE);
    UpdateRemoveButton();
}

void TAccountFm::RemoveClick() {
    HWND list = Item(kListView1);
    const int selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    const int index = page_.SubscriptionAt(selected);
    if (index < 0) return;
    const std::vector<bool> serviceTicks = TakeTicks();
    RemoveOwnCalendar(subscriptions_, accounts_, size_t(index));
    RefillKeepingTicks(serviceTicks);
    // The selection moves to the row that took the removed one's place (or the one before).
    const int rows = ListView_GetItemCount(list);
    if (rows > 0) {
        const int next = selected < rows ? selected : rows - 1;
        ListView_SetItemState(list, next, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    }
    UpdateRemoveButton();
    SetFocus(list);
}

void TAccountFm::UpdateRemoveButton() {
    const int selected = ListView_GetNextItem(Item(kListView1), -1, LVNI_SELECTED);
    HWND remove = Item(kRemoveBtn);
    const bool enable = page_.SubscriptionAt(selected) >= 0;
    // The focus must not stay on a button that goes grey.
    if (!enable && GetFocus() == remove) SetFocus(Item(kListView1));
    EnableWindow(remove, enable ? TRUE : FALSE);
}

// The selected subscription's skipped lines on the panel; a status the panel shows stays.
void TAccountFm::ShowSkippedNotice() {
    if (connecting_ || (IsWindowVisible(msgpanel_->Handle()) && !noticeShown_)) return;
    const int index = page_.SubscriptionAt(ListView_GetNextItem(Item(kListView1), -1, LVNI_SELECTED));
    const TSubscription* calendar = index < 0 ? nullptr : OwnCalendarAt(subscriptions_, accounts_, size_t(index));
    const auto found = calendar ? skippedNotices_.find(calendar->Address) : skippedNotices_.end();
    const bool show = found != skippedNotices_.end();
    ShowPanel(show ? Utf8ToUtf16(found->second) : u"", show);
    noticeShown_ = show;
}

LRESULT TAccountFm::Notify(const NMHDR& header) {
    if (header.idFrom != UINT_PTR(kListView1)) return 0;
    if (header.code == LVN_ITEMCHANGED) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if (change.uChanged & LVIF_STATE) UpdateRemoveButton(), ShowSkippedNotice();
    } else if (header.code == LVN_KEYDOWN && !connecting_) {
        // Del removes the selected subscription, as Remove does.
        if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE) RemoveClick();
    }
    return 0;
}

void TAccountFm::ShowStatus(const std::string& text) {
    logic_.Status(text);
    ShowPanel(Utf8ToUtf16(logic_.PanelText()), logic_.PanelVisible());
    ProcessMessages();
}

void TAccountFm::ShowPanel(const std::u16string& text, bool visible) {
    noticeShown_ = false;
    msgpanel_->Show(text, visible);
}

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
    // A failed write raises: the thunk shows why, and the dialog stays open with what was typed.
    SaveCalendarChoice(account_, store_, WindowText(Item(kUserEd)), WindowText(Item(kPassEd)), page_, subscriptions_,
                       accounts_, RowTicks());
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
