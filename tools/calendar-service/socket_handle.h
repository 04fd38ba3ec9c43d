#pragma once
// Owns one socket descriptor. Move-only: a descriptor has exactly one owner, which closes it.
#include <utility>

namespace tessel::service {

class SocketHandle {
public:
    SocketHandle() = default;
    explicit SocketHandle(int fd) : fd_(fd) {}
    SocketHandle(const SocketHandle&) = delete;
    SocketHandle& operator=(const SocketHandle&) = delete;
    SocketHandle(SocketHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    SocketHandle& operator=(SocketHandle&& other) noexcept {
        if (this != &other) {
            Close();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    ~SocketHandle() { Close(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void Close();
    // Closes with an immediate reset (RST) instead of the orderly close (FIN).
    void Abort();

private:
    int fd_ = -1;
};

// Binds a listening TCP socket to 127.0.0.1 and the given port (0: any free port).
// Raises EError with the system's reason when the port cannot be had.
SocketHandle ListenOnLoopback(int port);
// The local port a bound socket ended up with.
int LocalPort(const SocketHandle& socket);

}  // namespace tessel::service
