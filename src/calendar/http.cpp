#include "calendar/http.h"

#include <exception>
#include <memory>

#include "base/flag_scope.h"
#include "base/text.h"
#include "calendar/http_exchange.h"
#include "calendar/http_request.h"

namespace tessel {

THttp::THttp() = default;
THttp::~THttp() = default;

std::string THttpResponse::Header(std::string_view name) const {
    for (const auto& [headerName, value] : Headers)
        if (SameTextAscii(headerName, name)) return value;
    return std::string();
}

bool THttpResponse::Ok() const {
    if (Failure != THttpFailure::None) return false;
    return (Status >= 200 && Status <= 299) || (Status == 302 && Header("Location").empty());
}

std::string HttpFailureText(THttpFailure failure) {
    switch (failure) {
    case THttpFailure::None: return std::string();
    case THttpFailure::Address: return "the address is not an http or https address";
    case THttpFailure::HostUnknown: return "the server's name is not known";
    case THttpFailure::Refused: return "the server refused the connection";
    case THttpFailure::ConnectionLost: return "the connection was lost before the answer came";
    case THttpFailure::TimedOut: return "the answer did not come in time";
    case THttpFailure::Certificate: return "the server's certificate is not trusted";
    case THttpFailure::CutShort: return "the connection ended before the whole answer came";
    case THttpFailure::TooLarge: return "the answer is too large";
    case THttpFailure::Redirect: return "the address redirects too often";
    case THttpFailure::Busy: return "another request is still waiting for its answer";
    case THttpFailure::Other: break;
    }
    return "the request failed";
}

namespace {

bool IsRedirect(int32_t status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

THttpResponse Failed(THttpFailure failure, std::string text) {
    THttpResponse response;
    Fail(response, {failure, std::move(text)});
    return response;
}

// Why a redirect to target may not be followed from an address of the scheme from; empty when
// it may.
std::string RedirectRefusal(const UrlOrigin& from, const std::string& target) {
    const UrlOrigin to = OriginOf(target);
    if (to.Scheme.empty()) return "redirected to an address that cannot be read: refused";
    if (to.Scheme == "file") return "redirected to a file address: refused";
    if (to.Scheme != "http" && to.Scheme != "https") return "redirected to a " + to.Scheme + " address: refused";
    if (from.Scheme == "https" && to.Scheme == "http") return "redirected from https to plain http: refused";
    if (to.Host.empty()) return "redirected to an address without a server: refused";
    return std::string();
}

}  // namespace

THttpResponse THttp::Exchange(const THttpRequest& request) {
    try {
        const UrlOrigin origin = OriginOf(request.Url);
        if (origin.Scheme != "http" && origin.Scheme != "https") return Failed(THttpFailure::Address, {});
        if (origin.Host.empty()) return Failed(THttpFailure::Address, "the address names no server");
        if (HoldsControlCharacter(request.Url))
            return Failed(THttpFailure::Address, "the address holds a control character");
        for (const std::string& line : request.Headers)
            if (line.find_first_of("\r\n") != std::string::npos || line.find('\0') != std::string::npos)
                return Failed(THttpFailure::Other, "a header of the request holds a line break");

        const HttpLimits limits = HttpLimits::Of(request);
        HttpHop hop{request.Method, request.Url, request.Headers, request.Body, NormalizedPin(request.PinnedCertificate),
                    !request.User.empty()};
        std::string user = request.User;
        std::string password = request.Password;
        UrlOrigin current = origin;
        for (int32_t redirects = 0;; ++redirects) {
            THttpResponse response;
            HttpFault fault;
            std::unique_ptr<HttpExchange> exchange = OpenHttpExchange(hop, limits, fault);
            if (!exchange) {
                Fail(response, fault);
                return response;
            }
            RunExchange(*exchange, user, password, response);
            const std::string location = response.Header("Location");
            if (response.Failure != THttpFailure::None || !IsRedirect(response.Status) || location.empty())
                return response;
            if (redirects >= request.MaxRedirects)
                return Failed(THttpFailure::Redirect, request.MaxRedirects == 0
                                                          ? "the address redirects elsewhere"
                                                          : "the address redirects more than " +
                                                                std::to_string(request.MaxRedirects) + " times");
            const std::string target = ResolvedUrl(hop.Url, location);
            if (const std::string refusal = RedirectRefusal(current, target); !refusal.empty())
                return Failed(THttpFailure::Redirect, refusal);
            if (HoldsControlCharacter(target))
                return Failed(THttpFailure::Redirect, "redirected to an address with a control character: refused");
            const UrlOrigin next = OriginOf(target);
            if (!(next == origin)) {
                // What was given for the first server stays with it.
                std::erase_if(hop.Headers, [](const std::string& line) { return IsHeaderNamed(line, "Authorization"); });
                user.clear();
                password.clear();
                hop.MayAuthenticate = false;
            }
            // A certificate is pinned for a host name, whatever the port.
            if (next.Host != origin.Host) hop.PinnedCertificate.clear();
            if (response.Status == 303 && hop.Method != "GET" && hop.Method != "HEAD") {
                hop.Method = "GET";
                hop.Body.clear();
                std::erase_if(hop.Headers, [](const std::string& line) { return IsHeaderNamed(line, "Content-Type"); });
            }
            hop.Url = target;
            current = next;
        }
    } catch (const std::exception& e) {
        return Failed(THttpFailure::Other, e.what());
    }
}

THttpResponse THttp::Send(const THttpRequest& request) {
    return SendAll(std::vector<THttpRequest>{request}).front();
}

std::vector<THttpResponse> THttp::SendAll(const std::vector<THttpRequest>& requests) {
    std::vector<THttpResponse> responses(requests.size());
    if (waiting_) {
        // Something the waiting exchanges dispatched asks for another: it may not run inside them.
        for (THttpResponse& response : responses) response = Failed(THttpFailure::Busy, {});
        return responses;
    }
    std::vector<std::function<void()>> jobs;
    jobs.reserve(requests.size());
    for (size_t i = 0; i < requests.size(); ++i)
        jobs.push_back([this, &requests, &responses, i] { responses[i] = Exchange(requests[i]); });
    if (ProcessMessages) {
        const FlagScope waiting(waiting_);
        RunJobs(jobs);
    } else {
        RunJobs(jobs);
    }
    return responses;
}

}  // namespace tessel
