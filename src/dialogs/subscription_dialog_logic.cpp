#include "dialogs/subscription_dialog_logic.h"

#include <algorithm>

#include "base/text.h"
#include "calendar/account.h"
#include "calendar/caldav.h"
#include "xml/xdata_list.h"

namespace tessel {

namespace {

// What two addresses fetch, so that "webcal://h/x" and "https://h/x" count as the same calendar.
std::u16string FetchedFrom(std::string_view address) {
    const TSubscriptionAddress parsed = ParseSubscriptionAddress(Trim(address));
    if (parsed.Kind == TSubscriptionAddress::kHttp) return u"url:" + Utf8ToUtf16(parsed.Url);
    if (parsed.Kind == TSubscriptionAddress::kFile) return u"file:" + parsed.FilePath;
    return u"text:" + Utf8ToUtf16(Trim(address));
}

}  // namespace

const std::vector<TPresetColor>& SubscriptionPresetColors() {
    // Colours that stay readable as frames and text on the grid's light cells, told apart at a
    // glance (0x00BBGGRR).
    static const std::vector<TPresetColor> colors = {
        {u"Blue", 0xCC7A2F},   {u"Green", 0x4F9E2E},  {u"Red", 0x3A43D0},    {u"Orange", 0x1E87E8},
        {u"Purple", 0xC6538E}, {u"Teal", 0x9A9617},   {u"Pink", 0x7D51D6},   {u"Brown", 0x39628C},
    };
    return colors;
}

TColor FirstFreePresetColor(const std::vector<TColor>& used) {
    const std::vector<TPresetColor>& presets = SubscriptionPresetColors();
    for (const TPresetColor& preset : presets)
        if (std::find(used.begin(), used.end(), preset.Color) == used.end()) return preset.Color;
    return presets.front().Color;
}

std::string AddressProblem(std::string_view address, const std::vector<TSubscription>& existing) {
    const std::string trimmed = Trim(address);
    if (trimmed.empty()) return kAddressEmptyText;
    const TSubscriptionAddress parsed = ParseSubscriptionAddress(trimmed);
    // A bare host is a calendar server's address.
    if (parsed.Kind == TSubscriptionAddress::kInvalid && DavServerUrl(trimmed).empty()) return parsed.Problem;
    const std::u16string fetched = FetchedFrom(trimmed);
    for (const TSubscription& item : existing)
        if (FetchedFrom(item.Address) == fetched) return kAlreadySubscribedText;
    return std::string();
}

std::string CheckFailedText(const std::string& problem) {
    return "The calendar could not be added:\r" + (problem.empty() ? std::string("it gave no calendar.") : problem);
}

std::string SkippedLinesText(size_t count, const std::string& first) {
    if (count == 0) return {};
    if (count == 1) return "One line of this calendar was skipped:\r" + first;
    return std::to_string(count) + " lines of this calendar were skipped. The first:\r" + first;
}

TSubscription NewSubscription(std::string_view address, std::u16string_view typedTitle, TColor color,
                              const TSubscriptionCheck& check) {
    TSubscription item;
    item.Address = Trim(address);
    item.Title = Utf16ToUtf8(Trim(typedTitle));
    if (item.Title.empty()) item.Title = Trim(check.CalendarName);
    if (item.Title.empty()) item.Title = RedactedAddress(item.Address);
    item.Color = color;
    item.Shown = true;
    return item;
}

std::vector<TSubscription> OwnCalendars(const std::vector<TSubscription>& items,
                                        const std::vector<TDavAccount>& accounts) {
    std::vector<TSubscription> own = items;
    for (const TDavAccount& account : accounts) {
        for (TSubscription calendar : account.Calendars) {
            calendar.Title = Trim(calendar.Title) + " (" + AccountTitle(account) + ")";
            own.push_back(std::move(calendar));
        }
    }
    return own;
}

TSubscription* OwnCalendarAt(std::vector<TSubscription>& items, std::vector<TDavAccount>& accounts, size_t i) {
    if (i < items.size()) return &items[i];
    i -= items.size();
    for (TDavAccount& account : accounts) {
        if (i < account.Calendars.size()) return &account.Calendars[i];
        i -= account.Calendars.size();
    }
    return nullptr;
}

void RemoveOwnCalendar(std::vector<TSubscription>& items, std::vector<TDavAccount>& accounts, size_t i) {
    if (i < items.size()) {
        items.erase(items.begin() + ptrdiff_t(i));
        return;
    }
    i -= items.size();
    for (auto account = accounts.begin(); account != accounts.end(); ++account) {
        if (i >= account->Calendars.size()) {
            i -= account->Calendars.size();
            continue;
        }
        account->Calendars.erase(account->Calendars.begin() + ptrdiff_t(i));
        if (account->Calendars.empty()) accounts.erase(account);
        return;
    }
}

std::function<TColor()> CalendarColorPicker(TColor chosen, std::vector<TColor> used) {
    return [chosen, used = std::move(used), first = true]() mutable {
        const TColor color = first ? chosen : FirstFreePresetColor(used);
        first = false;
        used.push_back(color);
        return color;
    };
}

std::vector<TCalendarRow> SubscriptionRows(const std::vector<TSubscription>& items) {
    std::vector<TCalendarRow> rows;
    rows.reserve(items.size());
    for (const TSubscription& item : items) {
        TCalendarRow row;
        row.Caption = Utf8ToUtf16(Trim(item.Title));
        if (row.Caption.empty()) row.Caption = Utf8ToUtf16(RedactedAddress(item.Address));
        row.Checked = item.Shown;
        row.HasColor = true;
        row.Color = item.Color;
        rows.push_back(std::move(row));
    }
    return rows;
}

void TCalendarPageRows::Fill(const TxdataList* calendarEntries, const std::vector<TSubscription>& subscriptions) {
    calendarEntries_ = calendarEntries;
    rows_ = CalendarRows(calendarEntries);
    serviceRows_ = rows_.size();
    for (TCalendarRow& row : SubscriptionRows(subscriptions)) rows_.push_back(std::move(row));
}

int TCalendarPageRows::SubscriptionAt(int row) const {
    if (row < int(serviceRows_) || row >= int(rows_.size())) return -1;
    return row - int(serviceRows_);
}

std::vector<bool> TCalendarPageRows::ServiceTicks(const std::vector<bool>& ticks) const {
    std::vector<bool> part(serviceRows_, false);
    for (size_t i = 0; i < serviceRows_ && i < ticks.size(); ++i) part[i] = ticks[i];
    return part;
}

std::vector<bool> TCalendarPageRows::SubscriptionTicks(const std::vector<bool>& ticks) const {
    std::vector<bool> part(rows_.size() - serviceRows_, false);
    for (size_t i = 0; i < part.size() && serviceRows_ + i < ticks.size(); ++i) part[i] = ticks[serviceRows_ + i];
    return part;
}

void SaveCalendarChoice(TAccount& account, TSubscriptions& subscriptions, std::u16string_view userName,
                        std::u16string_view password, const TCalendarPageRows& page,
                        const std::vector<TSubscription>& items, const std::vector<TDavAccount>& accounts,
                        const std::vector<bool>& ticks) {
    TSubscriptions next = subscriptions;
    next.Items = items;
    next.Accounts = accounts;
    const std::vector<bool> shown = page.SubscriptionTicks(ticks);
    for (size_t i = 0; i < shown.size(); ++i)
        if (TSubscription* calendar = OwnCalendarAt(next.Items, next.Accounts, i)) calendar->Shown = shown[i];
    next.Save();
    subscriptions.Items = std::move(next.Items);
    subscriptions.Accounts = std::move(next.Accounts);
    SaveAccountChoice(account, userName, password, page.CalendarEntries(), page.ServiceTicks(ticks));
}

}  // namespace tessel
