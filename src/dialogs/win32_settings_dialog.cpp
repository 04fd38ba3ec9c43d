#include "dialogs/win32_settings_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

#include "base/errors.h"
#include "base/file_io.h"
#include "base/text.h"
#include "calendar/service_hosts.h"
#include "dialogs/registry.h"
#include "ui/profile.h"
#include "win32/win32_late_bound.h"
#include "win32/win32_text.h"
#include "win32/win32_window.h"

// The General page edits the settings tree of the store in place only when Save is pressed;
// Cancel leaves the tree as the reload at opening made it.

namespace tessel {

namespace {

constexpr int kPagesLeft = TBandedDialog::kLeftBandWidth + 12;
constexpr int kPagesWidth = TSettingFm::kClientSize.cx - kPagesLeft - 12;

// The fixed version record of the running program file: "Version :" and four numbers.
std::u16string ProgramVersionText() {
    const std::u16string path = ExecutablePath();
    static auto* const infoSize = win32::LateBound<decltype(GetFileVersionInfoSizeW)>(L"version.dll", "GetFileVersionInfoSizeW");
    static auto* const info = win32::LateBound<decltype(GetFileVersionInfoW)>(L"version.dll", "GetFileVersionInfoW");
    static auto* const query = win32::LateBound<decltype(VerQueryValueW)>(L"version.dll", "VerQueryValueW");
    if (!infoSize || !info || !query) return VersionText(false, 0, 0);
    DWORD ignored = 0;
    const DWORD size = infoSize(win32::W(path), &ignored);
    if (size == 0) return VersionText(false, 0, 0);
    std::vector<BYTE> data(size);
    if (!info(win32::W(path), 0, size, data.data())) return VersionText(false, 0, 0);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!query(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
        length < sizeof(VS_FIXEDFILEINFO))
        return VersionText(false, 0, 0);
    return VersionText(true, fixed->dwFileVersionMS, fixed->dwFileVersionLS);
}

}  // namespace

void TRegistryStartupEntry::Write(const std::u16string& programPath) {
    RegWriteUserString(kRunKey, kValueName, programPath);
}

void TRegistryStartupEntry::Remove() { RegDeleteUserValue(kRunKey, kValueName); }

TSettingFm::TSettingFm(TProfile& profile, const ServiceHosts& hosts, HWND mainWindow, IStartupEntry* startup)
    : profile_(profile), hosts_(hosts), mainWindow_(mainWindow), startup_(startup ? *startup : registry_) {}

TSettingFm::~TSettingFm() = default;

void TSettingFm::FormCreate() {
    const std::u16string home = Widen(HomePageAddress(hosts_.Maker));
    MakeTopBand(mainWindow_, u"Tessel Desktop", home);
    MakeToolBar({{kToolButton1, u"       General          "}, {kToolButton3, u"About"}},
                {ToolImage::General, ToolImage::About});

    BeginPage(0);
    AddPageControl(L"BUTTON", u"Startup", BS_GROUPBOX, kPagesLeft, 58, kPagesWidth, 50);
    AddPageControl(L"BUTTON", u"Run at startup.", WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, kPagesLeft + 16, 78, 200,
                   20, kStartupCheck);
    AddPageControl(L"BUTTON", u"Transparency", BS_GROUPBOX, kPagesLeft, 116, kPagesWidth, 66);
    HWND bar = AddPageControl(TRACKBAR_CLASSW, u"", WS_TABSTOP | WS_GROUP | TBS_AUTOTICKS | TBS_HORZ,
                              kPagesLeft + 10, 136, kPagesWidth - 80, 34, kTranBar1);
    SendMessageW(bar, TBM_SETRANGEMIN, FALSE, kTransparencyRange.Min);
    SendMessageW(bar, TBM_SETRANGEMAX, FALSE, kTransparencyRange.Max);
    SendMessageW(bar, TBM_SETTICFREQ, kTransparencyRange.Step, 0);
    SendMessageW(bar, TBM_SETPAGESIZE, 0, kTransparencyRange.Step);
    AddPageControl(L"STATIC", u"", SS_LEFT | SS_NOPREFIX, kPagesLeft + kPagesWidth - 62, 144, 50, 16, kPercentLabel);
    AddPageControl(L"BUTTON", u"Canlendar Update", BS_GROUPBOX, kPagesLeft, 190, kPagesWidth, 56);
    AddPageControl(L"STATIC", u"Interval", SS_LEFT, kPagesLeft + 16, 214, 60, 16);
    AddSpin(kIntervalEd, kIntervalSpin, kIntervalRange, 10, kPagesLeft + 80, 210, true);
    AddPageControl(L"STATIC", u"minutes", SS_LEFT, kPagesLeft + 160, 214, 60, 16);
    BeginPage(-1);
    // "Events in N days" is not shown, but it is loaded and saved like the others.
    for (HWND hidden : {AddControl(L"STATIC", u"Events in ", SS_LEFT, kPagesLeft + 16, 262, 60, 16),
                        AddSpin(kEventDaysEd, kEventDaysSpin, kEventDaysRange, 7, kPagesLeft + 80, 258, false),
                        AddControl(L"STATIC", u"days", SS_LEFT, kPagesLeft + 160, 262, 60, 16)})
        ShowWindow(hidden, SW_HIDE);

    BeginPage(1);
    AddPageControl(L"STATIC", ProgramVersionText(), SS_LEFT | SS_NOPREFIX, kPagesLeft, 62, kPagesWidth, 16,
                   kVersionLabel);
    AddPageControl(L"STATIC", u"", SS_BITMAP | SS_NOTIFY, kPagesLeft + (kPagesWidth - kAboutPictureWidth) / 2, 84,
                   kAboutPictureWidth, kAboutPictureHeight, kImage1);
    AddPageControl(L"STATIC", home, SS_LEFT | SS_NOTIFY | SS_NOPREFIX, kPagesLeft, 284, kPagesWidth, 16, kHomeLabel);
    SetAboutArt();
    BeginPage(-1);

    const int top = ButtonTop();
    const int right = kClientSize.cx - 12;
    HWND save = AddControl(L"BUTTON", u"Save", WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON,
                           right - 2 * kButtonWidth - 8, top, kButtonWidth, kButtonHeight, kSaveBtn);
    AddControl(L"BUTTON", u"Cancel", WS_TABSTOP | BS_PUSHBUTTON, right - kButtonWidth, top, kButtonWidth,
               kButtonHeight, kCancelbtn);
    SendMessageW(Handle(), DM_SETDEFID, kSaveBtn, 0);

    ReloadProfile();
    SelectPage(0);
    FillControls();

    if (about_) {
        SelectPage(1);
        SetWindowTextW(save, L"OK");
        ShowWindow(Item(kCancelbtn), SW_HIDE);
        ShowWindow(Item(kToolBarId), SW_HIDE);
        MoveControl(save, CentredLeft(kClientSize.cx, kButtonWidth), top);
        SetFocus(save);
    } else {
        SetFocus(Item(kStartupCheck));
    }
}

// The About picture drawn at the dialog's resolution, and the home page's link underlined in
// the dialog's font.
void TSettingFm::SetAboutArt() {
    win32::BitmapHandle picture = DrawAboutPicture(Dpi());
    if (picture) SendMessageW(Item(kImage1), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.get()));
    if (picture) picture_ = std::move(picture);
    LOGFONTW underlined{};
    GetObjectW(DialogFont(), sizeof underlined, &underlined);
    underlined.lfUnderline = TRUE;
    win32::FontHandle link(CreateFontIndirectW(&underlined));
    SendMessageW(Item(kHomeLabel), WM_SETFONT, WPARAM(link.get()), FALSE);
    linkFont_ = std::move(link);
}

