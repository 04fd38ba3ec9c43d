// THttp's native half on libcurl, for the tools and the tests on Linux. It sends what the WinINet
// build sends: the agent text, the header lines, HTTP/1.0, and the request target as WinINet forms
// it (escapes decoded, blanks escaped); it relaxes certificate checks only after an untrusted
// certificate and sends credentials only after a 401; and it follows redirects as WinINet does
// (301, 302, 303 and 307 with a Location, without the Content-Type line), so a 302 without a
// Location reaches the caller with its own body.
#include "calendar/http.h"

#include <curl/curl.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// WinINet gives up on a silent server after its own default waits; libcurl would wait forever.
constexpr long kConnectTimeoutSeconds = 60;
constexpr long kStallSeconds = 60;
// WinINet sets no small limit; this one only stops a redirect loop.
constexpr int kMaxRedirects = 20;

bool CurlReady() {
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

bool IsFollowedRedirect(std::string_view status) {
    return status == "301" || status == "302" || status == "303" || status == "307";
}

// "HTTP/1.1 200 OK" -> "200". The status is kept as text so that the strict conversion judges
// it, as it judges the text WinINet hands over.
std::string StatusOfLine(std::string_view line) {
    size_t start = line.find(' ');
    if (start == std::string_view::npos) return std::string();
    start = line.find_first_not_of(' ', start);
    if (start == std::string_view::npos) return std::string();
    const size_t end = line.find_first_of(" \r\n", start);
    return std::string(line.substr(start, end == std::string_view::npos ? end : end - start));
}

// The transfer's outcome as the caller is told it.
std::string TransferFailure(CURLcode result, const HttpLimits& limits, bool tooLarge) {
    if (tooLarge) return limits.TooLargeText();
    switch (result) {
    case CURLE_OK: return std::string();
    case CURLE_OPERATION_TIMEDOUT: return limits.TimeOutText();
    case CURLE_PARTIAL_FILE: return "the connection ended before the whole answer came";
    default: return curl_easy_strerror(result);
    }
}

class CurlExchange final : public HttpExchange {
public:
    CurlExchange(EasyHandle easy, std::string url, std::string target, HttpLimits limits)
        : easy_(std::move(easy)), url_(std::move(url)), target_(std::move(target)), limits_(limits) {}

    bool Configure() {
        CURL* easy = easy_.get();
        return curl_easy_setopt(easy, CURLOPT_URL, url_.c_str()) == CURLE_OK &&
               curl_easy_setopt(easy, CURLOPT_REQUEST_TARGET, target_.c_str()) == CURLE_OK &&
               curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
               curl_easy_setopt(easy, CURLOPT_USERAGENT, kHttpAgent.data()) == CURLE_OK &&
               curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0)) == CURLE_OK &&
               curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
               curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L) == CURLE_OK &&
               // The loopback service and any local host are reached directly, as WinINet does.
               curl_easy_setopt(easy, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1") == CURLE_OK &&
               curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds) == CURLE_OK &&
               curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK &&
               curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, kStallSeconds) == CURLE_OK &&
               curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlExchange::OnHeader) == CURLE_OK &&
               curl_easy_setopt(easy, CURLOPT_HEADERDATA, this) == CURLE_OK &&
               curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlExchange::OnBody) == CURLE_OK &&
               curl_easy_setopt(easy, CURLOPT_WRITEDATA, this) == CURLE_OK;
    }

    SendResult Send(const std::string& headerBlock) override {
        if (!UseHeaders(HeaderLines(headerBlock))) return SendResult::Failed;
        for (int redirects = 0;; ++redirects) {
            status_.clear();
            body_.clear();
            tooLarge_ = false;
            // The limit covers the whole Get: each resend and redirect gets what is left of it.
            const int64_t remaining = limits_.RemainingMs();
            result_ = remaining > 0 ? SetTimeLimit(remaining) : CURLE_OPERATION_TIMEDOUT;
            if (result_ == CURLE_OK) result_ = curl_easy_perform(easy_.get());
            if (result_ == CURLE_PEER_FAILED_VERIFICATION) return SendResult::UntrustedCertificate;
            if (status_.empty()) return SendResult::Failed;
            if (result_ != CURLE_OK || !IsFollowedRedirect(status_) || !limits_.libraryFollowsRedirects)
                return SendResult::Sent;
            char* target = nullptr;
            if (curl_easy_getinfo(easy_.get(), CURLINFO_REDIRECT_URL, &target) != CURLE_OK || !target)
                return SendResult::Sent;
            if (redirects == kMaxRedirects) {
                redirectLoop_ = true;
                return SendResult::Failed;
            }
            url_ = target;
            // The new address is taken as the server wrote it, and WinINet leaves the
            // Content-Type line behind when it follows.
            curl_easy_setopt(easy_.get(), CURLOPT_URL, url_.c_str());
            curl_easy_setopt(easy_.get(), CURLOPT_REQUEST_TARGET, nullptr);
            std::vector<std::string> kept;
            for (const std::string& line : sentLines_)
                if (!IsHeaderNamed(line, "Content-Type")) kept.push_back(line);
            if (!UseHeaders(std::move(kept))) return SendResult::Failed;
        }
    }

    void RelaxCertificateChecks() override {
        curl_easy_setopt(easy_.get(), CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(easy_.get(), CURLOPT_SSL_VERIFYHOST, 0L);
    }

    void SetCredentials(const std::string& user, const std::string& password) override {
        curl_easy_setopt(easy_.get(), CURLOPT_USERNAME, user.c_str());
        curl_easy_setopt(easy_.get(), CURLOPT_PASSWORD, password.c_str());
        // Whatever scheme the server asks for, as WinINet answers Basic, Digest or NTLM alike.
        curl_easy_setopt(easy_.get(), CURLOPT_HTTPAUTH, CURLAUTH_ANY);
    }

    std::string StatusText() override { return status_; }

    std::string HeaderText(const char* name) override {
        for (const auto& [headerName, value] : answerHeaders_)
            if (SameTextAscii(headerName, name)) return value;
        return std::string();
    }

    // libcurl has delivered the whole body already; it is handed over in one piece.
    bool ReadPiece(std::string& body) override {
        if (bodyTaken_ || body_.empty() || result_ != CURLE_OK) return false;
        body += body_;
        bodyTaken_ = true;
        return true;
    }

    std::string Failure() const override {
        if (redirectLoop_) return "the address redirects more than " + std::to_string(kMaxRedirects) + " times";
        return TransferFailure(result_, limits_, tooLarge_);
    }

private:
    CURLcode SetTimeLimit(int64_t milliseconds) {
        return curl_easy_setopt(easy_.get(), CURLOPT_TIMEOUT_MS, long(milliseconds));
    }

    bool UseHeaders(std::vector<std::string> lines) {
        HeaderList headers;
        for (const std::string& line : lines) {
            curl_slist* grown = curl_slist_append(headers.get(), line.c_str());
            if (!grown) return false;
            headers.release();  // the grown list owns the old nodes
            headers.reset(grown);
        }
        if (curl_easy_setopt(easy_.get(), CURLOPT_HTTPHEADER, headers.get()) != CURLE_OK) return false;
        headers_ = std::move(headers);
        sentLines_ = std::move(lines);
        return true;
    }

    static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
        auto* exchange = static_cast<CurlExchange*>(self);
        const std::string_view line(data, size * count);
        // Each answer of the exchange (an authentication round, a redirect) starts afresh.
        if (line.substr(0, 5) == "HTTP/") {
            exchange->status_ = StatusOfLine(line);
            exchange->body_.clear();
            exchange->answerHeaders_.clear();
        } else if (const size_t colon = line.find(':'); colon != std::string_view::npos) {
            exchange->answerHeaders_.emplace_back(std::string(Trim(line.substr(0, colon))),
                                                  Trim(line.substr(colon + 1)));
        }
        return size * count;
    }

    // Only the bodies the caller may read are kept: WinINet never reads the others either.
    // Past the size limit the transfer is stopped (libcurl then reports a write error).
    static size_t OnBody(char* data, size_t size, size_t count, void* self) {
        auto* exchange = static_cast<CurlExchange*>(self);
        if (exchange->status_ != "200" && exchange->status_ != "302") return size * count;
        if (int64_t(exchange->body_.size() + size * count) > exchange->limits_.maxBodyBytes) {
            exchange->tooLarge_ = true;
            return 0;
        }
        exchange->body_.append(data, size * count);
        return size * count;
    }

    EasyHandle easy_;
    HeaderList headers_;
    std::vector<std::string> sentLines_;
    std::string url_;
    std::string target_;
    std::string status_;
    std::string body_;
    bool bodyTaken_ = false;
    HttpLimits limits_;
    CURLcode result_ = CURLE_OK;
    bool tooLarge_ = false;
    bool redirectLoop_ = false;
    std::vector<std::pair<std::string, std::string>> answerHeaders_;
};

}  // namespace

