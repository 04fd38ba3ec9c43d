#pragma once
// Makes the atomic replacement of a file fail while it lives, the way a full disk or another
// program holding the file would: natively a file-size limit of one byte (the write of the new
// contents fails), on Windows an open handle on the old file that does not share deletion (the
// rename over it is refused). Only the failure is simulated; the code under test runs as it is.
#include <filesystem>
#include <fstream>
#include <string>

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

namespace tessel::testing {

class WriteBlocker {
public:
    explicit WriteBlocker(const std::u16string& target) {
#ifdef _WIN32
        holder_.open(std::filesystem::path(target), std::ios::binary);
#else
        (void)target;
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = 1;
        setrlimit(RLIMIT_FSIZE, &limit);
#endif
    }
    WriteBlocker(const WriteBlocker&) = delete;
    WriteBlocker& operator=(const WriteBlocker&) = delete;
    ~WriteBlocker() {
#ifndef _WIN32
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
#endif
    }

    // False when the blocking could not be set up (the test should then fail, not pass vacuously).
    bool Active() const {
#ifdef _WIN32
        return holder_.is_open();
#else
        rlimit now{};
        return getrlimit(RLIMIT_FSIZE, &now) == 0 && now.rlim_cur == 1;
#endif
    }

private:
#ifdef _WIN32
    std::ifstream holder_;
#else
    rlimit saved_{};
    void (*oldHandler_)(int) = SIG_DFL;
#endif
};

}  // namespace tessel::testing
