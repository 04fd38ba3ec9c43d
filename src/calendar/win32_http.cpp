// THttp's Windows half on WinINet. The URL is split into THttp's part buffers by
// InternetCrackUrl; a root, a connection and a request handle are opened per Get and closed in
// reverse order when the exchange ends, also when an error leaves Get. Every text is ASCII (URLs,
// the agent, header lines, the default credentials), so the 8-bit entry points are used
// throughout and the bytes reach the library as the caller wrote them.
//
// With ProcessMessages set, the exchange runs on a worker thread of its own while the calling
// thread waits for it or for a message, whichever comes first, and hands each batch of messages
// to ProcessMessages.
//
// WinINet's own time-outs bound each wait, not the whole transfer, and a synchronous read waits
// until its buffer is full; so the body is read as it becomes available, each wait gets what is
// left of the request's time, and the Content-Length is compared with what came.
#include "calendar/http.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>

#include "base/win32_system_error.h"
#include "calendar/http_exchange.h"
#include "calendar/http_request.h"

namespace tessel {

namespace {

struct InetDeleter {
    void operator()(HINTERNET handle) const noexcept { InternetCloseHandle(handle); }
};
using InetHandle = std::unique_ptr<std::remove_pointer_t<HINTERNET>, InetDeleter>;

struct ThreadDeleter {
    void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
using ThreadHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, ThreadDeleter>;

// What the worker thread runs, and what it raised.
struct WorkerJob {
    const std::function<void()>* work = nullptr;
    std::exception_ptr raised;
};

DWORD WINAPI RunWorkerJob(void* parameter) {
    auto& job = *static_cast<WorkerJob*>(parameter);
    try {
        (*job.work)();
    } catch (...) {
        job.raised = std::current_exception();
    }
    return 0;
}

constexpr DWORD kCrackFlags = ICU_ESCAPE | ICU_DECODE;
// No cache write, keep the connection, forms submit.
constexpr DWORD kRequestFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_FORMS_SUBMIT;
static_assert(kRequestFlags == 0x04400040);
constexpr DWORD kRelaxedCertificateFlags = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_CN_INVALID;
constexpr DWORD kStatusBufferSize = 1024;

class WinInetExchange final : public HttpExchange {
public:
    // Members are destroyed in reverse order: request, then connection, then root.
    WinInetExchange(InetHandle root, InetHandle connection, InetHandle request, HttpLimits limits)
        : root_(std::move(root)), connection_(std::move(connection)), request_(std::move(request)), limits_(limits) {}

    SendResult Send(const std::string& headerBlock) override {
        failure_.clear();
        received_ = 0;
        if (!BoundNextWait()) return SendResult::Failed;
        // The block goes out as it stands, with its length: WinINet cuts it into lines itself.
        if (!HttpSendRequestA(request_.get(), headerBlock.data(), static_cast<DWORD>(headerBlock.size()), nullptr, 0)) {
            const DWORD error = GetLastError();
            if (error == ERROR_INTERNET_INVALID_CA) return SendResult::UntrustedCertificate;
            failure_ = error == ERROR_INTERNET_TIMEOUT ? limits_.TimeOutText() : InternetErrorText(error);
            return SendResult::Failed;
        }
        // Wine reports a connection that ended before any status line as sent, with status 0,
        // where Windows fails the send; either way there is no answer.
        DWORD status = 0;
        DWORD size = sizeof(status);
        if (HttpQueryInfoA(request_.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) &&
            status == 0) {
            failure_ = "the connection ended before an answer came";
            return SendResult::Failed;
        }
        return SendResult::Sent;
    }

    void RelaxCertificateChecks() override {
        DWORD flags = 0;
        DWORD size = sizeof(flags);
        if (!InternetQueryOptionA(request_.get(), INTERNET_OPTION_SECURITY_FLAGS, &flags, &size)) flags = 0;
        flags |= kRelaxedCertificateFlags;
        InternetSetOptionA(request_.get(), INTERNET_OPTION_SECURITY_FLAGS, &flags, sizeof(flags));
    }

    void SetCredentials(const std::string& user, const std::string& password) override {
        // WinINet copies both texts; the lengths count the terminating zero.
        InternetSetOptionA(request_.get(), INTERNET_OPTION_USERNAME, const_cast<char*>(user.c_str()),
                           static_cast<DWORD>(user.size() + 1));
        InternetSetOptionA(request_.get(), INTERNET_OPTION_PASSWORD, const_cast<char*>(password.c_str()),
                           static_cast<DWORD>(password.size() + 1));
    }

    std::string StatusText() override {
        char text[kStatusBufferSize] = {};
        DWORD size = sizeof(text) - 1;
        if (!HttpQueryInfoA(request_.get(), HTTP_QUERY_STATUS_CODE, text, &size, nullptr)) return std::string();
        return std::string(text, strnlen(text, sizeof(text)));
    }

    std::string HeaderText(const char* name) override {
        // HTTP_QUERY_CUSTOM reads the header named by the buffer's text and writes its value over it.
        char text[kStatusBufferSize] = {};
        std::strncpy(text, name, sizeof(text) - 1);
        DWORD size = sizeof(text) - 1;
        if (!HttpQueryInfoA(request_.get(), HTTP_QUERY_CUSTOM, text, &size, nullptr)) return std::string();
        return std::string(text, strnlen(text, sizeof(text)));
    }

