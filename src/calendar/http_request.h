#pragma once
// What a GET is made of before it leaves, the same for both transports: the agent text, the
// header block, the request target as WinINet forms it from the URL, and the scheme check.
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

// The agent text: the words "User-Agent: " belong to it, so the header that arrives at the
// server repeats them.
inline constexpr std::string_view kHttpAgent =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 6.0; Windows NT 5.1)";

// Sent when the caller has no header of its own. It ends in LF CR, not CR LF: the libraries cut
// the block into lines at either character, so the server sees one Content-Type line.
inline constexpr std::string_view kFormContentTypeBlock =
    "Content-Type: application/x-www-form-urlencoded\n\r";

// The header block a request carries, byte for byte. With validators (conditional request) the
// block holds the caller's line, if any, then If-None-Match and If-Modified-Since, and no
// Content-Type line.
std::string RequestHeaderBlock(const std::string& extraHeader, const std::string& ifNoneMatch = {},
                               const std::string& ifModifiedSince = {});

// The lines of a header block as WinINet takes them: cut at CR or LF, empty pieces dropped. For
// libraries that take one header line at a time.
std::vector<std::string> HeaderLines(std::string_view block);

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

}  // namespace tessel
