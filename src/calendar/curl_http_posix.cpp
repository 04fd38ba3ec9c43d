// THttp's native half on libcurl, for the tools and the tests on Linux. It sends what the WinINet
// build sends: the agent text, the header lines, HTTP/1.0, and the request target as WinINet forms
// it (escapes decoded, blanks escaped). libcurl follows no redirect and keeps no connection: each
// hop is a new easy handle.
//
// A pinned certificate is checked during the handshake, before any byte of the request leaves:
// OpenSSL's chain check is replaced by one that takes the pinned certificate whatever signed it
// and sends any other through the usual check, its name included.
#include "calendar/http.h"

#include <curl/curl.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <array>
#include <charconv>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "base/sha256.h"
#include "base/text.h"
#include "calendar/http_exchange.h"
#include "calendar/http_request.h"

namespace tessel {

namespace {

struct EasyDeleter {
    void operator()(CURL* easy) const noexcept { curl_easy_cleanup(easy); }
};
struct UrlDeleter {
    void operator()(CURLU* url) const noexcept { curl_url_cleanup(url); }
};
struct SlistDeleter {
    void operator()(curl_slist* list) const noexcept { curl_slist_free_all(list); }
};
struct CurlStringDeleter {
    void operator()(char* text) const noexcept { curl_free(text); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using UrlHandle = std::unique_ptr<CURLU, UrlDeleter>;
using HeaderList = std::unique_ptr<curl_slist, SlistDeleter>;
using CurlString = std::unique_ptr<char, CurlStringDeleter>;

bool CurlReady() {
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

// "HTTP/1.1 200 OK" -> 200; 0 when the line holds no number there.
int32_t StatusOfLine(std::string_view line) {
    size_t start = line.find(' ');
    if (start == std::string_view::npos) return 0;
    start = line.find_first_not_of(' ', start);
    if (start == std::string_view::npos) return 0;
    int32_t status = 0;
    const auto [end, error] = std::from_chars(line.data() + start, line.data() + line.size(), status);
    if (error != std::errc() || (end != line.data() + line.size() && *end != ' ' && *end != '\r' && *end != '\n'))
        return 0;
    return status;
}

struct PinCheck {
    std::string pin;   // lower-case hex
    std::string host;  // for the usual check of any other certificate
};

int VerifyWithPin(X509_STORE_CTX* store, void* argument) {
    const auto& check = *static_cast<const PinCheck*>(argument);
    X509* leaf = X509_STORE_CTX_get0_cert(store);
    std::array<uint8_t, 32> digest{};
    unsigned int size = 0;
    // The pinned certificate stands in for an authority, not for its own dates.
    if (leaf && X509_digest(leaf, EVP_sha256(), digest.data(), &size) == 1 && size == digest.size() &&
        DigestHex(digest) == check.pin &&
        X509_cmp_current_time(X509_get0_notBefore(leaf)) < 0 && X509_cmp_current_time(X509_get0_notAfter(leaf)) > 0)
        return 1;
    X509_VERIFY_PARAM* param = X509_STORE_CTX_get0_param(store);
    if (X509_VERIFY_PARAM_set1_ip_asc(param, check.host.c_str()) != 1)
        X509_VERIFY_PARAM_set1_host(param, check.host.c_str(), check.host.size());
    return X509_verify_cert(store);
}

CURLcode UsePinCheck(CURL*, void* sslContext, void* argument) {
    SSL_CTX_set_cert_verify_callback(static_cast<SSL_CTX*>(sslContext), VerifyWithPin, argument);
    return CURLE_OK;
}

// The transfer's outcome as the caller is told it.
HttpFault FaultOf(CURLcode result, const HttpLimits& limits, bool tooLarge) {
    if (tooLarge) return {THttpFailure::TooLarge, limits.TooLargeText()};
    switch (result) {
    case CURLE_OK: return {};
    case CURLE_OPERATION_TIMEDOUT: return {THttpFailure::TimedOut, limits.TimeOutText()};
    case CURLE_PARTIAL_FILE: return {THttpFailure::CutShort, {}};
    case CURLE_COULDNT_RESOLVE_HOST: return {THttpFailure::HostUnknown, {}};
    case CURLE_COULDNT_CONNECT: return {THttpFailure::Refused, {}};
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR: return {THttpFailure::ConnectionLost, {}};
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH: return {THttpFailure::Certificate, {}};
    case CURLE_BAD_CONTENT_ENCODING: return {THttpFailure::Other, "the answer's compression is damaged"};
    default: return {THttpFailure::Other, curl_easy_strerror(result)};
    }
}

class CurlExchange final : public HttpExchange {
public:
    CurlExchange(EasyHandle easy, std::string url, std::string target, const HttpHop& hop, HttpLimits limits)
        : easy_(std::move(easy)), url_(std::move(url)), target_(std::move(target)), body_(hop.Body),
          method_(hop.Method), limits_(limits) {
        pin_.pin = hop.PinnedCertificate;
        pin_.host = OriginOf(hop.Url).Host;
        if (pin_.host.size() > 2 && pin_.host.front() == '[') pin_.host = pin_.host.substr(1, pin_.host.size() - 2);
    }

    bool Configure(const std::vector<std::string>& lines) {
        CURL* easy = easy_.get();
        bool ok = UseHeaders(lines) && curl_easy_setopt(easy, CURLOPT_URL, url_.c_str()) == CURLE_OK &&
                  curl_easy_setopt(easy, CURLOPT_REQUEST_TARGET, target_.c_str()) == CURLE_OK &&
                  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
                  curl_easy_setopt(easy, CURLOPT_USERAGENT, kHttpAgent.data()) == CURLE_OK &&
                  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0)) == CURLE_OK &&
                  curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, kAcceptedEncodings) == CURLE_OK &&
                  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
                  curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L) == CURLE_OK &&
                  // The loopback service and any local host are reached directly, as WinINet does.
                  curl_easy_setopt(easy, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1") == CURLE_OK &&
                  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
                  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlExchange::OnHeader) == CURLE_OK &&
                  curl_easy_setopt(easy, CURLOPT_HEADERDATA, this) == CURLE_OK &&
                  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlExchange::OnBody) == CURLE_OK &&
                  curl_easy_setopt(easy, CURLOPT_WRITEDATA, this) == CURLE_OK;
        if (ok && method_ != "GET") ok = curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method_.c_str()) == CURLE_OK;
        if (ok && !body_.empty())
            ok = curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body_.size())) == CURLE_OK &&
                 curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body_.data()) == CURLE_OK;
        if (ok && !pin_.pin.empty()) {
            // The check above takes the name of any certificate but the pinned one.
            ok = curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L) == CURLE_OK &&
                 curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, &UsePinCheck) == CURLE_OK &&
                 curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, &pin_) == CURLE_OK;
        }
        return ok;
    }

    SendResult Send() override {
        status_ = 0;
        answer_.clear();
        answerHeaders_.clear();
        tooLarge_ = false;
        taken_ = false;
        // The limit covers the whole exchange: each resend and hop gets what is left of it.
        const int64_t remaining = limits_.RemainingMs();
        result_ = remaining > 0 ? curl_easy_setopt(easy_.get(), CURLOPT_TIMEOUT_MS, long(remaining))
                                : CURLE_OPERATION_TIMEDOUT;
        if (result_ == CURLE_OK) result_ = curl_easy_perform(easy_.get());
        if (status_ == 0 || (result_ != CURLE_OK && answerHeaders_.empty() && answer_.empty()))
            return SendResult::Failed;
        return SendResult::Sent;
    }

    void SetCredentials(const std::string& user, const std::string& password) override {
        curl_easy_setopt(easy_.get(), CURLOPT_USERNAME, user.c_str());
        curl_easy_setopt(easy_.get(), CURLOPT_PASSWORD, password.c_str());
        // Whatever scheme the server asks for, as WinINet answers Basic, Digest or NTLM alike.
        curl_easy_setopt(easy_.get(), CURLOPT_HTTPAUTH, CURLAUTH_ANY);
    }

    void AddHeader(const std::string& line) override {
        std::vector<std::string> lines;
        const size_t colon = line.find(':');
        for (const std::string& old : lines_)
            if (!IsHeaderNamed(old, line.substr(0, colon))) lines.push_back(old);
        lines.push_back(line);
        UseHeaders(lines);
    }

    int32_t Status() override { return status_; }

    std::vector<std::pair<std::string, std::string>> AnswerHeaders() override { return answerHeaders_; }

    // libcurl has delivered the whole body already; it is handed over in one piece.
    bool ReadPiece(std::string& body) override {
        if (taken_ || answer_.empty() || result_ != CURLE_OK) return false;
        body += answer_;
        answer_.clear();
        taken_ = true;
        return true;
    }

    HttpFault Fault() const override {
        if (result_ == CURLE_OK && !tooLarge_ && status_ == 0)
            return {THttpFailure::ConnectionLost, "the server's answer has no status line"};
        return FaultOf(result_, limits_, tooLarge_);
    }

