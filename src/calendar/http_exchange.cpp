#include "calendar/http_exchange.h"

#include <algorithm>

#include "base/percent_code.h"
#include "base/text.h"
#include "base/text_helpers.h"

namespace tessel {

HttpLimits HttpLimits::Of(const THttpRequest& request) {
    HttpLimits limits;
    limits.timeLimitMs = std::max<int32_t>(request.TimeLimitMs, 1);
    limits.deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limits.timeLimitMs);
    limits.maxBodyBytes = std::max<int64_t>(request.SizeLimit, 0);
    return limits;
}

int64_t HttpLimits::RemainingMs() const {
    using std::chrono::duration_cast, std::chrono::milliseconds, std::chrono::steady_clock;
    return std::max<int64_t>(duration_cast<milliseconds>(deadline - steady_clock::now()).count(), 0);
}

std::string HttpLimits::TimeOutText() const {
    if (timeLimitMs % 1000 == 0)
        return "the answer did not come whole within " + GroupedThousands(uint64_t(timeLimitMs / 1000)) + " s";
    return "the answer did not come whole within " + GroupedThousands(uint64_t(timeLimitMs)) + " ms";
}

std::string HttpLimits::TooLargeText() const {
    return "the answer is larger than " + GroupedThousands(uint64_t(maxBodyBytes)) + " bytes";
}

std::string CutShortText(uint64_t received, uint64_t announced) {
    return "the connection ended after " + GroupedThousands(received) + " of " + GroupedThousands(announced) +
           " bytes of the answer";
}

void Fail(THttpResponse& response, const HttpFault& fault) {
    response.Failure = fault.Kind == THttpFailure::None ? THttpFailure::Other : fault.Kind;
    response.ErrorText = fault.Text.empty() ? HttpFailureText(response.Failure) : fault.Text;
    response.Body.clear();
}

namespace {

// The 401's challenges are all Basic.
bool OffersBasicOnly(const std::vector<std::pair<std::string, std::string>>& headers) {
    bool basic = false;
    for (const auto& [name, value] : headers) {
        if (!SameTextAscii(name, "WWW-Authenticate")) continue;
        if (!StartsWithNoCase(value, "Basic")) return false;
        basic = true;
    }
    return basic;
}

}  // namespace

void RunExchange(HttpExchange& exchange, const std::string& user, const std::string& password,
                 THttpResponse& response) {
    // One further attempt each: a server that keeps refusing the credentials, or keeps closing
    // the connection, must not keep the program sending forever.
    bool resentAfterLoss = false;
    bool resentWithCredentials = false;
    for (;;) {
        response.Status = 0;
        if (exchange.Send() == HttpExchange::SendResult::Failed) {
            const HttpFault fault = exchange.Fault();
            if (fault.Kind == THttpFailure::ConnectionLost && !resentAfterLoss) {
                resentAfterLoss = true;
                continue;
            }
            Fail(response, fault);
            return;
        }
        response.Status = exchange.Status();
        if (response.Status != 401 || user.empty() || resentWithCredentials) break;
        resentWithCredentials = true;
        if (OffersBasicOnly(exchange.AnswerHeaders()))
            exchange.AddHeader("Authorization: Basic " + Base64Encode(user + ":" + password));
        else
            exchange.SetCredentials(user, password);
    }
    response.Headers = exchange.AnswerHeaders();
    response.Body.clear();
    while (exchange.ReadPiece(response.Body)) {
    }
    // Half an answer must not pass for the whole: a feed cut at an element boundary still parses.
    const HttpFault fault = exchange.Fault();
    if (fault.Kind != THttpFailure::None) Fail(response, fault);
}

}  // namespace tessel
