// The update check's transfer on WinINet. Every request reads the server afresh (no cache), sends
// "Accept: text/html, */*" and reads in 4096-byte pieces. A file is written to its target as it
// arrives and its SHA-256 computed on the way; a transfer that does not end exactly at the
// announced length, fails the digest, or grows past its limit removes what it wrote, so a
// partial file is never left to be installed.
#include "update/win32_update_transfer.h"

#include <wininet.h>

#include <memory>
#include <type_traits>

#include "base/sha256.h"
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
constexpr char kAcceptHeader[] = "Accept: text/html, */*\r\n";
constexpr DWORD kOpenFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                             INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;

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

}  // namespace

TauCustomHTTP::~TauCustomHTTP() {
    abort_ = true;
    Join();
}

void TauCustomHTTP::Join() {
    if (worker_.joinable()) worker_.join();
}

bool TauCustomHTTP::Start(TransferRequest request) {
    if (running_) return false;
    Join();
    request_ = std::move(request);
    result_ = {};
    abort_ = false;
    total_ = -1;
    received_ = 0;
    running_ = true;
    try {
        worker_ = std::thread([this] { Run(); });
    } catch (...) {
        running_ = false;
        return false;
    }
    return true;
}

// TauEventThread: the only place an exception may stop the transfer; it then counts as lost.
void TauCustomHTTP::Run() noexcept {
    try {
        result_ = Transfer();
    } catch (...) {
        result_ = {TransferStatus::ConnectionLost, ERROR_INTERNET_INTERNAL_ERROR, {}};
    }
    if (result_.Status != TransferStatus::Ok && !request_.TargetFile.empty())
        DeleteFileW(win32::W(request_.TargetFile));
    running_ = false;
    PostMessageW(notify_, kTransferDone, 0, 0);
}

TransferResult TauCustomHTTP::Transfer() {
    InetHandle root(InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!root) return {TransferStatus::HostUnreachable, GetLastError(), {}};
    DWORD timeout = kTimeoutMs;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        InternetSetOptionA(root.get(), option, &timeout, sizeof timeout);

    InetHandle url(InternetOpenUrlA(root.get(), request_.Url.c_str(), kAcceptHeader, DWORD(-1), kOpenFlags, 0));
    if (!url) {
        const DWORD error = GetLastError();
        return {IsConnectFailure(error) ? TransferStatus::HostUnreachable : TransferStatus::ConnectionLost, error, {}};
    }
    if (abort_) return {TransferStatus::Aborted, 0, {}};

    DWORD status = 0, size = sizeof status;
    if (!HttpQueryInfoA(url.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        return {TransferStatus::ConnectionLost, GetLastError(), {}};
    // Wine reports a connection closed before any status line as status 0.
    if (status == 0) return {TransferStatus::ConnectionLost, ERROR_INTERNET_CONNECTION_RESET, {}};
    if (status >= 300) return {TransferStatus::NotFound, status, {}};

    char lengthText[32] = {};
    DWORD lengthSize = sizeof lengthText - 1;
    int64_t announced = -1;
    if (HttpQueryInfoA(url.get(), HTTP_QUERY_CONTENT_LENGTH, lengthText, &lengthSize, nullptr))
        announced = _strtoi64(lengthText, nullptr, 10);
    if (announced > 0 && static_cast<uint64_t>(announced) > request_.MaxBytes)
        return {TransferStatus::Refused, ERROR_FILE_TOO_LARGE, {}};
    total_ = announced;

    FileHandle file(INVALID_HANDLE_VALUE);
    if (!request_.TargetFile.empty()) {
        file.reset(CreateFileW(win32::W(request_.TargetFile), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) return {TransferStatus::Refused, GetLastError(), {}};
    }

    TransferResult result;
    Sha256 hash;
    char buffer[kBufferSize];
    uint64_t received = 0;
    const DWORD started = GetTickCount();
    DWORD lastReport = started;
    for (;;) {
        if (abort_) return {TransferStatus::Aborted, 0, {}};
        if (request_.DeadlineMs && GetTickCount() - started > request_.DeadlineMs)
            return {TransferStatus::ConnectionLost, ERROR_INTERNET_TIMEOUT, {}};
        DWORD read = 0;
        if (!InternetReadFile(url.get(), buffer, kBufferSize, &read)) return {TransferStatus::ConnectionLost, GetLastError(), {}};
        if (read == 0) break;
        received += read;
        if (received > request_.MaxBytes) return {TransferStatus::Refused, ERROR_FILE_TOO_LARGE, {}};
        hash.Update(std::string_view(buffer, read));
        if (file.get() != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            if (!WriteFile(file.get(), buffer, read, &written, nullptr) || written != read)
                return {TransferStatus::Refused, GetLastError(), {}};
        } else {
            result.Body.append(buffer, read);
        }
        received_ = static_cast<int64_t>(received);
        if (GetTickCount() - lastReport >= 100) {
            lastReport = GetTickCount();
            PostMessageW(notify_, kTransferProgress, 0, 0);
        }
    }
    // A connection closed early ends the reads like the end of the body does: only the length tells.
    if (announced >= 0 && received != static_cast<uint64_t>(announced))
        return {TransferStatus::ConnectionLost, ERROR_INTERNET_CONNECTION_RESET, {}};
    if (!request_.Sha256.empty() && DigestHex(hash.Finish()) != request_.Sha256)
        return {TransferStatus::Refused, ERROR_INVALID_DATA, {}};
    if (file.get() != INVALID_HANDLE_VALUE && !FlushFileBuffers(file.get()))
        return {TransferStatus::Refused, GetLastError(), {}};
    PostMessageW(notify_, kTransferProgress, 0, 0);
    return result;
}

}  // namespace tessel::update
