// THttp's Windows half on WinINet. The URL is split by InternetCrackUrl into buffers of the URL's
// own length; a root, a connection and a request handle are opened per hop and closed in reverse
// order when it ends. Every text is ASCII (URLs, the agent, header lines), so the 8-bit entry
// points are used throughout and the bytes reach the library as the caller wrote them.
//
// WinINet verifies the certificate itself and offers no hook between the handshake and the
// request. A pinned certificate is taken this way: the request is first sent with every check on.
// When that fails on the certificate (the handshake failed, nothing of the request has left), a
// probe that carries nothing of the request (HEAD /, no headers, no credentials) is sent with the
// authority and name checks off, and the certificate the server showed is compared with the pin.
// Only when it is the pinned one is the request sent again with those checks off, and its answer
// is kept only when the server's certificate is still the pinned one.
//
// The library keeps connections for later requests to the same server and takes them again
// without checking anything: a connection made without the checks must not stay. Requests that
// pin ask the server to close theirs; a request that finds itself on one anyway fails; and a
// server that showed another certificate than the pinned one (a man in the middle, who need not
// close its connection) is sent nothing more for a while, longer than the library keeps an idle
// connection. What WinINet cannot offer is a check between a new connection's handshake and its
// request: a man in the middle who let the probe through and took the next connection would see
// that one request, and its answer would be refused.
//
// The library follows no redirect (the rules for them are THttp's), answers no 401 by itself
// unless the request has credentials of its own, and keeps no cookies.
//
// WinINet's own time-outs bound each wait, not the whole transfer, and a synchronous read waits
// until its buffer is full; so the body is read as it becomes available, each wait gets what is
// left of the exchange's time, and the Content-Length is compared with what came.
#include "calendar/http.h"

#include <windows.h>
#include <wincrypt.h>
#include <wininet.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <vector>

#include "base/sha256.h"
#include "base/text.h"
#include "base/win32_system_error.h"
#include "calendar/http_exchange.h"
#include "calendar/http_request.h"

