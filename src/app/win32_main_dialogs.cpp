// The main window's dialogs: the account dialog at the first start and from "Gmail Account ...",
// the options dialog from "&Options ..." and, in its reduced form, from "&About". Each is made,
// shown modally over this window and freed here; what the window does after an OK follows.
#include "app/win32_main_form.h"

#include "calendar/account.h"
#include "calendar/event_sources.h"
#include "calendar/http.h"
#include "calendar/subscriptions.h"
#include "dialogs/subscription_dialog_logic.h"
#include "dialogs/win32_account_dialog.h"
#include "dialogs/win32_settings_dialog.h"
#include "ui/profile.h"
#include "ui/win32_event_form.h"

namespace tessel {

// Marks the dialog as the one open over the window while it is shown.
class TMainFm::OpenDialogScope {
public:
    OpenDialogScope(TMainFm& form, TDialog& dialog) : form_(form) { form_.openDialog_ = &dialog; }
    ~OpenDialogScope() { form_.openDialog_ = nullptr; }
    OpenDialogScope(const OpenDialogScope&) = delete;
    OpenDialogScope& operator=(const OpenDialogScope&) = delete;

private:
    TMainFm& form_;
};

void TMainFm::CloseOpenDialog() {
    // WM_CLOSE goes through the dialog's own close check, so one that is signing in stays.
    if (openDialog_ && openDialog_->Handle()) PostMessageW(openDialog_->Handle(), WM_CLOSE, 0, 0);
}

std::unique_ptr<TAccountFm> TMainFm::MakeAccountDialog() {
    // The program always hands over its transport (MainFormServices).
    std::map<std::string, std::string> skipped;
    for (const auto& source : services_.Sources.Sources())
        if (source->SkippedCount() > 0)
            skipped[source->Address()] = SkippedLinesText(source->SkippedCount(), source->FirstSkipped());
    return std::make_unique<TAccountFm>(services_.Account, services_.Subscriptions, services_.Calendar,
                                        *services_.Http, services_.Hosts, Handle(), std::move(skipped));
}

void TMainFm::ShowAccountDialog() {
    const std::unique_ptr<TAccountFm> made = MakeAccountDialog();
    TAccountFm& dialog = *made;
    const OpenDialogScope open(*this, dialog);
    if (dialog.ShowModal(Handle()) != IDOK) return;
    try {
        services_.Account.Load();
    } catch (...) {
        win32::ShowCurrentException(Handle());
    }
    try {
        ReloadSources();
    } catch (...) {
        win32::ShowCurrentException(Handle());
    }
}

void TMainFm::GmailAccount1Click() {
    // No sync may run while the dialog signs in: the rows it lists are the client's list.
    KillTimer(Handle(), kTimer1);
    const std::unique_ptr<TAccountFm> made = MakeAccountDialog();
    TAccountFm& dialog = *made;
    INT_PTR result = IDCANCEL;
    {
        const OpenDialogScope open(*this, dialog);
        try {
            result = dialog.ShowModal(Handle());
        } catch (...) {
            // The dialog could not open: the syncs go on as before, and the reason is shown.
            SetTimer(Handle(), kTimer1, TMainLogic::kTimerMilliseconds, nullptr);
            throw;
        }
    }
    if (result == IDOK && !exitDeferred_) {
        try {
            services_.Account.Load();
        } catch (...) {
            win32::ShowCurrentException(Handle());
        }
        try {
            ReloadSources();
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
    // A resume that came while the dialog signed in.
    if (!exitDeferred_) logic_.RunWaiting();
}

void TMainFm::Options1Click() {
    TSettingFm dialog(services_.Profile, services_.Hosts, Handle());
    {
        const OpenDialogScope open(*this, dialog);
        if (dialog.ShowModal(Handle()) != IDOK || exitDeferred_) return;
    }
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
    const OpenDialogScope open(*this, dialog);
    dialog.ShowModal(Handle());
}

}  // namespace tessel
