#include "stop_signal.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>

#include "base/errors.h"

namespace tessel::service {

StopSignal::StopSignal() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        throw EError(std::string("cannot make a pipe: ") + std::strerror(errno));
    readEnd_ = SocketHandle(ends[0]);
    writeEnd_ = SocketHandle(ends[1]);
}

void StopSignal::Raise() {
    const char byte = 1;
    // One byte is enough: nobody reads it, so the read end stays readable for good.
    [[maybe_unused]] const ssize_t written = ::write(writeEnd_.get(), &byte, 1);
}

bool StopSignal::Raised() const {
    pollfd entry{readEnd_.get(), POLLIN, 0};
    return ::poll(&entry, 1, 0) > 0;
}

bool StopSignal::SleepFor(int milliseconds) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (true) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) return true;
        pollfd entry{readEnd_.get(), POLLIN, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left));
        if (ready > 0) return false;
        if (ready < 0 && errno != EINTR) return true;
    }
}

}  // namespace tessel::service
