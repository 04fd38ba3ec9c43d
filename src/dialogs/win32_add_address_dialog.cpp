#include "dialogs/win32_add_address_dialog.h"

#include <commdlg.h>

#include <exception>
#include <iterator>

#include "base/text.h"
#include "calendar/dav_source.h"
#include "calendar/http.h"
#include "dialogs/subscription_dialog_logic.h"
#include "win32/win32_handles.h"
#include "win32/win32_late_bound.h"
#include "win32/win32_text.h"

// The address is fetched on the user-interface thread, as the account dialog signs in: the
// transport lets messages run while it waits, and meanwhile the buttons are ignored and the
// dialog refuses to close, so the result always finds its dialog.

namespace tessel {

namespace {

constexpr int kLabelLeft = 12, kFieldLeft = 84, kFieldWidth = 324;
constexpr RECT kPanelPlace{kFieldLeft - 72, 216, 396, 40};
constexpr int kPanelBorder = 8;

}  // namespace

TAddAddressFm::TAddAddressFm(THttp& http, std::vector<TSubscription> existing, TColor color,
                             std::vector<TColor> used)
    : http_(http), existing_(std::move(existing)), color_(color), used_(std::move(used)) {}

void TAddAddressFm::FormCreate() {
    AddControl(L"STATIC", u"Address :", SS_LEFT, kLabelLeft, 18, 70, 16);
    HWND address = AddControl(L"EDIT", u"", WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, kFieldLeft, 14, 240, 22,
                              kAddressEd, WS_EX_CLIENTEDGE);
    AddControl(L"BUTTON", u"Browse\u2026", WS_TABSTOP | BS_PUSHBUTTON, 330, 13, 78, 24, kBrowseBtn);
    AddControl(L"STATIC", u"A calendar server, https://, webcal://, or a file (.ics)",
               SS_LEFT | SS_NOPREFIX, kFieldLeft, 40, kFieldWidth, 16);
    AddControl(L"STATIC", u"Title :", SS_LEFT, kLabelLeft, 70, 70, 16);
    AddControl(L"EDIT", u"", WS_TABSTOP | ES_AUTOHSCROLL, kFieldLeft, 66, kFieldWidth, 22, kTitleEd, WS_EX_CLIENTEDGE);
    AddControl(L"STATIC", u"Left empty, the calendar's own name is used.", SS_LEFT | SS_NOPREFIX, kFieldLeft, 92,
               kFieldWidth, 16);
    AddControl(L"STATIC", u"Colour :", SS_LEFT, kLabelLeft, 122, 70, 16);
    HWND colors = AddControl(L"COMBOBOX", u"",
                             WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                             kFieldLeft, 118, 180, 240, kColorCb);
    for (const TPresetColor& preset : SubscriptionPresetColors()) {
        const std::u16string name = preset.Name;
        const LRESULT at = SendMessageW(colors, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::W(name)));
        SendMessageW(colors, CB_SETITEMDATA, WPARAM(at), LPARAM(preset.Color));
    }
    const std::u16string more = u"More colours\u2026";
    const LRESULT last = SendMessageW(colors, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::W(more)));
    SendMessageW(colors, CB_SETITEMDATA, WPARAM(last), kMoreColors);
    SelectColor(color_);

    // Asked for by a calendar server only; sent to that server alone.
    AddControl(L"STATIC", u"User name :", SS_LEFT, kLabelLeft, 152, 70, 16);
    AddControl(L"EDIT", u"", WS_TABSTOP | ES_AUTOHSCROLL, kFieldLeft, 148, 216, 22, kUserEd, WS_EX_CLIENTEDGE);
    AddControl(L"STATIC", u"Password :", SS_LEFT, kLabelLeft, 182, 70, 16);
    HWND pass = AddControl(L"EDIT", u"", WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD, kFieldLeft, 178, 216, 22, kPassEd,
                           WS_EX_CLIENTEDGE);
    SendMessageW(pass, EM_SETPASSWORDCHAR, WPARAM(L'*'), 0);

    msgpanel_.Make(Handle(), kMsgPanel, Dpi(), kPanelPlace, kPanelBorder, DialogFont());

    const int top = kClientSize.cy - 12 - 25;
    AddControl(L"BUTTON", u"OK", WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, kClientSize.cx - 12 - 2 * 75 - 8, top, 75,
               25, kOkBtn);
    AddControl(L"BUTTON", u"Cancel", WS_TABSTOP | BS_PUSHBUTTON, kClientSize.cx - 12 - 75, top, 75, 25, kCancelBtn);
    SetFocus(address);
}