namespace tessel {

namespace {

struct InetDeleter {
    void operator()(HINTERNET handle) const noexcept { InternetCloseHandle(handle); }
};
using InetHandle = std::unique_ptr<std::remove_pointer_t<HINTERNET>, InetDeleter>;

struct HandleDeleter {
    void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
using ThreadHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleDeleter>;

DWORD WINAPI RunWorkerJob(void* parameter) {
    (*static_cast<const std::function<void()>*>(parameter))();
    return 0;
}

constexpr DWORD kCrackFlags = ICU_ESCAPE | ICU_DECODE;
// No cache write, keep the connection, forms submit; no redirect, cookie or dialog of the
// library's own.
constexpr DWORD kRequestFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION |
                                INTERNET_FLAG_FORMS_SUBMIT | INTERNET_FLAG_NO_AUTO_REDIRECT |
                                INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
constexpr DWORD kPinnedCertificateFlags = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_CN_INVALID;
// Longer than WinINet (and Wine's) keep an idle connection, a minute.
constexpr ULONGLONG kMistrustMs = 120000;

// Servers that showed another certificate than the pinned one, by origin, until when.
class MistrustedServers {
public:
    bool Holds(const std::string& origin) {
        std::lock_guard lock(mutex_);
        const auto found = until_.find(origin);
        if (found == until_.end()) return false;
        if (GetTickCount64() < found->second) return true;
        until_.erase(found);
        return false;
    }
    void Add(const std::string& origin) {
        std::lock_guard lock(mutex_);
        until_[origin] = GetTickCount64() + kMistrustMs;
    }

private:
    std::mutex mutex_;
    std::map<std::string, ULONGLONG> until_;
};

MistrustedServers& Mistrusted() {
    static MistrustedServers servers;
    return servers;
}

std::string OriginKey(const std::string& url) {
    const UrlOrigin origin = OriginOf(url);
    return origin.Scheme + "://" + origin.Host + ":" + origin.Port;
}

constexpr DWORD kHeaderBufferSize = 1024;
// Sent by requests that pin a certificate, with kRequestFlags less the kept connection: the
// server closes their connections, which then never wait for another request.
constexpr char kCloseHeader[] = "Connection: close\r\n";
constexpr DWORD PinnedRequestFlags() { return kRequestFlags & ~DWORD(INTERNET_FLAG_KEEP_CONNECTION); }
// Not in every SDK's wininet.h: the error of an answer whose compression is damaged.
constexpr DWORD kErrorDecodingFailed = 12175;

bool IsCertificateError(DWORD error) {
    switch (error) {
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
    case ERROR_INTERNET_SEC_INVALID_CERT:
    case ERROR_INTERNET_SEC_CERT_REVOKED:
    case ERROR_INTERNET_SEC_CERT_ERRORS:
    case ERROR_INTERNET_SECURITY_CHANNEL_ERROR: return true;
    default: return false;
    }
}

HttpFault FaultOf(DWORD error, const HttpLimits& limits) {
    if (error == ERROR_INTERNET_TIMEOUT || limits.RemainingMs() <= 0)
        return {THttpFailure::TimedOut, limits.TimeOutText()};
    if (IsCertificateError(error)) return {THttpFailure::Certificate, {}};
    switch (error) {
    case ERROR_INTERNET_NAME_NOT_RESOLVED: return {THttpFailure::HostUnknown, {}};
    case ERROR_INTERNET_CANNOT_CONNECT: return {THttpFailure::Refused, {}};
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_INTERNET_CONNECTION_RESET:
    case ERROR_HTTP_INVALID_SERVER_RESPONSE: return {THttpFailure::ConnectionLost, {}};
    case kErrorDecodingFailed: return {THttpFailure::Other, "the answer's compression is damaged"};
    default: return {THttpFailure::Other, InternetErrorText(error)};
    }
}

class WinInetExchange final : public HttpExchange {
public:
    // Members are destroyed in reverse order: request, then connection, then root.
    WinInetExchange(InetHandle root, InetHandle connection, InetHandle request, const HttpHop& hop, HttpLimits limits)
        : root_(std::move(root)), connection_(std::move(connection)), request_(std::move(request)),
          headerBlock_(HeaderBlock(hop.Headers)), body_(hop.Body), pin_(hop.PinnedCertificate),
          origin_(OriginKey(hop.Url)), limits_(limits) {}

    SendResult Send() override {
        fault_ = {};
        received_ = 0;
        status_ = 0;
        for (;;) {
            if (!BoundNextWait(request_.get())) return SendResult::Failed;
            // The block goes out as it stands, with its length: WinINet cuts it into lines itself.
            if (HttpSendRequestA(request_.get(), headerBlock_.empty() ? nullptr : headerBlock_.data(),
                                 static_cast<DWORD>(headerBlock_.size()), body_.empty() ? nullptr : body_.data(),
                                 static_cast<DWORD>(body_.size())))
                break;
            const DWORD error = GetLastError();
            if (IsCertificateError(error) && !pin_.empty() && !pinTaken_) {
                if (!ProbeShowsPinnedCertificate()) {
                    fault_ = {THttpFailure::Certificate, {}};
                    return SendResult::Failed;
                }
                pinTaken_ = true;
                RelaxForPinnedCertificate(request_.get());
                continue;
            }
            fault_ = FaultOf(error, limits_);
            return SendResult::Failed;
        }
        // A connection made without the checks is taken only by a request that pins the
        // certificate, and only while the server still shows it.
        if ((pinTaken_ || MadeWithoutChecks()) && (pin_.empty() || !ShowsPinnedCertificate(request_.get()))) {
            if (!pin_.empty()) Mistrusted().Add(origin_);
            fault_ = {THttpFailure::Certificate, {}};
            return SendResult::Failed;
        }
        // Wine reports a connection that ended before any status line as sent, with status 0,
        // where Windows fails the send; either way there is no answer.
        DWORD status = 0;
        DWORD size = sizeof(status);
        if (!HttpQueryInfoA(request_.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) ||
            status == 0) {
            fault_ = {THttpFailure::ConnectionLost, {}};
            return SendResult::Failed;
        }
        status_ = static_cast<int32_t>(status);
        return SendResult::Sent;
    }

