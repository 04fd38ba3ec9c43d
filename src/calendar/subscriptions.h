#pragma once
// The user's iCalendar subscriptions: calendars published at an address (https, http, webcal,
// or a file on this machine), each with a title, a colour and whether it is shown. They are kept
// in subscriptions.xml beside account.xml, packed with the same codec: a private address holds
// a secret token, so it is never written out in the clear, nor shown in logs or message boxes.
//
// The document:
//   <Subscriptions>
//           <subscription address="URL" title="TITLE" color="#RRGGBB" shown="1"/>
//   </Subscriptions>
// Texts are UTF-8. Order is the user's.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

namespace ical {
struct Calendar;
}

class THttp;

// A subscriptions document is small; anything claiming more than this is damaged.
constexpr uint32_t kSubscriptionsMaxTextLength = 1024u * 1024u;

struct TSubscription {
    std::string Address;  // as the user gave it
    std::string Title;
    uint32_t Color = 0;   // 0x00BBGGRR
    bool Shown = true;
};

class TSubscriptions {
public:
    // folder: where subscriptions.xml lives, with a trailing separator.
    explicit TSubscriptions(std::u16string folder);

    // The folder + "subscriptions.xml".
    std::u16string FilePath() const;

    // Reads the file into Items. A missing file leaves Items empty. A file that cannot be read
    // raises EFileError; a damaged one (bad code, a length beyond reason, not the document)
    // leaves Items empty and raises EError naming the file.
    void Load();
    // Replaces the file atomically; on EFileError the old file is untouched.
    void Save() const;

    std::vector<TSubscription> Items;

private:
    std::u16string folder_;
};

// What a subscription's address names, or why it can be none: "https://", "http://" and
// "webcal://" (fetched as https), or the path of an existing file.
struct TSubscriptionAddress {
    enum Kind { kInvalid, kHttp, kFile } Kind = kInvalid;
    std::string Url;          // kHttp: the address to fetch (webcal:// made https://)
    std::u16string FilePath;  // kFile
    std::string Problem;      // kInvalid: why, without the address itself
};
TSubscriptionAddress ParseSubscriptionAddress(std::string_view address);

// The address as it may appear outside the dialog: scheme and host only ("https://host/…"),
// a file's name only.
std::string RedactedAddress(std::string_view address);

// The account dialog's one-off fetch of a new address: whether it is an iCalendar file and
// what the file calls itself (X-WR-CALNAME). Problem names what went wrong in the user's words
// ("the address answered 404", "the address gave a web page, not a calendar"), never the address.
struct TSubscriptionCheck {
    bool Ok = false;
    std::string Problem;
    std::string CalendarName;
    size_t EventCount = 0;
};
TSubscriptionCheck CheckSubscription(THttp& http, std::string_view address);

// The largest subscription taken, and the most events one may hold: a calendar beyond either is
// refused whole rather than shown in part.
constexpr uint64_t kSubscriptionMaxBytes = uint64_t(16) << 20;
constexpr size_t kSubscriptionMaxEvents = 50000;

// One fetch of a subscription's address. With the validators of the copy at hand (an ETag or a
// Last-Modified text from an earlier answer), an http request is conditional: an unchanged
// calendar comes back NotModified with no body. A file is read whole. Problem is in the user's
// words and never holds the address.
struct TSubscriptionFetch {
    enum Outcome { kFailed, kNotModified, kFetched } Outcome = kFailed;
    std::string Body;
    std::string ETag;          // of the answer
    std::string LastModified;  // of the answer
    std::string Problem;
};
TSubscriptionFetch FetchSubscription(THttp& http, std::string_view address, const std::string& etag = {},
                                     const std::string& lastModified = {});
// Several fetches side by side: one slow server holds back only its own calendar. The fetches
// come in the order of the orders.
struct TSubscriptionOrder {
    std::string Address;
    std::string ETag;
    std::string LastModified;
};
std::vector<TSubscriptionFetch> FetchSubscriptions(THttp& http, const std::vector<TSubscriptionOrder>& orders);

// Reads a fetched body as a calendar. False with problem set (in the user's words) when it is a
// web page, holds nothing readable, or more than kSubscriptionMaxEvents events. Lines passed
// over are no failure: they stay in the calendar's warnings.
bool ReadSubscriptionBody(std::string_view body, ical::Calendar& calendar, std::string& problem);

}  // namespace tessel