void TAddAddressFm::Command(int id, int code, HWND) {
    if (checking_) return;
    switch (id) {
    case kOkBtn: OkClick(); break;
    case kCancelBtn: Close(IDCANCEL); break;
    case kBrowseBtn: BrowseClick(); break;
    case kColorCb:
        if (code == CBN_SELCHANGE) ColorChosen();
        break;
    default: break;
    }
}

void TAddAddressFm::OkClick() {
    const std::string address = Utf16ToUtf8(WindowText(Item(kAddressEd)));
    const std::string problem = AddressProblem(address, existing_);
    if (!problem.empty()) {
        ShowPanel(problem);
        SetFocus(Item(kAddressEd));
        return;
    }
    if (http_.Waiting()) {
        // A sync of the main window waits on the same transport.
        ShowPanel(kAddressBusyText);
        return;
    }
    ShowPanel(kCheckingAddressText);
    checking_ = true;
    const std::string user = Utf16ToUtf8(Trim(WindowText(Item(kUserEd))));
    const std::string password = Utf16ToUtf8(WindowText(Item(kPassEd)));
    TAddressCheck check;
    try {
        check = CheckCalendarAddress(http_, Trim(address), user, password);
    } catch (const std::exception& e) {
        check.Kind = TAddressCheck::kFailed;
        check.Problem = e.what();
    }
    checking_ = false;
    switch (check.Kind) {
    case TAddressCheck::kSubscription:
        added_ = NewSubscription(address, WindowText(Item(kTitleEd)), color_, check.Subscription);
        Close(IDOK);
        return;
    case TAddressCheck::kDavAccount:
        addedAccount_ = NewDavAccount(address, Utf16ToUtf8(WindowText(Item(kTitleEd))), user, password, check.Discovery,
                                      CalendarColorPicker(color_, used_));
        Close(IDOK);
        return;
    case TAddressCheck::kNeedsPassword:
        ShowPanel(kPasswordAskedText);
        SetFocus(Item(user.empty() ? kUserEd : kPassEd));
        return;
    case TAddressCheck::kFailed: break;
    }
    ShowPanel(CheckFailedText(check.Problem));
    // A refused password is retyped; anything else is the address's.
    HWND edit = Item(check.Discovery.Outcome == TDavDiscovery::kRefused ? kPassEd : kAddressEd);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
}