    void AddHeader(const std::string& line) override {
        HttpAddRequestHeadersA(request_.get(), line.c_str(), static_cast<DWORD>(line.size()),
                               HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE);
    }

    void SetCredentials(const std::string& user, const std::string& password) override {
        // WinINet copies both texts; the lengths count the terminating zero.
        InternetSetOptionA(request_.get(), INTERNET_OPTION_USERNAME, const_cast<char*>(user.c_str()),
                           static_cast<DWORD>(user.size() + 1));
        InternetSetOptionA(request_.get(), INTERNET_OPTION_PASSWORD, const_cast<char*>(password.c_str()),
                           static_cast<DWORD>(password.size() + 1));
    }

    int32_t Status() override { return status_; }

    std::vector<std::pair<std::string, std::string>> AnswerHeaders() override {
        std::vector<std::pair<std::string, std::string>> headers;
        DWORD size = 0;
        HttpQueryInfoA(request_.get(), HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr);
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return headers;
        std::string raw(size, '\0');
        if (!HttpQueryInfoA(request_.get(), HTTP_QUERY_RAW_HEADERS_CRLF, raw.data(), &size, nullptr)) return headers;
        raw.resize(std::min<size_t>(size, raw.size()));
        size_t start = raw.find("\r\n");  // past the status line
        while (start != std::string::npos && start + 2 < raw.size()) {
            const size_t end = raw.find("\r\n", start + 2);
            const std::string_view line =
                std::string_view(raw).substr(start + 2, (end == std::string::npos ? raw.size() : end) - start - 2);
            if (const size_t colon = line.find(':'); colon != std::string_view::npos)
                headers.emplace_back(std::string(Trim(line.substr(0, colon))), Trim(line.substr(colon + 1)));
            start = end;
        }
        return headers;
    }

    bool ReadPiece(std::string& body) override {
        if (!BoundNextWait(request_.get())) return false;
        // Waits for at least one byte (or the end), so a trickling server cannot hold a read
        // that wants a full piece.
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request_.get(), &available, 0, 0)) return Fail(GetLastError());
        if (available == 0) return AtEnd();
        char piece[kBodyPieceSize];
        DWORD read = 0;
        if (!InternetReadFile(request_.get(), piece, std::min<DWORD>(available, sizeof(piece)), &read))
            return Fail(GetLastError());
        if (read == 0) return AtEnd();
        if (int64_t(body.size() + read) > limits_.maxBodyBytes) {
            fault_ = {THttpFailure::TooLarge, limits_.TooLargeText()};
            return false;
        }
        body.append(piece, read);
        received_ += read;
        return true;
    }

