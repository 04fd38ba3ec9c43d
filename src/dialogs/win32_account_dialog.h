#pragma once
// TAccountFm, "Gmail Account": the modal two-step dialog in which the user enters the account's
// name and password (page 1), signs in and ticks the calendars to show (page 2), and saves the
// choice through the account store. Page 2 also lists the iCalendar subscriptions after the
// service's calendars, each with its colour and tick, then the calendars of the CalDAV accounts,
// with "Add address…" and "Remove"; a user
// without a service account leaves the name blank, adds an address (page 1 offers that way too)
// and no sign-in is tried. Its rules are TAccountDialogLogic and TCalendarPageRows; this class
// shows them.
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "calendar/subscriptions.h"
#include "dialogs/account_dialog_logic.h"
#include "dialogs/subscription_dialog_logic.h"
#include "dialogs/win32_banded_dialog.h"
#include "dialogs/win32_dialog_art.h"

namespace tessel {

class TAccount;
class TAddAddressFm;
class TCalendar;
class THttp;
class TMessagePanel;
struct ServiceHosts;

class TAccountFm final : public TBandedDialog {
public:
    // The controls' identifiers; tests find the controls by them.
    enum ControlId : int {
        kAccountbtn = 1001,
        kCalendarBtn = 1002,
        kUserEd = 1010,
        kPassEd = 1011,
        kListView1 = 1020,
        kMsgPanel = 1030,
        kNextBtn = 1040,
        // "Add address…" on the calendars page, and on the account page for a user without one.
        kAddAddressBtn = 1050,
        kRemoveBtn = 1051,
        kAddressOnlyBtn = 1052,
        kSaveBtn = IDOK,
        kCancelbtn = IDCANCEL,
    };
    static constexpr SIZE kClientSize{460, 359};
    // Shown when a sign-in went through but no calendar list came.
    static constexpr char kNoCalendarListText[] = "The calendar service sent no list of calendars.";
    // Shown instead of signing in while the main window's sync runs.
    static constexpr char kSyncRunningText[] =
        "A sync is running.\rClick \"2. Canlendars\" on the left again when it has ended.";

    // subscriptions: the store Save writes the list to; http: the transport "Add address…"
    // fetches with. mainWindow gives the icon of the top band; it may be null. skippedNotices:
    // by address, what the panel says of a subscription whose copy had lines passed over
    // (SkippedLinesText), shown while its row is selected.
    TAccountFm(TAccount& account, TSubscriptions& subscriptions, TCalendar& calendar, THttp& http,
               const ServiceHosts& hosts, HWND mainWindow, std::map<std::string, std::string> skippedNotices = {});
    ~TAccountFm() override;

    const TAccountDialogLogic& Logic() const { return logic_; }
    // A sign-in is running (its status handler lets messages run meanwhile).
    bool Connecting() const { return connecting_; }
    // The subscriptions as the calendars page lists them (Save writes them).
    const std::vector<TSubscription>& Subscriptions() const { return subscriptions_; }

protected:
    SIZE ClientSize() const override { return kClientSize; }
    const wchar_t* Caption() const override { return L"Gmail Account"; }
    void FormCreate() override;
    void Command(int id, int code, HWND control) override;
    bool FormCloseQuery() override;
    LRESULT Notify(const NMHDR& header) override;
    void DpiChanged() override;

private:

    void NextBtnClick();
    void AccountbtnClick();
    void CalendarBtnClick();
    void UpdateBtnClick();
    void SaveBtnClick();
    void CancelClick();
    // The client's status handler while it signs in.
    void ShowStatus(const std::string& text);
    void ShowPanel(const std::u16string& text, bool visible);
    void ShowPageButtons();
    // Lists the service's calendars from entries (null: none) and the subscriptions.
    void FillCalendarList(const TxdataList* entries);
    // The list again after a subscription came or went, each row keeping its tick.
    void RefillKeepingTicks(const std::vector<bool>& ticks);
    std::vector<bool> RowTicks() const;
    // The rows' ticks so far taken into the subscriptions (shown or not); the service rows'
    // ticks are given back, for the list made again to keep them.
    std::vector<bool> TakeTicks();
    void AddAddressClick();
    void RemoveClick();
    void UpdateRemoveButton();
    void ShowSkippedNotice();
    void ProcessMessages();

    TAccount& account_;
    TSubscriptions& store_;
    TCalendar& calendar_;
    THttp& http_;
    const ServiceHosts& hosts_;
    HWND mainWindow_;
    TAccountDialogLogic logic_;
    std::unique_ptr<TMessagePanel> msgpanel_;
    std::vector<TSubscription> subscriptions_;
    std::vector<TDavAccount> accounts_;
    std::map<std::string, std::string> skippedNotices_;
    bool noticeShown_ = false;  // the panel holds a skipped-lines notice, not a status
    TCalendarPageRows page_;
    ImageListHandle swatches_;
    // What the store held when the dialog opened: a sign-in hands the typed credentials to the
    // store and the client, and Cancel gives these back.
    std::string keptUser_;
    std::string keptPassword_;
    bool connecting_ = false;
    // "Add address" while it is open over this dialog.
    TAddAddressFm* adding_ = nullptr;
};

}  // namespace tessel