void TAddAddressFm::BrowseClick() {
    std::u16string file(MAX_PATH * 4, u'\0');
    // Pairs of a name and a pattern, ended by an empty name: the nulls are part of the text.
    static constexpr char16_t kFilter[] = u"iCalendar files (*.ics)\0*.ics\0All files (*.*)\0*.*\0";
    const std::u16string filter(kFilter, std::size(kFilter));
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = Handle();
    ofn.lpstrFilter = win32::W(filter);
    ofn.lpstrFile = win32::W(file);
    ofn.nMaxFile = DWORD(file.size());
    ofn.lpstrTitle = L"Calendar file";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    static auto* const open = win32::LateBound<decltype(GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    if (!open || !open(&ofn)) return;
    file.resize(std::char_traits<char16_t>::length(file.c_str()));
    SetWindowTextW(Item(kAddressEd), win32::W(file));
    SetFocus(Item(kTitleEd));
}

void TAddAddressFm::ColorChosen() {
    HWND colors = Item(kColorCb);
    const LRESULT at = SendMessageW(colors, CB_GETCURSEL, 0, 0);
    if (at < 0) return;
    const LRESULT data = SendMessageW(colors, CB_GETITEMDATA, WPARAM(at), 0);
    if (data != kMoreColors) {
        color_ = TColor(data);
        return;
    }
    CHOOSECOLORW choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = Handle();
    choose.rgbResult = color_;
    choose.lpCustColors = customColors_;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    // Cancelled: the colour stays what it was.
    static auto* const chooseColor = win32::LateBound<decltype(ChooseColorW)>(L"comdlg32.dll", "ChooseColorW");
    if (chooseColor && chooseColor(&choose)) color_ = TColor(choose.rgbResult) & 0xFFFFFF;
    SelectColor(color_);
}

void TAddAddressFm::SelectColor(TColor color) {
    HWND colors = Item(kColorCb);
    const int count = int(SendMessageW(colors, CB_GETCOUNT, 0, 0));
    int found = -1, custom = -1;
    for (int i = 0; i < count; ++i) {
        const LRESULT data = SendMessageW(colors, CB_GETITEMDATA, WPARAM(i), 0);
        if (data == LPARAM(color) && found < 0) found = i;
        if (i >= int(SubscriptionPresetColors().size()) && data != kMoreColors) custom = i;
    }
    if (found < 0) {
        // One "Custom" item, before "More colours…", holds a colour that is no preset.
        if (custom < 0) {
            const std::u16string name = u"Custom";
            custom = int(SendMessageW(colors, CB_INSERTSTRING, WPARAM(count - 1), reinterpret_cast<LPARAM>(win32::W(name))));
        }
        SendMessageW(colors, CB_SETITEMDATA, WPARAM(custom), LPARAM(color));
        found = custom;
        InvalidateRect(colors, nullptr, TRUE);
    }
    SendMessageW(colors, CB_SETCURSEL, WPARAM(found), 0);
}

bool TAddAddressFm::MeasureItem(MEASUREITEMSTRUCT& item) {
    if (item.CtlID != UINT(kColorCb)) return false;
    item.itemHeight = UINT(Scaled(18));
    return true;
}

bool TAddAddressFm::DrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlID != UINT(kColorCb)) return false;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID == UINT(-1)) return true;
    const LRESULT data = SendMessageW(item.hwndItem, CB_GETITEMDATA, item.itemID, 0);
    RECT text = item.rcItem;
    text.left += Scaled(4);
    if (data != kMoreColors) {
        const int side = item.rcItem.bottom - item.rcItem.top - Scaled(4);
        RECT swatch{item.rcItem.left + Scaled(4), item.rcItem.top + Scaled(2), item.rcItem.left + Scaled(4) + side,
                    item.rcItem.top + Scaled(2) + side};
        win32::BrushHandle brush(CreateSolidBrush(COLORREF(data)));
        FillRect(item.hDC, &swatch, brush.get());
        FrameRect(item.hDC, &swatch, GetSysColorBrush(COLOR_WINDOWTEXT));
        text.left = swatch.right + Scaled(6);
    }
    const int length = int(SendMessageW(item.hwndItem, CB_GETLBTEXTLEN, item.itemID, 0));
    std::u16string name(size_t(length > 0 ? length : 0) + 1, u'\0');
    SendMessageW(item.hwndItem, CB_GETLBTEXT, item.itemID, reinterpret_cast<LPARAM>(win32::W(name)));
    name.resize(size_t(length > 0 ? length : 0));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(item.hDC, win32::W(name), int(name.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
    return true;
}

void TAddAddressFm::ShowPanel(const std::string& text) { msgpanel_.Show(Utf8ToUtf16(text), true); }

}  // namespace tessel
