#pragma once
// TAccountFm, "Gmail Account": the modal two-step dialog in which the user enters the account's
// name and password (page 1), signs in and ticks the calendars to show (page 2), and saves the
// choice through the account store. Its rules are TAccountDialogLogic; this class shows them.
#include <windows.h>

#include <memory>
#include <string>

#include "dialogs/account_dialog_logic.h"
#include "dialogs/win32_banded_dialog.h"

namespace tessel {

class TAccount;
class TCalendar;
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
        kSaveBtn = IDOK,
        kCancelbtn = IDCANCEL,
    };
    static constexpr SIZE kClientSize{460, 359};
    // Shown when a sign-in went through but no calendar list came.
    static constexpr char kNoCalendarListText[] = "The calendar service sent no list of calendars.";
    // Shown instead of signing in while the main window's sync runs.
    static constexpr char kSyncRunningText[] =
        "A sync is running.\rClick \"2. Canlendars\" on the left again when it has ended.";

    // mainWindow gives the icon of the top band; it may be null.
    TAccountFm(TAccount& account, TCalendar& calendar, const ServiceHosts& hosts, HWND mainWindow);
    ~TAccountFm() override;

    const TAccountDialogLogic& Logic() const { return logic_; }
    // A sign-in is running (its status handler lets messages run meanwhile).
    bool Connecting() const { return connecting_; }

protected:
    SIZE ClientSize() const override { return kClientSize; }
    const wchar_t* Caption() const override { return L"Gmail Account"; }
    void FormCreate() override;
    void Command(int id, int code, HWND control) override;
    bool FormCloseQuery() override;
    void DpiChanged() override;

private:
    class MessagePanel;

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
    void FillCalendarList();
    void ProcessMessages();

    TAccount& account_;
    TCalendar& calendar_;
    const ServiceHosts& hosts_;
    HWND mainWindow_;
    TAccountDialogLogic logic_;
    std::unique_ptr<MessagePanel> msgpanel_;
    // What the store held when the dialog opened: a sign-in hands the typed credentials to the
    // store and the client, and Cancel gives these back.
    std::string keptUser_;
    std::string keptPassword_;
    bool connecting_ = false;
};

}  // namespace tessel