private:
    bool UseHeaders(const std::vector<std::string>& lines) {
        HeaderList headers;
        for (const std::string& line : lines) {
            curl_slist* grown = curl_slist_append(headers.get(), line.c_str());
            if (!grown) return false;
            headers.release();  // the grown list owns the old nodes
            headers.reset(grown);
        }
        if (curl_easy_setopt(easy_.get(), CURLOPT_HTTPHEADER, headers.get()) != CURLE_OK) return false;
        headers_ = std::move(headers);
        lines_ = lines;
        return true;
    }

    static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
        auto* exchange = static_cast<CurlExchange*>(self);
        const std::string_view line(data, size * count);
        // Each answer of the exchange (an authentication round) starts afresh.
        if (line.substr(0, 5) == "HTTP/") {
            exchange->status_ = StatusOfLine(line);
            exchange->answer_.clear();
            exchange->answerHeaders_.clear();
        } else if (const size_t colon = line.find(':'); colon != std::string_view::npos) {
            exchange->answerHeaders_.emplace_back(std::string(Trim(line.substr(0, colon))),
                                                  Trim(line.substr(colon + 1)));
        }
        return size * count;
    }

    // Past the size limit the transfer is stopped (libcurl then reports a write error). The
    // limit counts decoded bytes: a small compressed answer may not grow without end.
    static size_t OnBody(char* data, size_t size, size_t count, void* self) {
        auto* exchange = static_cast<CurlExchange*>(self);
        if (int64_t(exchange->answer_.size() + size * count) > exchange->limits_.maxBodyBytes) {
            exchange->tooLarge_ = true;
            return 0;
        }
        exchange->answer_.append(data, size * count);
        return size * count;
    }

    EasyHandle easy_;
    HeaderList headers_;
    std::vector<std::string> lines_;
    std::string url_;
    std::string target_;
    std::string body_;
    std::string method_;
    PinCheck pin_;
    int32_t status_ = 0;
    std::string answer_;
    bool taken_ = false;
    HttpLimits limits_;
    CURLcode result_ = CURLE_OK;
    bool tooLarge_ = false;
    std::vector<std::pair<std::string, std::string>> answerHeaders_;
};

}  // namespace

