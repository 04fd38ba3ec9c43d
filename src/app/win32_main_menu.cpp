// The main window's pop-up menu and the commands behind it: the menu is opened from the title
// bar, the month's name and the tray icon; its entries come back as WM_COMMAND. "Show Canlendar"
// brings both windows back; the web pages open in the browser; the dialogs are in
// win32_main_dialogs.cpp and the exit is the form's own.
#include "app/win32_main_form.h"

#include <shellapi.h>

#include <string>

#include "app/main_menu.h"
#include "base/text.h"
#include "calendar/account.h"
#include "ui/web_links.h"
#include "update/win32_auto_upgrader.h"
#include "win32/win32_text.h"

namespace tessel {

using win32::W;

namespace {

void OpenInBrowser(HWND owner, const std::string& url) {
    const std::u16string wide = Widen(url);
    ShellExecuteW(owner, L"Open", W(wide), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

void TMainFm::ShowPopupMenu() {
    popup_.reset(CreatePopupMenu());
    for (const auto& entry : kMainMenu) {
        if (entry.Command == 0) {
            AppendMenuW(popup_.get(), MF_SEPARATOR, 0, nullptr);
        } else {
            const std::u16string caption = entry.Caption;
            AppendMenuW(popup_.get(), MF_STRING, entry.Command, W(caption));
        }
    }
    POINT cursor;
    GetCursorPos(&cursor);
    // The menu closes when the user clicks elsewhere only if this window is in the foreground.
    SetForegroundWindow(Handle());
    TrackPopupMenu(popup_.get(), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, Handle(), nullptr);
    PostMessageW(Handle(), WM_NULL, 0, 0);
}

void TMainFm::Command(WORD id) {
    // While a sync runs, only one sync runs, and the account and the settings it uses stay; a
    // dialog already open over the window (the tray's menu still reaches it) is not opened twice.
    if ((Busy() || openDialog_) && (id == kCmdSync || id == kCmdAccount || id == kCmdOptions || id == kCmdAbout)) {
        MessageBeep(MB_OK);
        return;
    }
    switch (id) {
    case kCmdShowCalendar:
        showCalendar_ = true;
        ShowWindow(Handle(), SW_SHOW);
        ShowEventForm();
        break;
    case kCmdSync:
        logic_.UpdateClick();
        break;
    case kCmdGotoCalendar:
        GotoCalendar1Click();
        break;
    case kCmdAccount:
        GmailAccount1Click();
        break;
    case kCmdOptions:
        Options1Click();
        break;
    case kCmdAbout:
        About1Click();
        break;
    case kCmdHelp:
        Help1Click();
        break;
    case kCmdExit:
        Exit1Click();
        break;
    case kCmdCheckUpdate:
        if (Upgrader1_) Upgrader1_->CheckUpdate();
        break;
    default:
        break;
    }
}

void TMainFm::GotoCalendar1Click() {
    OpenInBrowser(Handle(), WebCalendarSignInUrl(services_.Hosts, services_.Account.UserName,
                                                 services_.Account.Password));
}

void TMainFm::Help1Click() { OpenInBrowser(Handle(), MakerPageUrl(services_.Hosts, "help")); }

}  // namespace tessel