    bool ReadPiece(std::string& body) override {
        if (!BoundNextWait()) return false;
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
            failure_ = limits_.TooLargeText();
            return false;
        }
        body.append(piece, read);
        received_ += read;
        return true;
    }

    std::string Failure() const override { return failure_; }

private:
    // Gives the next blocking call what is left of the request's time; false when none is.
    bool BoundNextWait() {
        const int64_t remaining = limits_.RemainingMs();
        if (remaining <= 0) {
            failure_ = limits_.TimeOutText();
            return false;
        }
        DWORD timeout = static_cast<DWORD>(std::min<int64_t>(remaining, 0x7FFFFFFF));
        for (DWORD option :
             {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
            InternetSetOptionA(request_.get(), option, &timeout, sizeof(timeout));
        return true;
    }

    bool Fail(DWORD error) {
        failure_ = error == ERROR_INTERNET_TIMEOUT || limits_.RemainingMs() <= 0 ? limits_.TimeOutText()
                                                                                : InternetErrorText(error);
        return false;
    }

    // The library ends a body quietly when the connection closes early; the length the server
    // announced tells a whole answer from a cut one.
    bool AtEnd() {
        DWORD announced = 0;
        DWORD size = sizeof(announced);
        if (HttpQueryInfoA(request_.get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &announced, &size,
                           nullptr) &&
            received_ < announced)
            failure_ = CutShortText(received_, announced);
        return false;
    }

    InetHandle root_;
    InetHandle connection_;
    InetHandle request_;
    HttpLimits limits_;
    std::string failure_;
    uint64_t received_ = 0;
};

}  // namespace

void THttp::RunWhileProcessingMessages(const std::function<void()>& exchange) {
    WorkerJob job{&exchange, nullptr};
    ThreadHandle worker(CreateThread(nullptr, 0, RunWorkerJob, &job, 0, nullptr));
    if (!worker) {
        // No thread to spare: the exchange blocks this thread as it would without the option.
        exchange();
        return;
    }
    try {
        for (;;) {
            HANDLE handle = worker.get();
            const DWORD woke = MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT);
            if (woke == WAIT_OBJECT_0 + 1) {
                ProcessMessages();
                continue;
            }
            // The worker ended (or the wait itself failed, when only the worker is waited for).
            if (woke != WAIT_OBJECT_0) WaitForSingleObject(handle, INFINITE);
            break;
        }
    } catch (...) {
        // The job lives on this stack: the worker must be done with it before it is left.
        WaitForSingleObject(worker.get(), INFINITE);
        throw;
    }
    if (job.raised) std::rethrow_exception(job.raised);
}

std::unique_ptr<HttpExchange> THttp::OpenExchange(const std::string& url) {
    // Get then fails without a status, as the caller expects of a handle that cannot be opened;
    // ErrorText keeps the library's reason.
    const auto noExchange = [this](DWORD error) -> std::unique_ptr<HttpExchange> {
        ErrorText = InternetErrorText(error);
        return nullptr;
    };
    PrepareUrlBuffers(url);

    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof(parts);
    const DWORD capacity = AnnouncedComponentSize();
    parts.lpszScheme = UrlBuffer(kScheme);
    parts.dwSchemeLength = capacity;
    parts.lpszHostName = UrlBuffer(kHost);
    parts.dwHostNameLength = capacity;
    parts.lpszUserName = UrlBuffer(kUserName);
    parts.dwUserNameLength = capacity;
    parts.lpszPassword = UrlBuffer(kPassword);
    parts.dwPasswordLength = capacity;
    parts.lpszUrlPath = UrlBuffer(kUrlPath);
    parts.dwUrlPathLength = capacity;
    parts.lpszExtraInfo = UrlBuffer(kExtraInfo);
    parts.dwExtraInfoLength = capacity;
    // A URL that does not split would leave stale parts from the previous request behind.
    if (!InternetCrackUrlA(UrlBuffer(kWholeUrl), 0, kCrackFlags, &parts)) return noExchange(GetLastError());
    Secure = IsSecureScheme(UrlBuffer(kScheme));
    // Another scheme would be sent as HTTP to that scheme's port.
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return nullptr;

    InetHandle root(InternetOpenA(kHttpAgent.data(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!root) return noExchange(GetLastError());
    InetHandle connection(
        InternetConnectA(root.get(), UrlBuffer(kHost), parts.nPort, "", "", INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return noExchange(GetLastError());
    const std::string object = std::string(UrlBuffer(kUrlPath)) + UrlBuffer(kExtraInfo);
    const HttpLimits limits = HttpLimits::Of(*this);
    const DWORD flags = kRequestFlags | (Secure ? INTERNET_FLAG_SECURE : 0) |
                        (limits.libraryFollowsRedirects ? 0 : INTERNET_FLAG_NO_AUTO_REDIRECT);
    InetHandle request(
        HttpOpenRequestA(connection.get(), "GET", object.c_str(), "HTTP/1.0", nullptr, nullptr, flags, 0));
    if (!request) return noExchange(GetLastError());
    return std::make_unique<WinInetExchange>(std::move(root), std::move(connection), std::move(request), limits);
}

}  // namespace tessel
