#pragma once
// What a request is made of before it leaves, the same for both transports: the agent text, the
// header block, the request target as WinINet forms it from the URL, and the checks and pieces
// of addresses that the redirect rules need.
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

// The agent text: the words "User-Agent: " belong to it, so the header that arrives at the
// server repeats them.
inline constexpr std::string_view kHttpAgent =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 6.0; Windows NT 5.1)";

// The lines joined with CR LF, the block ended by an empty line; empty when there are none.
std::string HeaderBlock(const std::vector<std::string>& lines);

// Whether a header line names the given header (letter case ignored).
bool IsHeaderNamed(std::string_view line, std::string_view name);

// "https" in any letter case.
bool IsSecureScheme(std::string_view scheme);

// An absolute URL cut after its authority: "http://h:1/p?q#f" -> "http://h:1" and "/p?q#f".
// False when the URL has no "scheme://".
bool SplitAtAuthority(std::string_view url, std::string& schemeAndAuthority, std::string& rest);

// The request target WinINet sends for the rest of a URL: %XX escapes decoded (the URL is split
// with ICU_DECODE), blanks escaped again as %20, and a "/" put in front when the path is empty.
// A zero byte, written or decoded, ends the text as it ends the C string WinINet reads. Other
// bytes, a fragment included, go out unchanged.
std::string WinInetRequestTarget(std::string_view rest);

// A byte below 0x20 or 0x7F, written or as a %XX escape: decoded into the request line, it would
// end it and start a header of the address's choosing.
bool HoldsControlCharacter(std::string_view url);

// The server an address names: scheme and host in lower case, the port spelt out ("80" for
// http, "443" for https when none is written). The user part is not part of it. Empty fields
// when the address has no "scheme://".
struct UrlOrigin {
    std::string Scheme;
    std::string Host;
    std::string Port;
    bool operator==(const UrlOrigin&) const = default;
};
UrlOrigin OriginOf(std::string_view url);

// The address a Location names, seen from the address that answered with it.
std::string ResolvedUrl(std::string_view from, std::string_view location);

// A certificate digest as the user may write it ("AB:CD:…", blanks, any letter case) in lower-case
// hex without separators.
std::string NormalizedPin(std::string_view pin);
// 64 hex digits once normalized.
bool IsValidPin(std::string_view pin);

}  // namespace tessel
