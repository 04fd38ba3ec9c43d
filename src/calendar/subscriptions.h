#pragma once
// The user's own calendars beside the service's: iCalendar subscriptions (a calendar published
// at an address: https, http, webcal, or a file on this machine) and CalDAV accounts (a server,
// a user name and password, and the calendars found there). Each calendar has a title, a colour
// and whether it is shown. They are kept in subscriptions.xml beside account.xml, packed with the
// same codec: a private address holds a secret token and an account a password, so neither is
// ever written out in the clear, nor shown in logs or message boxes.
//
// The document:
//   <Subscriptions>
//           <subscription address="URL" title="TITLE" color="#RRGGBB" shown="1"/>
//           <account server="URL" title="TITLE" user="NAME" pass="PASSWORD">
//                   <calendar address="URL" title="NAME" color="#RRGGBB" shown="1"/>
//           </account>
//   </Subscriptions>
// Texts are UTF-8. Order is the user's.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

// A subscriptions document is small; anything claiming more than this is damaged.
constexpr uint32_t kSubscriptionsMaxTextLength = 1024u * 1024u;

struct TSubscription {
    std::string Address;  // as the user gave it
    std::string Title;
    uint32_t Color = 0;   // 0x00BBGGRR
    bool Shown = true;
};

// A CalDAV account: the address its calendars were found from, the user's name for it (the
// server's host when empty), the credentials, and its calendars in the server's order.
struct TDavAccount {
    std::string Server;
    std::string Title;
    std::string User;
    std::string Password;
    std::vector<TSubscription> Calendars;  // Address: the calendar collection's; Title: its name
};

// The name an account goes by in the status and the lists: its title, else its server's host.
std::string AccountTitle(const TDavAccount& account);

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
    std::vector<TDavAccount> Accounts;

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

}  // namespace tessel
