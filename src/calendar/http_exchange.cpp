#include "calendar/http_exchange.h"

#include "base/strict_int.h"
#include "calendar/http.h"
#include "calendar/http_request.h"

namespace tessel {

namespace {

// One further attempt each: a server that keeps refusing the credentials, or a certificate the
// library still rejects with the checks relaxed, must not keep the program sending forever.
constexpr int kCertificateRetries = 1;
constexpr int kCredentialRetries = 1;

}  // namespace

bool RunExchange(HttpExchange& exchange, THttp& http) {
    http.StatusCode = 0;
    int certificateRetries = 0;
    int credentialRetries = 0;
    for (;;) {
        const HttpExchange::SendResult sent = exchange.Send(RequestHeaderBlock(http.ExtraHeader));
        if (sent == HttpExchange::SendResult::UntrustedCertificate) {
            if (certificateRetries++ == kCertificateRetries) return false;
            exchange.RelaxCertificateChecks();
            continue;
        }
        // A send that failed for any other reason leaves no status to read: its text is empty,
        // and the strict conversion reports that to the caller.
        const std::string statusText =
            sent == HttpExchange::SendResult::Sent ? exchange.StatusText() : std::string();
        http.StatusCode = StrToInt(statusText);
        if (http.StatusCode != 401) break;
        if (credentialRetries++ == kCredentialRetries) return false;
        exchange.SetCredentials(http.DefaultUser, http.DefaultPassword);
    }
    if (http.StatusCode != 200 && http.StatusCode != 302) return false;

    http.Body.clear();
    while (exchange.ReadPiece(http.Body)) {
    }
    return true;
}

}  // namespace tessel