void TSettingFm::DpiChanged() {
    TBandedDialog::DpiChanged();
    SetAboutArt();
}

HWND TSettingFm::AddSpin(int editId, int spinId, const TSpinRange& range, int32_t value, int x, int y, bool onPage) {
    const DWORD editStyle = WS_TABSTOP | WS_GROUP | ES_NUMBER | ES_LEFT;
    HWND edit = onPage ? AddPageControl(L"EDIT", u"", editStyle, x, y, 64, 22, editId, WS_EX_CLIENTEDGE)
                       : AddControl(L"EDIT", u"", editStyle, x, y, 64, 22, editId, WS_EX_CLIENTEDGE);
    SendMessageW(edit, EM_LIMITTEXT, 3, 0);
    const DWORD spinStyle = UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS;
    HWND spin = onPage ? AddPageControl(UPDOWN_CLASSW, u"", spinStyle, 0, 0, 0, 0, spinId)
                       : AddControl(UPDOWN_CLASSW, u"", spinStyle, 0, 0, 0, 0, spinId);
    SendMessageW(spin, UDM_SETBUDDY, WPARAM(edit), 0);
    SendMessageW(spin, UDM_SETRANGE32, range.Min, range.Max);
    UDACCEL step{0, UINT(range.Step)};
    SendMessageW(spin, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&step));
    SendMessageW(spin, UDM_SETPOS32, 0, range.Clamp(value));
    if (!onPage) ShowWindow(spin, SW_HIDE);
    return edit;
}