std::unique_ptr<HttpExchange> THttp::OpenExchange(const std::string& url) {
    PrepareUrlBuffers(url);
    if (!CurlReady()) return nullptr;

    // libcurl parses only the scheme and the authority; the rest becomes the request target the
    // way WinINet forms it, so both builds put the same bytes on the request line.
    std::string schemeAndAuthority, rest;
    if (!SplitAtAuthority(UrlBuffer(kWholeUrl), schemeAndAuthority, rest)) return nullptr;
    UrlHandle parts(curl_url());
    if (!parts || curl_url_set(parts.get(), CURLUPART_URL, schemeAndAuthority.c_str(), 0) != CURLUE_OK)
        return nullptr;
    char* rawScheme = nullptr;
    if (curl_url_get(parts.get(), CURLUPART_SCHEME, &rawScheme, 0) != CURLUE_OK) return nullptr;
    const CurlString scheme(rawScheme);
    Secure = IsSecureScheme(scheme.get());
    if (!Secure && !SameTextAscii(scheme.get(), "http")) return nullptr;
    // WinINet connects with an empty user name and password whatever the URL holds.
    curl_url_set(parts.get(), CURLUPART_USER, nullptr, 0);
    curl_url_set(parts.get(), CURLUPART_PASSWORD, nullptr, 0);
    char* rawBase = nullptr;
    if (curl_url_get(parts.get(), CURLUPART_URL, &rawBase, 0) != CURLUE_OK) return nullptr;
    const CurlString base(rawBase);

    EasyHandle easy(curl_easy_init());
    if (!easy) return nullptr;
    auto exchange =
        std::make_unique<CurlExchange>(std::move(easy), base.get(), WinInetRequestTarget(rest), HttpLimits::Of(*this));
    if (!exchange->Configure()) return nullptr;
    return exchange;
}

// This build has no windows whose messages could wait: the exchange runs on the calling thread.
void THttp::RunWhileProcessingMessages(const std::function<void()>& exchange) { exchange(); }

}  // namespace tessel
