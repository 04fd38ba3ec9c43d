// The main window's dialogs: the account dialog at the first start and from "Gmail Account ...",
// the options dialog from "&Options ..." and, in its reduced form, from "&About". Each is made,
// shown modally over this window and freed here; what the window does after an OK follows.
#include "app/win32_main_form.h"

#include "calendar/account.h"
#include "dialogs/win32_account_dialog.h"
#include "dialogs/win32_settings_dialog.h"
#include "ui/profile.h"
#include "ui/win32_event_form.h"

namespace tessel {

void TMainFm::ShowAccountDialog() {
    TAccountFm dialog(services_.Account, services_.Calendar, services_.Hosts, Handle());
    if (dialog.ShowModal(Handle()) != IDOK) return;
    try {
        services_.Account.Load();
    } catch (...) {
        win32::ShowCurrentException(Handle());
    }
}

void TMainFm::GmailAccount1Click() {
    // No sync may run while the dialog signs in: the rows it lists are the client's list.
    KillTimer(Handle(), kTimer1);
    TAccountFm dialog(services_.Account, services_.Calendar, services_.Hosts, Handle());
    if (dialog.ShowModal(Handle()) == IDOK) {
        try {
            services_.Account.Load();
        } catch (...) {
            win32::ShowCurrentException(Handle());
        }
        logic_.UpdateClick();
        logic_.RefreshToday(true);
        RefreshCountdown();
        Repaint();
        ProcessMessages();
    }
    SetTimer(Handle(), kTimer1, TMainLogic::kTimerMilliseconds, nullptr);
}

void TMainFm::Options1Click() {
    TSettingFm dialog(services_.Profile, services_.Hosts, Handle());
    if (dialog.ShowModal(Handle()) != IDOK) return;
    try {
        LoadSettings();
    } catch (...) {
        win32::ShowCurrentException(Handle());
    }
    if (eventFm_) eventFm_->LoadPosition();
    logic_.UpdateClick();
}

void TMainFm::About1Click() {
    TSettingFm dialog(services_.Profile, services_.Hosts, Handle());
    dialog.SetAboutForm();
    dialog.ShowModal(Handle());
}

}  // namespace tessel
