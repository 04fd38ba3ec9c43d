#pragma once
// A TCP relay on 127.0.0.1 in front of the local calendar service: the program is given the
// relay's port, and stopping the relay makes the service unreachable for it (connections are
// refused, as for a service that is not running) while the fixture's service goes on serving the
// other tests.
#include <winsock2.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace tessel::e2e {

class TcpRelay {
public:
    // Listens on an unused port of 127.0.0.1 and passes every connection on to upstreamPort.
    explicit TcpRelay(int upstreamPort);
    ~TcpRelay();
    TcpRelay(const TcpRelay&) = delete;
    TcpRelay& operator=(const TcpRelay&) = delete;

    // 0 when the relay could not listen.
    int Port() const { return port_; }
    // Closes the listening socket and every connection passed on; bounded.
    void Stop();

private:
    void AcceptLoop();
    void Pump(SOCKET client, SOCKET upstream);

    int upstreamPort_;
    int port_ = 0;
    SOCKET listener_ = INVALID_SOCKET;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::vector<SOCKET> open_;
    std::vector<std::thread> pumps_;
    std::thread acceptor_;
};

}  // namespace tessel::e2e
