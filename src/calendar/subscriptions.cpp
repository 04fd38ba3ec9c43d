#include "calendar/subscriptions.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "base/colors.h"
#include "base/errors.h"
#include "base/file_io.h"
#include "base/text.h"
#include "base/text_helpers.h"
#include "calendar/lzh.h"
#include "xml/xdata_node.h"

namespace tessel {

namespace {

constexpr char16_t kRootName[] = u"Subscriptions";
constexpr char16_t kItemName[] = u"subscription";
constexpr char16_t kAccountName[] = u"account";
constexpr char16_t kCalendarName[] = u"calendar";
constexpr char kRootClose[] = "</Subscriptions>";
// LZHUF never needs much more than two bytes per input byte: a bigger file is not ours.
constexpr uintmax_t kSubscriptionsMaxFileSize = 4u * kSubscriptionsMaxTextLength;

[[noreturn]] void RaiseDamaged(const std::u16string& path, const std::string& reason) {
    throw EError("The subscriptions file \"" + Utf16ToUtf8(path) + "\" is damaged and was not loaded (" + reason +
                 "). Add the subscriptions again.");
}

std::string ColorText(uint32_t color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", unsigned(color & 0xFF), unsigned((color >> 8) & 0xFF),
                  unsigned((color >> 16) & 0xFF));
    return text;
}

// One calendar element (a subscription, or an account's calendar) as read; raises EError with the
// reason when it is not whole.
TSubscription CalendarOf(const TxdataNode& node, size_t number) {
    TSubscription item;
    item.Address = Narrow(node.GetAttribute(u"address"));
    item.Title = Narrow(node.GetAttribute(u"title"));
    if (item.Address.empty()) throw EError(Narrow(node.Name()) + " " + std::to_string(number) + " has no address");
    const std::string color = Narrow(node.GetAttribute(u"color"));
    if (color.size() != 7 || color[0] != '#') throw EError("'" + color + "' is not a colour");
    item.Color = ParseColor(color);
    const std::u16string shown = node.GetAttribute(u"shown");
    if (shown != u"0" && shown != u"1") throw EError("'" + Narrow(shown) + "' is not 0 or 1");
    item.Shown = shown == u"1";
    return item;
}

void AddCalendar(TxdataNode& parent, std::u16string_view name, const TSubscription& item) {
    TxdataNode* node = parent.AddChild(TxdataNode::CreateNamed(name));
    node->AddAttribute(u"address", Widen(item.Address));
    node->AddAttribute(u"title", Widen(item.Title));
    node->AddAttribute(u"color", Widen(ColorText(item.Color & 0xFFFFFF)));
    node->AddAttribute(u"shown", item.Shown ? u"1" : u"0");
}

// The document's subscriptions and accounts; raises EError with the reason when it is not a
// whole subscriptions document (the caller names the file).
void ReadDocument(const std::string& text, std::vector<TSubscription>& items, std::vector<TDavAccount>& accounts) {
    // Save writes the root's closing tag last; a text that stops before it was cut short.
    std::string_view trimmed(text);
    while (!trimmed.empty() && (trimmed.back() == '\r' || trimmed.back() == '\n' || trimmed.back() == ' '))
        trimmed.remove_suffix(1);
    const bool closed = trimmed.ends_with(kRootClose) || trimmed.ends_with("<Subscriptions/>");
    TxdataNode doc;
    doc.LoadFromBytes(text);
    if (doc.Name() != kRootName) throw EError("it is not a subscriptions document");
    if (!closed) throw EError("the document is cut short");
    for (size_t i = 0; i < doc.ChildCount(); ++i) {
        const auto* node = dynamic_cast<const TxdataNode*>(doc.Child(i));
        if (!node) continue;
        if (node->Name() == kItemName) {
            items.push_back(CalendarOf(*node, items.size() + 1));
            continue;
        }
        if (node->Name() != kAccountName) continue;
        TDavAccount account;
        account.Server = Narrow(node->GetAttribute(u"server"));
        account.Title = Narrow(node->GetAttribute(u"title"));
        account.User = Narrow(node->GetAttribute(u"user"));
        account.Password = Narrow(node->GetAttribute(u"pass"));
        if (account.Server.empty()) throw EError("account " + std::to_string(accounts.size() + 1) + " has no server");
        for (size_t k = 0; k < node->ChildCount(); ++k) {
            const auto* calendar = dynamic_cast<const TxdataNode*>(node->Child(k));
            if (calendar && calendar->Name() == kCalendarName)
                account.Calendars.push_back(CalendarOf(*calendar, account.Calendars.size() + 1));
        }
        accounts.push_back(std::move(account));
    }
}

// The scheme's length including "://" for the schemes a subscription may have; 0 for others.
size_t SchemeLength(std::string_view address) {
    for (std::string_view scheme : {"https://", "http://", "webcals://", "webcal://"})
        if (StartsWithNoCase(address, scheme)) return scheme.size();
    return 0;
}

// "user:secret@host:8443" -> "host:8443"
std::string_view HostOf(std::string_view afterScheme) {
    std::string_view authority = afterScheme.substr(0, afterScheme.find_first_of("/?#"));
    if (const size_t at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
    return authority;
}

std::string_view FileNameOf(std::string_view path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

TSubscriptions::TSubscriptions(std::u16string folder) : folder_(std::move(folder)) {}

std::u16string TSubscriptions::FilePath() const { return folder_ + u"subscriptions.xml"; }

void TSubscriptions::Load() {
    const std::u16string path = FilePath();
    Items.clear();
    Accounts.clear();
    std::error_code kindError;
    if (std::filesystem::is_directory(std::filesystem::path(path), kindError))
        throw EFileError("The subscriptions file \"" + Utf16ToUtf8(path) + "\" is a folder, not a file.");
    if (!FileExists(path)) return;
    std::error_code sizeError;
    const uintmax_t size = std::filesystem::file_size(std::filesystem::path(path), sizeError);
    if (!sizeError && size > kSubscriptionsMaxFileSize)
        RaiseDamaged(path, "the file holds " + std::to_string(size) + " bytes");
    // A file that cannot be read at all is a file error, not damage.
    const std::string coded = ReadFileBytes(path, kSubscriptionsMaxFileSize);
    try {
        std::vector<TSubscription> items;
        std::vector<TDavAccount> accounts;
        ReadDocument(CrLfLines(ExpandStream(coded, kSubscriptionsMaxTextLength)), items, accounts);
        Items = std::move(items);
        Accounts = std::move(accounts);
    } catch (const EError& e) {
        RaiseDamaged(path, e.what());
    }
}

void TSubscriptions::Save() const {
    TxdataNode doc(kRootName);
    for (const TSubscription& item : Items) AddCalendar(doc, kItemName, item);
    for (const TDavAccount& account : Accounts) {
        TxdataNode* node = doc.AddChild(TxdataNode::CreateNamed(kAccountName));
        node->AddAttribute(u"server", Widen(account.Server));
        node->AddAttribute(u"title", Widen(account.Title));
        node->AddAttribute(u"user", Widen(account.User));
        node->AddAttribute(u"pass", Widen(account.Password));
        for (const TSubscription& calendar : account.Calendars) AddCalendar(*node, kCalendarName, calendar);
    }
    std::vector<std::string> lines;
    doc.SaveToLines(lines);
    const std::string text = JoinLines(lines);
    if (text.size() > kSubscriptionsMaxTextLength) {
        throw EError("The subscriptions are too many to save to \"" + Utf16ToUtf8(FilePath()) + "\" (" +
                     std::to_string(text.size()) + " bytes; at most " + std::to_string(kSubscriptionsMaxTextLength) +
                     "). The file was left as it was.");
    }
    WriteFileAtomic(FilePath(), CompressStream(text));
}

TSubscriptionAddress ParseSubscriptionAddress(std::string_view address) {
    TSubscriptionAddress parsed;
    const std::string text = Trim(address);
    if (text.empty()) {
        parsed.Problem = "the address is empty";
        return parsed;
    }
    if (const size_t scheme = SchemeLength(text)) {
        const std::string_view rest = std::string_view(text).substr(scheme);
        if (HostOf(rest).empty()) {
            parsed.Problem = "the address names no host";
            return parsed;
        }
        if (text.find_first_of(" \t\r\n") != std::string::npos) {
            parsed.Problem = "the address holds a blank";
            return parsed;
        }
        parsed.Kind = TSubscriptionAddress::kHttp;
        // webcal is the same calendar over https.
        parsed.Url = (StartsWithNoCase(text, "webcal") ? "https://" : text.substr(0, scheme)) + std::string(rest);
        return parsed;
    }
    if (text.find("://") == std::string::npos) {
        const std::u16string path = Utf8ToUtf16(text);
        std::error_code error;
        if (std::filesystem::is_regular_file(std::filesystem::path(path), error)) {
            parsed.Kind = TSubscriptionAddress::kFile;
            parsed.FilePath = path;
            return parsed;
        }
        parsed.Problem = "there is no such file";
        return parsed;
    }
    parsed.Problem = "the address is not an http, https or webcal address";
    return parsed;
}

std::string AccountTitle(const TDavAccount& account) {
    if (!Trim(account.Title).empty()) return Trim(account.Title);
    const std::string text = Trim(account.Server);
    const size_t scheme = SchemeLength(text);
    return std::string(HostOf(std::string_view(text).substr(scheme)));
}

std::string RedactedAddress(std::string_view address) {
    const std::string text = Trim(address);
    if (const size_t scheme = SchemeLength(text)) {
        const std::string_view rest = std::string_view(text).substr(scheme);
        const std::string_view host = HostOf(rest);
        const bool more = rest.find_first_of("/?#") != std::string_view::npos &&
                          rest.substr(rest.find_first_of("/?#")).size() > 1;
        return LowerAscii(text.substr(0, scheme)) + std::string(host) + (more ? "/\u2026" : "");
    }
    if (text.find("://") != std::string::npos) return LowerAscii(text.substr(0, text.find("://") + 3)) + "\u2026";
    return std::string(FileNameOf(text));
}

}  // namespace tessel
