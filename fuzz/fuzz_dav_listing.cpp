// Arbitrary bytes as a server's 207 answer, and as a calendar's copy on disk: reading either never
// crashes, a listing read whole holds only members with an href, and a copy read back is written
// out again as the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "calendar/caldav.h"
#include "calendar/dav.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    tessel::TDavMultistatus listing;
    std::string problem;
    if (tessel::ReadMultistatus(text, listing, problem)) {
        for (const tessel::TDavResource& resource : listing.Resources)
            if (resource.Href.empty()) std::abort();
    } else if (problem.empty()) {
        std::abort();
    }
    tessel::DavErrorNames(text, "valid-sync-token");

    tessel::TDavCopy copy;
    if (tessel::ReadDavCopy(text, copy) && tessel::DavCopyText(copy) != text) {
        // Only a text whose fields carry blanks the reader trims may differ; it must read back the same.
        tessel::TDavCopy again;
        if (!tessel::ReadDavCopy(tessel::DavCopyText(copy), again) || again.Objects.size() != copy.Objects.size())
            std::abort();
    }
    return 0;
}
