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
#include "calendar/http.h"
#include "calendar/lzh.h"
#include "ical/ical.h"
#include "xml/xdata_node.h"

namespace tessel {

namespace {

constexpr char16_t kRootName[] = u"Subscriptions";
constexpr char16_t kItemName[] = u"subscription";
constexpr char kRootClose[] = "</Subscriptions>";
// A published calendar may move once or twice; a chain longer than this is a loop.
constexpr int32_t kSubscriptionMaxRedirects = 10;
// A server that sends a calendar slower than this is given up on; the largest calendar taken
// still comes whole over a line of 2.5 Mbit/s, or a much slower one compressed.
constexpr int32_t kSubscriptionTimeLimitMs = 60000;

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

// The document's items; raises EError with the reason when it is not a whole subscriptions
// document (the caller names the file).
std::vector<TSubscription> ItemsOf(const std::string& text) {
    // Save writes the root's closing tag last; a text that stops before it was cut short.
    std::string_view trimmed(text);
    while (!trimmed.empty() && (trimmed.back() == '\r' || trimmed.back() == '\n' || trimmed.back() == ' '))
        trimmed.remove_suffix(1);
    const bool closed = trimmed.ends_with(kRootClose) || trimmed.ends_with("<Subscriptions/>");
    TxdataNode doc;
    doc.LoadFromBytes(text);
    if (doc.Name() != kRootName) throw EError("it is not a subscriptions document");
    if (!closed) throw EError("the document is cut short");
    std::vector<TSubscription> items;
    for (size_t i = 0; i < doc.ChildCount(); ++i) {
        const auto* node = dynamic_cast<const TxdataNode*>(doc.Child(i));
        if (!node || node->Name() != kItemName) continue;
        TSubscription item;
        item.Address = Narrow(node->GetAttribute(u"address"));
        item.Title = Narrow(node->GetAttribute(u"title"));
        if (item.Address.empty()) throw EError("subscription " + std::to_string(items.size() + 1) + " has no address");
        const std::string color = Narrow(node->GetAttribute(u"color"));
        if (color.size() != 7 || color[0] != '#') throw EError("'" + color + "' is not a colour");
        item.Color = ParseColor(color);
        const std::u16string shown = node->GetAttribute(u"shown");
        if (shown != u"0" && shown != u"1") throw EError("'" + Narrow(shown) + "' is not 0 or 1");
        item.Shown = shown == u"1";
        items.push_back(std::move(item));
    }
    return items;
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

std::string Megabytes(uint64_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

// A file is read whole each time: its stamp (size and time) could miss a rewrite within the
// same second, and reading costs little; the caller tells the same bytes by their digest.
TSubscriptionFetch FetchFile(const std::u16string& path) {
    TSubscriptionFetch fetch;
    std::error_code sizeError;
    const uintmax_t size = std::filesystem::file_size(std::filesystem::path(path), sizeError);
    if (!sizeError && size > kSubscriptionMaxBytes) {
        fetch.Problem = "the file is larger than " + Megabytes(kSubscriptionMaxBytes);
        return fetch;
    }
    try {
        fetch.Body = ReadFileBytes(path, kSubscriptionMaxBytes);
    } catch (const EFileError&) {
        // The error's text names the file, which is the address.
        fetch.Problem = "the file could not be read";
        return fetch;
    }
    fetch.Outcome = TSubscriptionFetch::kFetched;
    return fetch;
}

THttpRequest FetchRequest(const std::string& url, const std::string& etag, const std::string& lastModified) {
    THttpRequest request;
    request.Url = url;
    request.MaxRedirects = kSubscriptionMaxRedirects;
    request.SizeLimit = int64_t(kSubscriptionMaxBytes);
    request.TimeLimitMs = kSubscriptionTimeLimitMs;
    // A validator is the server's own text sent back; one with a line break would add lines.
    const auto oneLine = [](const std::string& value) { return value.find_first_of("\r\n") == std::string::npos; };
    if (!etag.empty() && oneLine(etag)) request.Headers.push_back("If-None-Match: " + etag);
    if (!lastModified.empty() && oneLine(lastModified)) request.Headers.push_back("If-Modified-Since: " + lastModified);
    return request;
}

TSubscriptionFetch FetchOutcome(THttpResponse answer, bool conditional) {
    TSubscriptionFetch fetch;
    if (answer.Failure == THttpFailure::Redirect || answer.Failure == THttpFailure::Address) {
        fetch.Problem = answer.ErrorText;
        return fetch;
    }
    if (answer.Status == 0) {
        fetch.Problem = "the address could not be fetched (" + answer.ErrorText + ")";
        return fetch;
    }
    fetch.ETag = answer.Header("ETag");
    fetch.LastModified = answer.Header("Last-Modified");
    if (answer.Status == 304 && conditional) {
        fetch.Outcome = TSubscriptionFetch::kNotModified;
        return fetch;
    }
    if (answer.Failure != THttpFailure::None) {
        fetch.Problem = "the answer failed (" + answer.ErrorText + ")";
        return fetch;
    }
    if (!answer.Ok()) {
        fetch.Problem = "the address answered " + std::to_string(answer.Status);
        return fetch;
    }
    fetch.Outcome = TSubscriptionFetch::kFetched;
    fetch.Body = std::move(answer.Body);
    return fetch;
}


}  // namespace

TSubscriptions::TSubscriptions(std::u16string folder) : folder_(std::move(folder)) {}

std::u16string TSubscriptions::FilePath() const { return folder_ + u"subscriptions.xml"; }

void TSubscriptions::Load() {
    const std::u16string path = FilePath();
    Items.clear();
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
        Items = ItemsOf(CrLfLines(ExpandStream(coded, kSubscriptionsMaxTextLength)));
    } catch (const EError& e) {
        RaiseDamaged(path, e.what());
    }
}

void TSubscriptions::Save() const {
    TxdataNode doc(kRootName);
    for (const TSubscription& item : Items) {
        TxdataNode* node = doc.AddChild(TxdataNode::CreateNamed(kItemName));
        node->AddAttribute(u"address", Widen(item.Address));
        node->AddAttribute(u"title", Widen(item.Title));
        node->AddAttribute(u"color", Widen(ColorText(item.Color & 0xFFFFFF)));
        node->AddAttribute(u"shown", item.Shown ? u"1" : u"0");
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

std::vector<TSubscriptionFetch> FetchSubscriptions(THttp& http, const std::vector<TSubscriptionOrder>& orders) {
    std::vector<TSubscriptionFetch> fetches(orders.size());
    std::vector<THttpRequest> requests;
    std::vector<size_t> sent;
    for (size_t i = 0; i < orders.size(); ++i) {
        const TSubscriptionAddress parsed = ParseSubscriptionAddress(orders[i].Address);
        switch (parsed.Kind) {
        case TSubscriptionAddress::kHttp:
            requests.push_back(FetchRequest(parsed.Url, orders[i].ETag, orders[i].LastModified));
            sent.push_back(i);
            break;
        case TSubscriptionAddress::kFile: fetches[i] = FetchFile(parsed.FilePath); break;
        case TSubscriptionAddress::kInvalid: fetches[i].Problem = parsed.Problem; break;
        }
    }
    if (requests.empty()) return fetches;
    std::vector<THttpResponse> answers = http.SendAll(requests);
    for (size_t k = 0; k < sent.size(); ++k) {
        const TSubscriptionOrder& order = orders[sent[k]];
        fetches[sent[k]] = FetchOutcome(std::move(answers[k]), !order.ETag.empty() || !order.LastModified.empty());
    }
    return fetches;
}

TSubscriptionFetch FetchSubscription(THttp& http, std::string_view address, const std::string& etag,
                                     const std::string& lastModified) {
    return std::move(FetchSubscriptions(http, {{std::string(address), etag, lastModified}}).front());
}

bool ReadSubscriptionBody(std::string_view body, ical::Calendar& calendar, std::string& problem) {
    std::string_view start = body;
    if (start.starts_with("\xEF\xBB\xBF")) start.remove_prefix(3);
    while (!start.empty() && (start.front() == ' ' || start.front() == '\r' || start.front() == '\n' ||
                              start.front() == '\t'))
        start.remove_prefix(1);
    if (start.starts_with("<")) {
        problem = "the address gave a web page, not a calendar";
        return false;
    }
    if (body.size() > kSubscriptionMaxBytes) {
        problem = "the calendar is larger than " + Megabytes(kSubscriptionMaxBytes);
        return false;
    }
    const auto tooMany = [&problem](size_t events) {
        problem = "the calendar holds " + GroupedThousands(events) + " events, more than the " +
                  GroupedThousands(kSubscriptionMaxEvents) + " taken";
        return false;
    };
    if (const size_t events = ical::CountEvents(body); events > kSubscriptionMaxEvents) return tooMany(events);
    try {
        calendar = ical::ReadCalendar(body, {});
    } catch (const ical::EIcalError& e) {
        problem = "the calendar is damaged (" + std::string(e.what()) + ")";  // "line 12: ..."
        return false;
    }
    // The count before reading passes over a name folded across lines; the reader does not.
    if (calendar.Events.size() > kSubscriptionMaxEvents) {
        const size_t events = calendar.Events.size();
        calendar = ical::Calendar();
        return tooMany(events);
    }
    return true;
}

TSubscriptionCheck CheckSubscription(THttp& http, std::string_view address) {
    TSubscriptionCheck check;
    const TSubscriptionFetch fetch = FetchSubscription(http, address);
    if (fetch.Outcome != TSubscriptionFetch::kFetched) {
        check.Problem = fetch.Problem;
        return check;
    }
    ical::Calendar calendar;
    if (!ReadSubscriptionBody(fetch.Body, calendar, check.Problem)) return check;
    check.Ok = true;
    check.CalendarName = std::string(calendar.Text(calendar.Name));
    check.EventCount = calendar.Events.size();
    return check;
}

}  // namespace tessel
