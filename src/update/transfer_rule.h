#pragma once
// When an update transfer counts as whole. A connection that closes early ends the reads just as
// the end of the body does, so only the answer's head can tell a whole file from a cut one: the
// body is whole with a 200 and a single Content-Length that the bytes received meet. WinINet
// decodes chunked bodies itself and reports a chunked body cut before its last chunk as a normal
// end, and a body without a length (HTTP/1.0) ends at any close; neither can be told whole from
// cut, so such a body is taken only when the file's SHA-256 was given and matched.
//
// Redirects are followed by the transfer itself, a few at most, and only to web addresses.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::update {

// How many redirects one transfer follows before it fails.
inline constexpr int kMaxRedirects = 5;

struct ResponseHead {
    int Status = 0;
    std::vector<std::string> Lengths;  // every Content-Length value, in order, trimmed
    bool Chunked = false;              // a Transfer-Encoding other than identity
};

// The header lines of a raw head (status line first, lines ended by CR LF or LF); Status is left
// as it was.
void ReadResponseHeaders(std::string_view rawHead, ResponseHead& head);

enum class BodyVerdict {
    Whole,
    NotOk,         // the status is not 200
    Ambiguous,     // several different lengths, a length that is not a number, or a length and chunks
    Cut,           // fewer or more bytes than the single length
    Unverifiable,  // chunked or without a length, and no matching digest
};

// The single announced length, or -1 when there is none or the head is ambiguous.
int64_t AnnouncedLength(const ResponseHead& head);
// received: the body's bytes; digestMatched: a SHA-256 was given and the body matched it.
BodyVerdict JudgeBody(const ResponseHead& head, uint64_t received, bool digestMatched);

// Where a redirect's Location leads from current: an absolute web address, or a path on the same
// scheme and host. False for anything else (another scheme, an empty or odd location).
bool RedirectTarget(std::string_view current, std::string_view location, std::string& next);

}  // namespace tessel::update