    HttpFault Fault() const override { return fault_; }

private:
    // Gives the next blocking call on request what is left of the exchange's time; false when
    // none is.
    bool BoundNextWait(HINTERNET request) {
        const int64_t remaining = limits_.RemainingMs();
        if (remaining <= 0) {
            fault_ = {THttpFailure::TimedOut, limits_.TimeOutText()};
            return false;
        }
        DWORD timeout = static_cast<DWORD>(std::min<int64_t>(remaining, 0x7FFFFFFF));
        for (DWORD option :
             {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
            InternetSetOptionA(request, option, &timeout, sizeof(timeout));
        return true;
    }

    bool Fail(DWORD error) {
        fault_ = FaultOf(error, limits_);
        return false;
    }

    // Whether the server's certificate, as the library holds it after a send on request, is the
    // pinned one.
    bool ShowsPinnedCertificate(HINTERNET request) const {
        PCCERT_CHAIN_CONTEXT chain = nullptr;
        DWORD size = sizeof(chain);
        if (!InternetQueryOptionA(request, INTERNET_OPTION_SERVER_CERT_CHAIN_CONTEXT, &chain, &size) || !chain)
            return false;
        bool pinned = false;
        if (chain->cChain > 0 && chain->rgpChain[0]->cElement > 0) {
            const CERT_CONTEXT* leaf = chain->rgpChain[0]->rgpElement[0]->pCertContext;
            Sha256 hash;
            hash.Update(std::string_view(reinterpret_cast<const char*>(leaf->pbCertEncoded), leaf->cbCertEncoded));
            pinned = DigestHex(hash.Finish()) == pin_;
        }
        CertFreeCertificateChain(chain);
        return pinned;
    }

    // A request for the server's root, sent with the authority and name checks off and nothing
    // of the real request. A server that shows another certificate is mistrusted.
    bool ProbeShowsPinnedCertificate() {
        InetHandle probe(HttpOpenRequestA(connection_.get(), "HEAD", "/", "HTTP/1.0", nullptr, nullptr,
                                          PinnedRequestFlags() | INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_AUTH, 0));
        if (!probe || !BoundNextWait(probe.get())) return false;
        RelaxForPinnedCertificate(probe.get());
        if (!HttpSendRequestA(probe.get(), kCloseHeader, DWORD(-1), nullptr, 0)) return false;
        if (ShowsPinnedCertificate(probe.get())) return true;
        Mistrusted().Add(origin_);
        return false;
    }

    // The request went over a connection whose certificate was taken with the authority or name
    // checks off.
    bool MadeWithoutChecks() const {
        DWORD flags = 0;
        DWORD size = sizeof(flags);
        return InternetQueryOptionA(request_.get(), INTERNET_OPTION_SECURITY_FLAGS, &flags, &size) &&
               (flags & kPinnedCertificateFlags) != 0;
    }

    static void RelaxForPinnedCertificate(HINTERNET request) {
        DWORD flags = 0;
        DWORD size = sizeof(flags);
        if (!InternetQueryOptionA(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, &size)) flags = 0;
        flags |= kPinnedCertificateFlags;
        InternetSetOptionA(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, sizeof(flags));
    }

    // The library ends a body quietly when the connection closes early; the length the server
    // announced tells a whole answer from a cut one (of an answer that came uncompressed: the
    // length of a compressed one counts other bytes than those read).
    bool AtEnd() {
        char encoding[kHeaderBufferSize] = {};
        DWORD encodingSize = sizeof(encoding) - 1;
        if (HttpQueryInfoA(request_.get(), HTTP_QUERY_CONTENT_ENCODING, encoding, &encodingSize, nullptr) &&
            encoding[0] != '\0')
            return false;
        DWORD announced = 0;
        DWORD size = sizeof(announced);
        if (HttpQueryInfoA(request_.get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &announced, &size,
                           nullptr) &&
            received_ < announced)
            fault_ = {THttpFailure::CutShort, CutShortText(received_, announced)};
        return false;
    }

    InetHandle root_;
    InetHandle connection_;
    InetHandle request_;
    std::string headerBlock_;
    std::string body_;
    std::string pin_;
    std::string origin_;
    bool pinTaken_ = false;
    HttpLimits limits_;
    HttpFault fault_;
    uint64_t received_ = 0;
    int32_t status_ = 0;
};

}  // namespace

void THttp::RunJobs(const std::vector<std::function<void()>>& jobs) {
    if (jobs.size() == 1 && !ProcessMessages) {
        jobs.front()();
        return;
    }
    std::vector<ThreadHandle> workers;
    std::vector<HANDLE> running;
    for (const auto& job : jobs) {
        ThreadHandle worker(CreateThread(nullptr, 0, RunWorkerJob, const_cast<std::function<void()>*>(&job), 0, nullptr));
        // No thread to spare: this job blocks the calling thread as it would without the option.
        if (!worker || running.size() == MAXIMUM_WAIT_OBJECTS - 1) {
            job();
            continue;
        }
        running.push_back(worker.get());
        workers.push_back(std::move(worker));
    }
    // The jobs live in the caller's frame: every worker must be done with them before this
    // returns or raises.
    try {
        while (!running.empty()) {
            const DWORD count = static_cast<DWORD>(running.size());
            const DWORD woke = ProcessMessages
                                   ? MsgWaitForMultipleObjects(count, running.data(), FALSE, INFINITE, QS_ALLINPUT)
                                   : WaitForMultipleObjects(count, running.data(), FALSE, INFINITE);
            if (ProcessMessages && woke == WAIT_OBJECT_0 + count) {
                ProcessMessages();
                continue;
            }
            if (woke >= WAIT_OBJECT_0 && woke < WAIT_OBJECT_0 + count) {
                running.erase(running.begin() + (woke - WAIT_OBJECT_0));
                continue;
            }
            // The wait itself failed: wait for the workers one by one.
            for (HANDLE handle : running) WaitForSingleObject(handle, INFINITE);
            running.clear();
        }
    } catch (...) {
        for (HANDLE handle : running) WaitForSingleObject(handle, INFINITE);
        throw;
    }
}

std::unique_ptr<HttpExchange> OpenHttpExchange(const HttpHop& hop, const HttpLimits& limits, HttpFault& fault) {
    const auto noExchange = [&fault](DWORD error) -> std::unique_ptr<HttpExchange> {
        fault = {THttpFailure::Other, InternetErrorText(error)};
        return nullptr;
    };
    // Buffers of the URL's own length: no part can be longer.
    const DWORD capacity = static_cast<DWORD>(hop.Url.size() + 1);
    std::vector<char> scheme(capacity), host(capacity), user(capacity), password(capacity), path(capacity),
        extra(capacity);
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof(parts);
    parts.lpszScheme = scheme.data();
    parts.dwSchemeLength = capacity;
    parts.lpszHostName = host.data();
    parts.dwHostNameLength = capacity;
    parts.lpszUserName = user.data();
    parts.dwUserNameLength = capacity;
    parts.lpszPassword = password.data();
    parts.dwPasswordLength = capacity;
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = capacity;
    parts.lpszExtraInfo = extra.data();
    parts.dwExtraInfoLength = capacity;
    std::string url = hop.Url;
    if (!InternetCrackUrlA(url.c_str(), 0, kCrackFlags, &parts)) {
        fault = {THttpFailure::Address, {}};
        return nullptr;
    }
    // Another scheme would be sent as HTTP to that scheme's port.
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) {
        fault = {THttpFailure::Address, {}};
        return nullptr;
    }
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    if (secure && Mistrusted().Holds(OriginKey(hop.Url))) {
        fault = {THttpFailure::Certificate, {}};
        return nullptr;
    }

