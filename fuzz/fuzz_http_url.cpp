// Arbitrary bytes as a URL: the pieces a request is made of must keep their shape (the URL cut
// into two parts that join up again, a request target that starts with "/" and holds no blank or
// zero byte), an address found free of control characters must give a request target free of
// them too (no line of the server's choosing), and resolving a Location against it never crashes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "calendar/http_request.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    std::string authority, rest;
    if (tessel::SplitAtAuthority(text, authority, rest)) {
        if (authority + rest != text) std::abort();
        if (!rest.empty() && rest.find_first_of("/?#") != 0) std::abort();
    }

    const std::string target = tessel::WinInetRequestTarget(text);
    if (target.empty() || target.front() != '/') std::abort();
    if (target.find(' ') != std::string::npos || target.find('\0') != std::string::npos) std::abort();
    if (target.size() > 3 * size + 1) std::abort();

    if (!tessel::HoldsControlCharacter(text))
        for (const char c : target)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) std::abort();

    const tessel::UrlOrigin origin = tessel::OriginOf(text);
    if (origin.Scheme.size() > size || origin.Host.size() > size) std::abort();
    const std::string half(text.substr(0, size / 2));
    const std::string resolved = tessel::ResolvedUrl(half, text.substr(size / 2));
    if (resolved.size() > size + half.size() + 1) std::abort();
    return 0;
}
