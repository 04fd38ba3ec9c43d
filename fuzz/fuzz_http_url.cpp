// Arbitrary bytes as a URL and as a header block: the pieces a request is made of must keep
// their shape (the URL cut into two parts that join up again, a request target that starts with
// "/" and holds no blank or zero byte, header lines without line breaks), never crash.
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

    size_t total = 0;
    for (const std::string& line : tessel::HeaderLines(text)) {
        if (line.empty() || line.find_first_of("\r\n") != std::string::npos) std::abort();
        total += line.size();
    }
    if (total > size) std::abort();
    return 0;
}
