#include "calendar/http_exchange.h"

#include <algorithm>

#include "base/strict_int.h"
#include "base/text_helpers.h"
#include "calendar/http.h"
#include "calendar/http_request.h"

namespace tessel {

namespace {

// One further attempt each: a server that keeps refusing the credentials, or a certificate the
// library still rejects with the checks relaxed, must not keep the program sending forever.
constexpr int kCertificateRetries = 1;
constexpr int kCredentialRetries = 1;

}  // namespace

HttpLimits HttpLimits::Of(const THttp& http) {
    HttpLimits limits;
    limits.timeLimitMs = std::max<int32_t>(http.RequestTimeLimitMs, 1);
    limits.deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limits.timeLimitMs);
    limits.maxBodyBytes = std::max<int64_t>(http.ResponseSizeLimit, 0);
    limits.libraryFollowsRedirects = http.MaxRedirects < 0;
    return limits;
}

int64_t HttpLimits::RemainingMs() const {
    using std::chrono::duration_cast, std::chrono::milliseconds, std::chrono::steady_clock;
    return std::max<int64_t>(duration_cast<milliseconds>(deadline - steady_clock::now()).count(), 0);
}

std::string HttpLimits::TimeOutText() const {
    return "the answer did not come whole within " + GroupedThousands(uint64_t(timeLimitMs)) + " ms";
}

std::string HttpLimits::TooLargeText() const {
    return "the answer is larger than " + GroupedThousands(uint64_t(maxBodyBytes)) + " bytes";
}

std::string CutShortText(uint64_t received, uint64_t announced) {
    return "the connection ended after " + GroupedThousands(received) + " of " + GroupedThousands(announced) +
           " bytes of the answer";
}

bool RunExchange(HttpExchange& exchange, THttp& http) {
    http.StatusCode = 0;
    int certificateRetries = 0;
    int credentialRetries = 0;
    for (;;) {
        const HttpExchange::SendResult sent =
            exchange.Send(RequestHeaderBlock(http.ExtraHeader, http.IfNoneMatch, http.IfModifiedSince));
        if (sent == HttpExchange::SendResult::UntrustedCertificate) {
            if (certificateRetries++ == kCertificateRetries) return false;
            exchange.RelaxCertificateChecks();
            continue;
        }
        // A send that failed for any other reason leaves no status to read: its text is empty,
        // and the strict conversion reports that to the caller.
        if (sent == HttpExchange::SendResult::Failed) http.ErrorText = exchange.Failure();
        const std::string statusText =
            sent == HttpExchange::SendResult::Sent ? exchange.StatusText() : std::string();
        http.StatusCode = StrToInt(statusText);
        if (http.StatusCode != 401) break;
        if (credentialRetries++ == kCredentialRetries) return false;
        exchange.SetCredentials(http.DefaultUser, http.DefaultPassword);
    }
    if (http.StatusCode == 200 || http.StatusCode == 302 || http.StatusCode == 304) {
        http.ETag = exchange.HeaderText("ETag");
        http.LastModified = exchange.HeaderText("Last-Modified");
    }
    if (http.StatusCode == 301 || http.StatusCode == 302 || http.StatusCode == 303 || http.StatusCode == 307 ||
        http.StatusCode == 308)
        http.Location = exchange.HeaderText("Location");
    if (http.StatusCode != 200 && http.StatusCode != 302) return false;

    http.Body.clear();
    while (exchange.ReadPiece(http.Body)) {
    }
    // Half an answer must not pass for the whole: a feed cut at an element boundary still parses.
    http.ErrorText = exchange.Failure();
    if (http.ErrorText.empty()) return true;
    http.Body.clear();
    return false;
}

}  // namespace tessel
