#pragma once
// TauCustomHTTP: one HTTP(S) GET of the update check on WinINet, run in a worker thread
// (TauEventThread) so that the windows stay responsive. The worker reports to the checker's
// hidden window by posted messages: kTransferProgress while bytes arrive (at most every 100 ms)
// and kTransferDone once, at the end. The result is read on the user-interface thread after
// kTransferDone.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace tessel::update {

inline constexpr UINT kTransferProgress = WM_APP + 0x51;
inline constexpr UINT kTransferDone = WM_APP + 0x52;

enum class TransferStatus {
    Ok,
    HostUnreachable,  // no connection could be made
    NotFound,         // the server answered with an error status
    ConnectionLost,   // the answer stopped before its end, or a read failed
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
    DWORD DeadlineMs = 0;  // the whole transfer's time limit; 0: none (the wizard can abort)
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
    ~TauCustomHTTP();

    bool Busy() const { return running_.load(); }
    // Starts a transfer; false when one is still running.
    bool Start(TransferRequest request);
    // Asks the running transfer to stop; it then reports Aborted and removes its partial file.
    void Abort() { abort_ = true; }

    // Valid after kTransferDone.
    const TransferResult& Result() const { return result_; }
    int64_t Total() const { return total_.load(); }  // -1 while unknown
    int64_t Received() const { return received_.load(); }

private:
    void Run() noexcept;
    TransferResult Transfer();
    void Join();

    HWND notify_;
    TransferRequest request_;
    TransferResult result_;
    std::thread worker_;
    std::atomic<bool> running_{false};
    std::atomic<bool> abort_{false};
    std::atomic<int64_t> total_{-1};
    std::atomic<int64_t> received_{0};
};

}  // namespace tessel::update