    InetHandle root(InternetOpenA(kHttpAgent.data(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!root) return noExchange(GetLastError());
    InetHandle connection(
        InternetConnectA(root.get(), host.data(), parts.nPort, "", "", INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return noExchange(GetLastError());
    const std::string object = std::string(path.data()) + extra.data();
    // Without credentials of its own a request takes none the library may hold for the server.
    const bool pinned = secure && !hop.PinnedCertificate.empty();
    const DWORD flags = (pinned ? PinnedRequestFlags() : kRequestFlags) | (secure ? INTERNET_FLAG_SECURE : 0) |
                        (hop.MayAuthenticate ? 0 : INTERNET_FLAG_NO_AUTH);
    InetHandle request(HttpOpenRequestA(connection.get(), hop.Method.c_str(), object.c_str(), "HTTP/1.0", nullptr,
                                        nullptr, flags, 0));
    if (!request) return noExchange(GetLastError());
    BOOL decoding = TRUE;
    InternetSetOptionA(request.get(), INTERNET_OPTION_HTTP_DECODING, &decoding, sizeof(decoding));
    // Windows leaves the header to the caller; Wine adds it itself: in place of one of its own, it
    // is sent once either way.
    const std::string accepted = std::string("Accept-Encoding: ") + kAcceptedEncodings;
    HttpAddRequestHeadersA(request.get(), accepted.c_str(), static_cast<DWORD>(accepted.size()),
                           HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE);
    if (pinned) HttpAddRequestHeadersA(request.get(), kCloseHeader, DWORD(-1), HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE);
    fault = {};
    return std::make_unique<WinInetExchange>(std::move(root), std::move(connection), std::move(request), hop, limits);
}

}  // namespace tessel
