#include "dialogs/account_dialog_logic.h"

#include "base/errors.h"
#include "base/text.h"
#include "calendar/account.h"
#include "calendar/event.h"
#include "xml/xdata_list.h"
#include "xml/xdata_node.h"

namespace tessel {

bool TAccountDialogLogic::SignsIn(std::u16string_view userName) { return !Trim(userName).empty(); }

TAccountDialogLogic::NextResult TAccountDialogLogic::NextClick(std::u16string_view userName, bool hasSubscriptions) {
    if (!SignsIn(userName) && !hasSubscriptions) {
        // The user is kept in the dialog until a Save: the account must not be left without a name.
        canClose_ = false;
        return NextResult::UsernameEmpty;
    }
    CalendarBtnClick();
    return NextResult::SignIn;
}

void TAccountDialogLogic::AccountbtnClick() {
    page_ = kAccountPage;
    panelVisible_ = false;
}

void TAccountDialogLogic::CalendarBtnClick() { page_ = kCalendarPage; }

void TAccountDialogLogic::Status(const std::string& text) {
    panelText_ = AccountStatusText(text);
    panelVisible_ = text != "close";
}

std::string AccountStatusText(const std::string& text) {
    return text.find("fail") != std::string::npos ? std::string(kAccountAuthFailedText) : text;
}

std::string NoAnswerText(const std::string& host, const std::string& reason) {
    return "The calendar service at " + host + " did not answer" + (reason.empty() ? "." : ":\r" + reason) +
           "\rCheck the network and try again.";
}

std::string UnreadableAnswerText(const std::string& reason) {
    return "The calendar service's answer could not be read:\r" + reason;
}

std::vector<TCalendarRow> CalendarRows(const TxdataList* calendarEntries) {
    std::vector<TCalendarRow> rows;
    if (!calendarEntries) return rows;
    for (size_t i = 0; i < calendarEntries->Count(); ++i) {
        const TxdataNode* entry = calendarEntries->Node(i);
        std::u16string caption = Utf8ToUtf16(Narrow(entry->ReadValue(u"title")));
        if (Trim(caption).empty()) caption = Utf8ToUtf16(Narrow(entry->ReadValue(u"id")));
        TCalendarRow row{std::move(caption), true};
        // Read as the feeds' colours are (CleanText takes off the quotes an attribute may keep).
        const std::string color = CleanText(Narrow(entry->ReadValue(u"gCal:color/value")));
        if (color.size() == 7) {
            try {
                row.Color = ParseColor(color);
                row.HasColor = true;
            } catch (const EConvertError&) {
                // Not a colour: the row goes without its swatch.
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::string> TickedCalendarIds(const TxdataList* calendarEntries, const std::vector<bool>& ticked) {
    std::vector<std::string> ids;
    if (!calendarEntries) return ids;
    for (size_t i = 0; i < calendarEntries->Count() && i < ticked.size(); ++i)
        if (ticked[i]) ids.push_back(Narrow(calendarEntries->Node(i)->ReadValue(u"id")));
    return ids;
}

std::u16string AccountFieldText(std::string_view stored) {
    std::u16string decoded = Utf8ToUtf16(stored);
    return Utf16ToUtf8(decoded) == stored ? decoded : Widen(stored);
}

std::string AccountStoredText(std::u16string_view field) { return Utf16ToUtf8(field); }

void SaveAccountChoice(TAccount& account, std::u16string_view userName, std::u16string_view password,
                       const TxdataList* calendarEntries, const std::vector<bool>& ticked) {
    account.UserName = AccountStoredText(userName);
    account.Password = AccountStoredText(password);
    account.SetCalendars(TickedCalendarIds(calendarEntries, ticked));
    account.Save();
}

}  // namespace tessel
