#include "calendar/http.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "base/flag_scope.h"
#include "calendar/http_exchange.h"

namespace tessel {

THttp::THttp() = default;
THttp::~THttp() = default;

namespace {

bool IsRedirect(int32_t status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The address a Location names, seen from the address that answered with it.
std::string Resolved(const std::string& from, const std::string& location) {
    if (location.find("://") != std::string::npos) return location;
    const size_t authority = from.find("://");
    const size_t pathStart = authority == std::string::npos ? std::string::npos : from.find('/', authority + 3);
    const std::string origin = from.substr(0, pathStart);
    if (!location.empty() && location.front() == '/') return origin + location;
    const std::string path =
        pathStart == std::string::npos ? "/" : from.substr(pathStart, from.find('?', pathStart) - pathStart);
    return origin + path.substr(0, path.rfind('/') + 1) + location;
}

}  // namespace

bool THttp::Get(const std::string& url) {
    if (waiting_) {
        // Something the waiting request dispatched asks for another: the running one owns the
        // buffers and the answer fields.
        return false;
    }
    if (MaxRedirects < 0) return GetOnce(url);
    std::string target = url;
    for (int32_t redirects = 0;; ++redirects) {
        const bool ok = GetOnce(target);
        if (Location.empty() || !IsRedirect(StatusCode)) return ok;
        if (redirects == MaxRedirects) {
            Response.clear();
            Body.clear();
            ErrorText = "the address redirects more than " + std::to_string(MaxRedirects) + " times";
            return false;
        }
        target = Resolved(target, Location);
    }
}

bool THttp::GetOnce(const std::string& url) {
    Response.clear();
    ErrorText.clear();
    ETag.clear();
    LastModified.clear();
    Location.clear();
    StatusCode = 0;
    bool ok = false;
    const auto exchangeWhole = [this, &url, &ok] {
        // Leaving this block closes the request, then the connection, then the root handle, also
        // when RunExchange raises.
        std::unique_ptr<HttpExchange> exchange = OpenExchange(url);
        if (exchange) ok = RunExchange(*exchange, *this);
    };
    if (ProcessMessages) {
        const FlagScope waiting(waiting_);
        RunWhileProcessingMessages(exchangeWhole);
    } else {
        exchangeWhole();
    }
    if (ok) Response = Body;
    return ok;
}

void THttp::PrepareUrlBuffers(const std::string& url) {
    // The copy needs room for its terminating zero, so a URL exactly BufferSize long grows the
    // buffers too.
    const size_t needed = url.size() + 1;
    if (BufferSize < 1 || needed > static_cast<size_t>(BufferSize)) {
        BufferSize = static_cast<int32_t>(std::min<size_t>(needed, std::numeric_limits<int32_t>::max()));
        ComponentSize = std::max(ComponentSize, BufferSize);
    }
    const size_t size = static_cast<size_t>(BufferSize);
    if (urlBuffers_[kWholeUrl].size() != size) {
        for (std::vector<char>& buffer : urlBuffers_) buffer.assign(size, '\0');
    }
    const size_t copied = std::min(url.size(), size - 1);
    std::memcpy(urlBuffers_[kWholeUrl].data(), url.data(), copied);
    urlBuffers_[kWholeUrl][copied] = '\0';
}

uint32_t THttp::AnnouncedComponentSize() const {
    const int32_t capacity = std::clamp(ComponentSize, 1, std::max(BufferSize, 1));
    return static_cast<uint32_t>(std::min<size_t>(capacity, urlBuffers_[kWholeUrl].size()));
}

}  // namespace tessel