void TSettingFm::ReloadProfile() {
    // The dialog shows what is on disk. A file that lacks one of the main window's settings
    // still loads whole (the numbers stop converting there): the fields then show defaults.
    try {
        profile_.Load();
    } catch (const EConvertError&) {
    } catch (const EError& e) {
        // A damaged file is kept as it is; the fields show the settings the program runs with.
        const std::u16string text = Utf8ToUtf16(e.what());
        win32::ShowMessageBox(Handle(), text, u"Options", MB_OK | MB_ICONWARNING);
    }
}

void TSettingFm::FillControls() {
    const TSettingValues values = ReadSettingValues(profile_);
    CheckDlgButton(Handle(), kStartupCheck, values.Startup ? BST_CHECKED : BST_UNCHECKED);
    SendMessageW(Item(kTranBar1), TBM_SETPOS, TRUE, values.Transparency);
    SendMessageW(Item(kIntervalSpin), UDM_SETPOS32, 0, values.Interval);
    SendMessageW(Item(kEventDaysSpin), UDM_SETPOS32, 0, values.EventDays);
    TranBar1Change();
}

void TSettingFm::Command(int id, int code, HWND) {
    switch (id) {
    case kToolButton1: SelectPage(0); break;
    case kToolButton3: SelectPage(1); break;
    case kSaveBtn: SaveBtnClick(); break;
    case kCancelbtn: Close(IDCANCEL); break;
    case kHomeLabel:
    case kImage1:
        if (code == STN_CLICKED) HomelabelClick();
        break;
    default: break;
    }
}

void TSettingFm::HScroll(HWND control) {
    if (control == Item(kTranBar1)) TranBar1Change();
}

void TSettingFm::TranBar1Change() {
    const auto position = int32_t(SendMessageW(Item(kTranBar1), TBM_GETPOS, 0, 0));
    const std::u16string text = PercentText(position);
    SetWindowTextW(Item(kPercentLabel), win32::W(text));
}

void TSettingFm::SaveBtnClick() {
    TSettingValues values;
    values.Startup = IsDlgButtonChecked(Handle(), kStartupCheck) == BST_CHECKED;
    values.Transparency = kTransparencyRange.Clamp(int32_t(SendMessageW(Item(kTranBar1), TBM_GETPOS, 0, 0)));
    values.Interval = kIntervalRange.ValueOf(WindowText(Item(kIntervalEd)));
    values.EventDays = kEventDaysRange.ValueOf(WindowText(Item(kEventDaysEd)));
    // A failed write raises: the thunk shows why and the dialog stays open.
    SaveSettings(profile_, values, startup_, ExecutablePath());
    Close(IDOK);
}

void TSettingFm::HomelabelClick() {
    const std::u16string link = Widen(HomePageLink(hosts_.Maker));
    ShellExecuteW(Handle(), L"Open", win32::W(link), nullptr, nullptr, SW_SHOWNORMAL);
}

HBRUSH TSettingFm::StaticBrush(HWND control, HDC dc) {
    if (GetDlgCtrlID(control) == kHomeLabel) {
        SetTextColor(dc, RGB(0x00, 0x33, 0xCC));
        SetBkMode(dc, TRANSPARENT);
        return GetSysColorBrush(COLOR_BTNFACE);
    }
    return TBandedDialog::StaticBrush(control, dc);
}

bool TSettingFm::SetCursorFor(HWND control) {
    const int id = GetDlgCtrlID(control);
    if (id != kHomeLabel && id != kImage1) return false;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return true;
}

}  // namespace tessel
