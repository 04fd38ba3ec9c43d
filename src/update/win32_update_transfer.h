#pragma once
// TauCustomHTTP: one HTTP(S) GET of the update check on WinINet, run in a worker thread
// (TauEventThread) so that the windows stay responsive. The worker reports to the checker's
// hidden window by posted messages: kTransferProgress while bytes arrive (at most every 100 ms)
// and kTransferDone once, at the end. The result is read on the user-interface thread after
// kTransferDone. A deadline, an abort or the object's end stops the transfer at once from another
// thread, so nothing waits for a request blocked in the network.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

namespace tessel::update {

inline constexpr UINT kTransferProgress = WM_APP + 0x51;
inline constexpr UINT kTransferDone = WM_APP + 0x52;

enum class TransferStatus {
    Ok,
    HostUnreachable,  // no connection could be made
    NotFound,         // an error status, an answer other than 200, or too many redirects
    ConnectionLost,   // the answer stopped before its end, could not be told whole, or ran out of time
    Refused,          // too large, a digest that does not match, a file that cannot be written
    Aborted,
};

struct TransferResult {
    TransferStatus Status = TransferStatus::Ok;
    unsigned long ErrorCode = 0;  // the WinINet or system error, or the HTTP status
    std::string Body;             // when fetched into memory
};

struct TransferRequest {
    std::string Url;
    std::u16string TargetFile;  // empty: keep the body in memory
    std::string Sha256;         // expected digest (lower-case hex) or empty
    uint64_t MaxBytes = 0;
    DWORD DeadlineMs = 0;  // the whole transfer's time limit, redirects included; 0: none
};

class TauCustomHTTP {
public:
    // The agent name the transfers send.
    static constexpr const char* kAgent = "Tessel Desktop Update";
    // Connect, send and receive time limits of each request.
    static constexpr DWORD kTimeoutMs = 30000;

    explicit TauCustomHTTP(HWND notify) : notify_(notify) {}
    TauCustomHTTP(const TauCustomHTTP&) = delete;
    TauCustomHTTP& operator=(const TauCustomHTTP&) = delete;
    // Stops a running transfer without waiting for its worker, which owns what it uses, ends on
    // its own and reports to no one.
    ~TauCustomHTTP();

    bool Busy() const;
    // Starts a transfer; false when one is still running.
    bool Start(TransferRequest request);
    // Stops the running transfer without waiting for it: it is over at once (Busy is false, Result
    // is Aborted, kTransferDone is posted). A worker blocked in the network ends on its own later,
    // within the request's time limit, and its partial file goes with it.
    void Abort();

    // Valid after kTransferDone.
    const TransferResult& Result() const;
    int64_t Total() const;  // -1 while unknown
    int64_t Received() const;

    // The transfer's state, shared with its worker thread, which may outlive this object.
    struct Job;

private:
    HWND notify_;
    std::shared_ptr<Job> job_;
    std::thread worker_;
};
}  // namespace tessel::update
