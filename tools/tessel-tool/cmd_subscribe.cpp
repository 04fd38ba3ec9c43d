// tessel-tool subscribe DIR ADDRESS [--title T] [--color #RRGGBB]: adds a subscription to the
// program folder DIR (its subscriptions.xml), as the account dialog's "Add address..." does: the
// address is fetched once and must be an iCalendar file; without --title the file's own name
// (X-WR-CALNAME) is taken. An address already subscribed to gets the new title and colour.
// --no-check stores it without the fetch (a script's folder whose address is not reachable yet).
// With --user and --password (or for a server that asks none), ADDRESS may be a CalDAV server's
// (a server, a calendar home or a calendar, or a bare host): its calendars are found and added
// as one account, all shown, and each prints as NAME<TAB>#RRGGBB. An account of the same server
// and user is replaced, its calendars keeping whether they were shown.
// tessel-tool subscriptions DIR: the subscriptions of DIR, then the accounts' calendars, one a line:
//   TITLE<TAB>#RRGGBB<TAB>SHOWN<TAB>ADDRESS-WITHOUT-ITS-SECRET
#include <cstdio>
#include <string>
#include <vector>

#include "base/colors.h"
#include "base/errors.h"
#include "base/file_io.h"
#include "base/text.h"
#include "calendar/http.h"
#include "calendar/dav_source.h"
#include "calendar/subscription_source.h"
#include "command.h"

namespace {

// Colours for subscriptions given none, in turn.
constexpr const char* kPalette[] = {"#2E8B57", "#D2691E", "#6A5ACD", "#B22222", "#008B8B", "#8B008B"};

std::u16string FolderArgument(const std::string& text) {
    std::u16string folder = tessel::Utf8ToUtf16(text);
    if (folder.empty() || (folder.back() != u'/' && folder.back() != tessel::kPathSeparator))
        folder += tessel::kPathSeparator;
    return folder;
}

std::string ColorText(uint32_t color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", unsigned(color & 0xFF), unsigned((color >> 8) & 0xFF),
                  unsigned((color >> 16) & 0xFF));
    return text;
}

int RunSubscribe(const std::vector<std::string>& args) {
    if (args.size() < 2) throw tessel::tool::UsageError();
    std::string title, color, user, password;
    bool fetch = true;
    for (size_t i = 2; i < args.size(); i += 2) {
        if (args[i] == "--no-check") {
            fetch = false;
            --i;
            continue;
        }
        if (i + 1 >= args.size()) throw tessel::tool::UsageError();
        if (args[i] == "--title") title = args[i + 1];
        else if (args[i] == "--color") color = args[i + 1];
        else if (args[i] == "--user") user = args[i + 1];
        else if (args[i] == "--password") password = args[i + 1];
        else throw tessel::tool::UsageError();
    }
    if (!color.empty() && (color.size() != 7 || color[0] != '#'))
        throw tessel::EConvertError("'" + color + "' is not a colour (#RRGGBB)");
    const uint32_t parsedColor = color.empty() ? 0 : tessel::ParseColor(color);

    tessel::TSubscriptions store(FolderArgument(args[0]));
    store.Load();
    const std::string& address = args[1];
    tessel::THttp http;
    tessel::TSubscriptionCheck check;
    if (fetch) {
        const tessel::TAddressCheck found = tessel::CheckCalendarAddress(http, address, user, password);
        if (found.Kind == tessel::TAddressCheck::kDavAccount) {
            size_t next = store.Items.size();
            for (const tessel::TDavAccount& account : store.Accounts) next += account.Calendars.size();
            tessel::TDavAccount account = tessel::NewDavAccount(address, title, user, password, found.Discovery, [&] {
                return tessel::ParseColor(kPalette[next++ % std::size(kPalette)]);
            });
            for (const tessel::TSubscription& calendar : account.Calendars)
                std::printf("%s\t%s\n", calendar.Title.c_str(), ColorText(calendar.Color).c_str());
            tessel::PutDavAccount(store.Accounts, std::move(account));
            store.Save();
            return 0;
        }
        check = found.Subscription;
        check.Ok = found.Kind == tessel::TAddressCheck::kSubscription;
        check.Problem = found.Kind == tessel::TAddressCheck::kNeedsPassword
                            ? found.Problem + " (--user NAME --password PASS)"
                            : found.Problem;
    } else {
        const tessel::TSubscriptionAddress parsed = tessel::ParseSubscriptionAddress(address);
        check.Ok = parsed.Kind != tessel::TSubscriptionAddress::kInvalid;
        check.Problem = parsed.Problem;
    }
    if (!check.Ok)
        throw tessel::EError((title.empty() ? tessel::RedactedAddress(address) : title) + ": " + check.Problem);

    tessel::TSubscription item;
    item.Address = tessel::Trim(address);
    item.Title = title.empty() ? check.CalendarName : title;
    if (item.Title.empty()) item.Title = tessel::RedactedAddress(address);
    item.Color = color.empty() ? tessel::ParseColor(kPalette[store.Items.size() % std::size(kPalette)]) : parsedColor;
    bool replaced = false;
    for (tessel::TSubscription& old : store.Items) {
        if (old.Address == item.Address) {
            item.Shown = old.Shown;
            old = item;
            replaced = true;
        }
    }
    if (!replaced) store.Items.push_back(item);
    store.Save();
    std::printf("%s\t%zu events\n", item.Title.c_str(), check.EventCount);
    return 0;
}

int RunSubscriptions(const std::vector<std::string>& args) {
    if (args.size() != 1) throw tessel::tool::UsageError();
    tessel::TSubscriptions store(FolderArgument(args[0]));
    store.Load();
    const auto print = [](const tessel::TSubscription& item) {
        std::printf("%s\t%s\t%d\t%s\n", item.Title.c_str(), ColorText(item.Color).c_str(), item.Shown ? 1 : 0,
                    tessel::RedactedAddress(item.Address).c_str());
    };
    for (const tessel::TSubscription& item : store.Items) print(item);
    for (const tessel::TDavAccount& account : store.Accounts)
        for (const tessel::TSubscription& calendar : account.Calendars) print(calendar);
    return 0;
}

const tessel::tool::Registration kSubscribe{"subscribe", "subscribe DIR ADDRESS [--title T] [--color #RRGGBB] [--user NAME --password PASS] [--no-check]",
                                            RunSubscribe};
const tessel::tool::Registration kSubscriptions{"subscriptions", "subscriptions DIR", RunSubscriptions};

}  // namespace