std::unique_ptr<HttpExchange> OpenHttpExchange(const HttpHop& hop, const HttpLimits& limits, HttpFault& fault) {
    fault = {THttpFailure::Address, {}};
    if (!CurlReady()) {
        fault = {THttpFailure::Other, "the HTTP library could not start"};
        return nullptr;
    }
    // libcurl parses only the scheme and the authority; the rest becomes the request target the
    // way WinINet forms it, so both builds put the same bytes on the request line.
    std::string schemeAndAuthority, rest;
    if (!SplitAtAuthority(hop.Url, schemeAndAuthority, rest)) return nullptr;
    UrlHandle parts(curl_url());
    if (!parts || curl_url_set(parts.get(), CURLUPART_URL, schemeAndAuthority.c_str(), 0) != CURLUE_OK)
        return nullptr;
    char* rawScheme = nullptr;
    if (curl_url_get(parts.get(), CURLUPART_SCHEME, &rawScheme, 0) != CURLUE_OK) return nullptr;
    const CurlString scheme(rawScheme);
    if (!IsSecureScheme(scheme.get()) && !SameTextAscii(scheme.get(), "http")) return nullptr;
    // WinINet connects with an empty user name and password whatever the URL holds.
    curl_url_set(parts.get(), CURLUPART_USER, nullptr, 0);
    curl_url_set(parts.get(), CURLUPART_PASSWORD, nullptr, 0);
    char* rawBase = nullptr;
    if (curl_url_get(parts.get(), CURLUPART_URL, &rawBase, 0) != CURLUE_OK) return nullptr;
    const CurlString base(rawBase);

    EasyHandle easy(curl_easy_init());
    if (!easy) {
        fault = {THttpFailure::Other, "the HTTP library could not start"};
        return nullptr;
    }
    auto exchange =
        std::make_unique<CurlExchange>(std::move(easy), base.get(), WinInetRequestTarget(rest), hop, limits);
    if (!exchange->Configure(hop.Headers)) {
        fault = {THttpFailure::Other, "the request could not be prepared"};
        return nullptr;
    }
    fault = {};
    return exchange;
}

// This build has no windows whose messages could wait: one job runs on the calling thread,
// several on threads of their own.
void THttp::RunJobs(const std::vector<std::function<void()>>& jobs) {
    if (jobs.size() == 1) {
        jobs.front()();
        return;
    }
    CurlReady();  // once, before any thread uses the library
    std::vector<std::thread> threads;
    threads.reserve(jobs.size());
    for (const auto& job : jobs) threads.emplace_back(job);
    for (std::thread& thread : threads) thread.join();
}

}  // namespace tessel
