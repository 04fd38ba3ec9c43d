#pragma once
// The account dialog's rules apart from its controls: which page and button show, when the
// dialog may close, what the floating message panel says, the calendar rows built from the
// client's list, and what Save writes through the account store. The Win32 dialog
// (win32_account_dialog.cpp) shows this state and moves the texts in and out.
#include <string>
#include <string_view>
#include <vector>

#include "base/colors.h"

namespace tessel {

class TAccount;
class TxdataList;

// The status texts of the sign-in, as the panel shows them: a text naming a failure becomes the
// four lines that point the user back to page 1.
inline constexpr char kAccountAuthFailedText[] =
    "Gmail Authenticate failed!\rUsername or Pass not correctly,\r\rClick \"1.User Account\" button on left to check "
    "username and pass !";
inline constexpr char kUsernameEmptyText[] = "Username is empty!\r";

struct TCalendarRow {
    std::u16string Caption;
    bool Checked = true;
    // The calendar's colour, when it has one that reads as a colour.
    bool HasColor = false;
    TColor Color = 0;
};

class TAccountDialogLogic {
public:
    enum Page { kAccountPage = 0, kCalendarPage = 1 };
    enum class NextResult { UsernameEmpty, SignIn };

    // Page 0, the panel hidden, closing allowed.
    TAccountDialogLogic() = default;

    // Next: a name of blanks only is refused when there is no subscription either (and from then
    // on only Save closes the dialog); otherwise the same as the "2. Canlendars" button, which
    // the caller then runs.
    NextResult NextClick(std::u16string_view userName, bool hasSubscriptions = false);
    // Whether the calendars page signs in for this name: a user without a service account (the
    // name left blank) uses subscriptions alone, and no sign-in request is sent for them.
    static bool SignsIn(std::u16string_view userName);
    // "  1. User Account  ": page 0 with Next, the panel hidden.
    void AccountbtnClick();
    // "2. Canlendars" (also reached from Next): page 1 with Save; the caller signs in next.
    void CalendarBtnClick();
    // A status text of the client while it signs in.
    void Status(const std::string& text);
    // Save: closing is allowed again.
    void SaveClick() { canClose_ = true; }

    Page CurrentPage() const { return page_; }
    bool NextVisible() const { return page_ == kAccountPage; }
    bool SaveVisible() const { return page_ == kCalendarPage; }
    bool CanClose() const { return canClose_; }
    bool PanelVisible() const { return panelVisible_; }
    // The panel's text, lines broken by single CRs.
    const std::string& PanelText() const { return panelText_; }

private:
    Page page_ = kAccountPage;
    bool canClose_ = true;
    bool panelVisible_ = false;
    std::string panelText_;
};

// What the panel shows for a status text of the client.
std::string AccountStatusText(const std::string& text);
// What it shows when the sign-in raised: no answer at all from the host (with the transport's
// reason when it gave one), or an answer that could not be read (the reader's reason follows).
std::string NoAnswerText(const std::string& host, const std::string& reason = std::string());
std::string UnreadableAnswerText(const std::string& reason);

// One ticked row per entry of the calendar list, in order: the entry's title decoded from UTF-8
// (an empty title shows the calendar's id, so the row can still be told apart) and its colour
// ("gCal:color/value", when it is one). No list, no rows.
std::vector<TCalendarRow> CalendarRows(const TxdataList* calendarEntries);

// The ids of the entries whose rows are ticked, in list order; rows beyond the list are ignored.
std::vector<std::string> TickedCalendarIds(const TxdataList* calendarEntries, const std::vector<bool>& ticked);

// Account texts are UTF-8 bytes in the store (the sign-in sends them percent-encoded, as the
// service expects); the dialog's fields are UTF-16. A stored text that is not UTF-8 (written by
// hand in another code page) is shown byte for byte.
std::u16string AccountFieldText(std::string_view stored);
std::string AccountStoredText(std::u16string_view field);

// Save: the credentials as typed (the store trims them when it writes), the "Calendars" element
// replaced by the ticked calendars' ids, account.xml written. A failed write raises EFileError
// and leaves the old file as it was.
void SaveAccountChoice(TAccount& account, std::u16string_view userName, std::u16string_view password,
                       const TxdataList* calendarEntries, const std::vector<bool>& ticked);

}  // namespace tessel
