#include "update/transfer_rule.h"

#include "base/strict_int.h"
#include "base/text.h"
#include "update/download_names.h"

namespace tessel::update {

void ReadResponseHeaders(std::string_view rawHead, ResponseHead& head) {
    bool statusLine = true;
    while (!rawHead.empty()) {
        const size_t end = rawHead.find('\n');
        std::string_view line = rawHead.substr(0, end);
        rawHead.remove_prefix(end == std::string_view::npos ? rawHead.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (statusLine) {
            statusLine = false;
            continue;
        }
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view name = line.substr(0, colon);
        const std::string value = Trim(line.substr(colon + 1));
        if (SameTextAscii(Trim(name), "Content-Length")) head.Lengths.push_back(value);
        if (SameTextAscii(Trim(name), "Transfer-Encoding") && !SameTextAscii(value, "identity")) head.Chunked = true;
    }
}

int64_t AnnouncedLength(const ResponseHead& head) {
    if (head.Lengths.empty() || head.Chunked) return -1;
    uint64_t length = 0;
    if (!TryParseLength(head.Lengths.front(), length)) return -1;
    for (const std::string& other : head.Lengths) {
        uint64_t value = 0;
        if (!TryParseLength(other, value) || value != length) return -1;
    }
    return static_cast<int64_t>(length);
}

BodyVerdict JudgeBody(const ResponseHead& head, uint64_t received, bool digestMatched) {
    if (head.Status != 200) return BodyVerdict::NotOk;
    if (!head.Lengths.empty()) {
        const int64_t length = AnnouncedLength(head);
        if (length < 0) return BodyVerdict::Ambiguous;
        return received == static_cast<uint64_t>(length) ? BodyVerdict::Whole : BodyVerdict::Cut;
    }
    return digestMatched ? BodyVerdict::Whole : BodyVerdict::Unverifiable;
}

bool RedirectTarget(std::string_view current, std::string_view location, std::string& next) {
    const std::string target = Trim(location);
    if (IsWebAddress(target)) {
        next = target;
        return true;
    }
    // A path on the same server: scheme and host of the current address.
    if (target.empty() || target[0] != '/' || (target.size() > 1 && target[1] == '/') || !IsWebAddress(current))
        return false;
    const size_t hostStart = current.find("//") + 2;
    const size_t pathStart = current.find_first_of("/?#", hostStart);
    next = std::string(current.substr(0, pathStart)) + target;
    return IsWebAddress(next);
}

}  // namespace tessel::update
