#pragma once
// The subscriptions' side of the account dialog apart from its controls: the rows they add to
// the calendars page after the service's calendars, what "Add address…" checks before and after
// it fetches the address once, the colours it offers, and what Save writes through the
// subscriptions store. The address is a secret in effect: the texts made here for the panel,
// the rows and messages never hold more of it than RedactedAddress gives.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/colors.h"
#include "calendar/subscription_source.h"
#include "dialogs/account_dialog_logic.h"

namespace tessel {

class TxdataList;

inline constexpr char kCheckingAddressText[] = "Fetching the calendar\xE2\x80\xA6";
inline constexpr char kAddressEmptyText[] = "Enter the calendar's address, or pick a file with Browse\xE2\x80\xA6";
inline constexpr char kAlreadySubscribedText[] = "This calendar is already in the list.";
inline constexpr char kPasswordAskedText[] =
    "This calendar server asks for a user name and password.\rEnter them and click OK again.";
inline constexpr char kAddressBusyText[] = "A sync is running.\rClick OK again when it has ended.";

// The colours "Add address…" offers before the system's colour picker.
struct TPresetColor {
    const char16_t* Name;
    TColor Color;  // 0x00BBGGRR
};
const std::vector<TPresetColor>& SubscriptionPresetColors();

// The colour a new subscription starts with: the first preset that none of the calendars
// already shown (the service's, the subscriptions') uses; the first preset when all are taken.
TColor FirstFreePresetColor(const std::vector<TColor>& used);

// Why the address cannot even be tried (empty, a scheme that is no calendar's, a file that is not
// there, an address already subscribed), without the address itself; empty when it may be fetched.
std::string AddressProblem(std::string_view address, const std::vector<TSubscription>& existing);

// The panel's text when the one fetch failed: the check's problem under the title the
// subscription would have had.
std::string CheckFailedText(const std::string& problem);

// What the panel says of the selected subscription when reading its copy passed lines over:
// how many, and the first; empty when none were.
std::string SkippedLinesText(size_t count, const std::string& first);

// The subscription that the dialog adds once the fetch went through: the address trimmed, the
// title typed (trimmed) or else the calendar's own name, or else the redacted address; shown.
TSubscription NewSubscription(std::string_view address, std::u16string_view typedTitle, TColor color,
                              const TSubscriptionCheck& check);

// The calendars the page lists after the service's: the subscriptions in the user's order, then
// each account's calendars, captioned "NAME (ACCOUNT)".
std::vector<TSubscription> OwnCalendars(const std::vector<TSubscription>& items,
                                        const std::vector<TDavAccount>& accounts);
// The own calendar at index i of that list, wherever it lies; null beyond it.
TSubscription* OwnCalendarAt(std::vector<TSubscription>& items, std::vector<TDavAccount>& accounts, size_t i);
// Removes the own calendar at index i; an account left without calendars goes with it.
void RemoveOwnCalendar(std::vector<TSubscription>& items, std::vector<TDavAccount>& accounts, size_t i);
// The colour each calendar found without one of its own starts with: the colour chosen for the
// first, then the presets no calendar uses yet.
std::function<TColor()> CalendarColorPicker(TColor chosen, std::vector<TColor> used);

// One row per subscription, in the user's order, ticked when it is shown; the caption is its
// title, or the redacted address when it has none.
std::vector<TCalendarRow> SubscriptionRows(const std::vector<TSubscription>& items);

// The calendars page: the rows of the service's calendars (when a list was fetched) followed by
// those of the subscriptions, and the ticks read back from the rows split between the two.
class TCalendarPageRows {
public:
    // calendarEntries: the client's calendar list the service rows come from, or null when the
    // page shows none (no account name, or no list came).
    void Fill(const TxdataList* calendarEntries, const std::vector<TSubscription>& subscriptions);
    const std::vector<TCalendarRow>& Rows() const { return rows_; }
    size_t ServiceRowCount() const { return serviceRows_; }
    const TxdataList* CalendarEntries() const { return calendarEntries_; }
    // The subscription a row shows, or -1 for a service calendar's row or one beyond the list.
    int SubscriptionAt(int row) const;
    // The row showing subscription i.
    int RowOfSubscription(size_t i) const { return int(serviceRows_ + i); }
    // The service part and the subscription part of the ticks of every row, each as long as its
    // part (missing ticks count as unticked).
    std::vector<bool> ServiceTicks(const std::vector<bool>& ticks) const;
    std::vector<bool> SubscriptionTicks(const std::vector<bool>& ticks) const;

private:
    std::vector<TCalendarRow> rows_;
    size_t serviceRows_ = 0;
    const TxdataList* calendarEntries_ = nullptr;
};

// Save: the subscriptions and the CalDAV accounts (in the dialog's order, each calendar shown
// when its row is ticked) are written first, then account.xml as SaveAccountChoice writes it. The store's Items change only once its
// file was written; a failed write raises and leaves both files as they were when it was the
// first, account.xml as it was when it was the second.
void SaveCalendarChoice(TAccount& account, TSubscriptions& subscriptions, std::u16string_view userName,
                        std::u16string_view password, const TCalendarPageRows& page,
                        const std::vector<TSubscription>& items, const std::vector<TDavAccount>& accounts,
                        const std::vector<bool>& ticks);

}  // namespace tessel
