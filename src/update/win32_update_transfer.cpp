// The update check's transfer on WinINet. Every request reads the server afresh (no cache), sends
// "Accept: text/html, */*" and reads in 4096-byte pieces; redirects are followed here, a few at
// most. A file is written to its target as it arrives and its SHA-256 computed on the way. The
// target is marked for deletion from the moment it is made and kept only once the transfer is
// whole (transfer_rule.h), so a cut, refused or abandoned transfer leaves no partial file, even
// when the process ends in the middle of it.
//
// A stopped transfer (abort, deadline, the owner's end) is over for its owner at once, whether or
// not its worker has returned from the network yet; the worker, which shares the job and owns its
// handles and its file, ends on its own.
#include "update/win32_update_transfer.h"

#include <wininet.h>

#include <atomic>
#include <mutex>
#include <type_traits>

#include "base/sha256.h"
#include "update/transfer_rule.h"
#include "win32/win32_text.h"

namespace tessel::update {

namespace {

struct InetDeleter {
    void operator()(HINTERNET handle) const noexcept { InternetCloseHandle(handle); }
};
using InetHandle = std::unique_ptr<std::remove_pointer_t<HINTERNET>, InetDeleter>;

struct FileCloser {
    void operator()(HANDLE h) const noexcept {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};
using FileHandle = std::unique_ptr<void, FileCloser>;

constexpr DWORD kBufferSize = 4096;
// Every transfer takes a connection of its own and gives it up: a connection kept after an answer
// the server ended badly fails the next request that takes it, and with several such kept, the
// one resend a lost request gets could take another of them.
constexpr char kAcceptHeader[] = "Accept: text/html, */*\r\nConnection: close\r\n";
constexpr DWORD kOpenFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                             INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTO_REDIRECT;

bool IsConnectFailure(DWORD error) {
    switch (error) {
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
    case ERROR_INTERNET_CANNOT_CONNECT:
    case ERROR_INTERNET_TIMEOUT:
    case ERROR_INTERNET_INVALID_URL:
    case ERROR_INTERNET_UNRECOGNIZED_SCHEME:
    case ERROR_INTERNET_SERVER_UNREACHABLE:
    case ERROR_INTERNET_PROXY_SERVER_UNREACHABLE:
        return true;
    default:
        return false;
    }
}

// The connection closed before any byte of an answer: a kept-alive one the server had already
// closed, when the library reuses it, fails this way.
bool IsLostBeforeAnswer(DWORD error) {
    return error == ERROR_HTTP_INVALID_SERVER_RESPONSE || error == ERROR_INTERNET_CONNECTION_RESET ||
           error == ERROR_INTERNET_CONNECTION_ABORTED;
}

bool IsRedirect(DWORD status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// A header as text (HTTP_QUERY_LOCATION, HTTP_QUERY_RAW_HEADERS_CRLF), or empty.
std::string QueryText(HINTERNET request, DWORD what) {
    std::string text(1024, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD size = static_cast<DWORD>(text.size());
        if (HttpQueryInfoA(request, what, text.data(), &size, nullptr)) {
            text.resize(size);
            return text;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
        text.assign(size + 1, '\0');
    }
    return {};
}

// The target file, marked for deletion until Keep: closing it any other way removes it.
class PartialFile {
public:
    bool Open(const std::u16string& path) {
        file_.reset(CreateFileW(win32::W(path), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        return file_.get() != INVALID_HANDLE_VALUE && MarkForDeletion(true);
    }
    bool Write(const char* bytes, DWORD count) {
        DWORD written = 0;
        return WriteFile(file_.get(), bytes, count, &written, nullptr) && written == count;
    }
    bool Keep() { return MarkForDeletion(false) && FlushFileBuffers(file_.get()); }

private:
    bool MarkForDeletion(bool remove) {
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = remove ? TRUE : FALSE;
        return SetFileInformationByHandle(file_.get(), FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
    }

    FileHandle file_{INVALID_HANDLE_VALUE};
};

}  // namespace

struct TauCustomHTTP::Job {
    TransferRequest request;
    TransferResult result;
    std::atomic<bool> running{true};
    std::atomic<bool> stopped{false};
    std::atomic<int64_t> total{-1};
    std::atomic<int64_t> received{0};

    std::mutex mutex;
    HWND notify = nullptr;  // null once the owner has gone
    TransferResult stopReason;

    // The transfer is over for its owner at once, with the first reason given, and reported as
    // such. Its handles are left to the worker: closing them from here would end a blocked call
    // on Windows, but under Wine it leaves the call blocked for good, with the partial file open.
    // A blocked call returns with the server's next bytes or its time limit, and the worker then
    // ends without a word.
    void Stop(TransferStatus status, unsigned long code) {
        std::lock_guard lock(mutex);
        if (stopped) return;
        stopReason = {status, code, {}};
        stopped = true;
        if (running && notify) PostMessageW(notify, kTransferDone, 0, 0);
    }
    void Post(UINT message) {
        std::lock_guard lock(mutex);
        if (notify) PostMessageW(notify, message, 0, 0);
    }

    void Run() noexcept;
    TransferResult Transfer();
    TransferResult Receive(HINTERNET request, const ResponseHead& head);
};

namespace {

VOID CALLBACK DeadlinePassed(PVOID job, BOOLEAN) {
    static_cast<TauCustomHTTP::Job*>(job)->Stop(TransferStatus::ConnectionLost, ERROR_INTERNET_TIMEOUT);
}

}  // namespace

TauCustomHTTP::~TauCustomHTTP() {
    if (!job_) return;
    {
        std::lock_guard lock(job_->mutex);
        job_->notify = nullptr;
    }
    job_->Stop(TransferStatus::Aborted, 0);
    // Not waited for: the program's end (and its settings' save) does not depend on the network.
    // The worker owns its job and its file, which goes when the worker or the process ends.
    if (job_->running) worker_.detach();
    else if (worker_.joinable()) worker_.join();
}

bool TauCustomHTTP::Busy() const { return job_ && job_->running && !job_->stopped; }

const TransferResult& TauCustomHTTP::Result() const {
    static const TransferResult none{};
    // The reason is written once, before stopped is set; the result only by a worker that was not.
    return !job_ ? none : job_->stopped ? job_->stopReason : job_->result;
}

int64_t TauCustomHTTP::Total() const { return job_ ? job_->total.load() : -1; }

int64_t TauCustomHTTP::Received() const { return job_ ? job_->received.load() : 0; }

void TauCustomHTTP::Abort() {
    if (job_) job_->Stop(TransferStatus::Aborted, 0);
}

bool TauCustomHTTP::Start(TransferRequest request) {
    if (Busy()) return false;
    // A stopped worker still blocked in the network is left to end on its own.
    if (worker_.joinable()) {
        if (job_->running) worker_.detach();
        else worker_.join();
    }
    auto job = std::make_shared<Job>();
    job->request = std::move(request);
    job->notify = notify_;
    try {
        worker_ = std::thread([job] { job->Run(); });
    } catch (...) {
        return false;
    }
    job_ = std::move(job);
    return true;
}

// TauEventThread: the only place an exception may stop the transfer; it then counts as lost.
void TauCustomHTTP::Job::Run() noexcept {
    HANDLE deadline = nullptr;
    if (request.DeadlineMs &&
        !CreateTimerQueueTimer(&deadline, nullptr, DeadlinePassed, this, request.DeadlineMs, 0, WT_EXECUTEONLYONCE))
        deadline = nullptr;
    try {
        result = Transfer();
    } catch (...) {
        result = {TransferStatus::ConnectionLost, ERROR_INTERNET_INTERNAL_ERROR, {}};
    }
    // Waits for a deadline that is passing right now, so that it does not outlive the job.
    if (deadline) DeleteTimerQueueTimer(nullptr, deadline, INVALID_HANDLE_VALUE);
    const bool wasStopped = stopped;
    // What a failed transfer was to replace is gone too: nothing stale is taken for its file. A
    // stopped one leaves the name alone, as a new transfer may be writing it by now; its own file
    // went when it closed it.
    if (!wasStopped && result.Status != TransferStatus::Ok && !request.TargetFile.empty())
        DeleteFileW(win32::W(request.TargetFile));
    bool report = false;
    {
        // Decided under the lock that Stop reports under: the end is reported exactly once.
        std::lock_guard lock(mutex);
        report = !stopped;
        running = false;
    }
    if (report) Post(kTransferDone);
}

TransferResult TauCustomHTTP::Job::Transfer() {
    InetHandle root(InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!root) return {TransferStatus::HostUnreachable, GetLastError(), {}};
    DWORD timeout = kTimeoutMs;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        InternetSetOptionA(root.get(), option, &timeout, sizeof timeout);

    std::string url = request.Url;
    bool resent = false;
    for (int redirects = 0;; ++redirects) {
        if (stopped) return stopReason;
        InetHandle opened(InternetOpenUrlA(root.get(), url.c_str(), kAcceptHeader, DWORD(-1), kOpenFlags, 0));
        DWORD error = opened ? ERROR_SUCCESS : GetLastError();
        DWORD status = 0, size = sizeof status;
        if (opened) {
            if (!HttpQueryInfoA(opened.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
                error = GetLastError();
            else if (status == 0)  // Wine's word for a connection closed before any status line
                error = ERROR_INTERNET_CONNECTION_RESET;
        }
        if (error != ERROR_SUCCESS && IsLostBeforeAnswer(error) && !resent) {
            // Nothing of the answer came: sent once more, the library takes a new connection.
            resent = true;
            --redirects;
            continue;
        }
        if (!opened) {
            const TransferStatus failed =
                IsConnectFailure(error) ? TransferStatus::HostUnreachable : TransferStatus::ConnectionLost;
            return {failed, error, {}};
        }
        if (stopped) return stopReason;
        if (error != ERROR_SUCCESS) return {TransferStatus::ConnectionLost, error, {}};
        if (IsRedirect(status)) {
            std::string next;
            if (redirects >= kMaxRedirects || !RedirectTarget(url, QueryText(opened.get(), HTTP_QUERY_LOCATION), next))
                return {TransferStatus::NotFound, ERROR_HTTP_REDIRECT_FAILED, {}};
            url = std::move(next);
            continue;
        }
        if (status != 200) return {TransferStatus::NotFound, status, {}};
        ResponseHead head;
        head.Status = static_cast<int>(status);
        ReadResponseHeaders(QueryText(opened.get(), HTTP_QUERY_RAW_HEADERS_CRLF), head);
        return Receive(opened.get(), head);
    }
}

TransferResult TauCustomHTTP::Job::Receive(HINTERNET opened, const ResponseHead& head) {
    const int64_t announced = AnnouncedLength(head);
    if (announced > 0 && static_cast<uint64_t>(announced) > request.MaxBytes)
        return {TransferStatus::Refused, ERROR_FILE_TOO_LARGE, {}};
    total = announced;

    PartialFile file;
    const bool toFile = !request.TargetFile.empty();
    if (toFile && !file.Open(request.TargetFile)) return {TransferStatus::Refused, GetLastError(), {}};

    TransferResult result;
    Sha256 hash;
    char buffer[kBufferSize];
    uint64_t count = 0;
    DWORD lastReport = GetTickCount();
    for (;;) {
        if (stopped) return stopReason;
        DWORD read = 0;
        if (!InternetReadFile(opened, buffer, kBufferSize, &read))
            return {TransferStatus::ConnectionLost, GetLastError(), {}};
        if (read == 0) break;
        count += read;
        if (count > request.MaxBytes) return {TransferStatus::Refused, ERROR_FILE_TOO_LARGE, {}};
        hash.Update(std::string_view(buffer, read));
        if (toFile) {
            if (!file.Write(buffer, read)) return {TransferStatus::Refused, GetLastError(), {}};
        } else {
            result.Body.append(buffer, read);
        }
        received = static_cast<int64_t>(count);
        if (GetTickCount() - lastReport >= 100) {
            lastReport = GetTickCount();
            Post(kTransferProgress);
        }
    }
    if (stopped) return stopReason;
    const bool digestGiven = !request.Sha256.empty();
    const bool digestMatched = digestGiven && DigestHex(hash.Finish()) == request.Sha256;
    if (digestGiven && !digestMatched) return {TransferStatus::Refused, ERROR_INVALID_DATA, {}};
    switch (JudgeBody(head, count, digestMatched)) {
    case BodyVerdict::Whole: break;
    case BodyVerdict::Cut: return {TransferStatus::ConnectionLost, ERROR_INTERNET_CONNECTION_RESET, {}};
    case BodyVerdict::NotOk: return {TransferStatus::NotFound, static_cast<unsigned long>(head.Status), {}};
    case BodyVerdict::Ambiguous:
    case BodyVerdict::Unverifiable: return {TransferStatus::ConnectionLost, ERROR_HTTP_INVALID_SERVER_RESPONSE, {}};
    }
    if (toFile && !file.Keep()) return {TransferStatus::Refused, GetLastError(), {}};
    Post(kTransferProgress);
    return result;
}

}  // namespace tessel::update
