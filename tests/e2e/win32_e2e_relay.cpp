#include "win32_e2e_relay.h"

#include <ws2tcpip.h>

namespace tessel::e2e {

namespace {

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(u_short(port));
    return address;
}

// Sends all of the bytes; false when the other side has gone.
bool SendAll(SOCKET to, const char* data, int length) {
    while (length > 0) {
        const int sent = send(to, data, length, 0);
        if (sent <= 0) return false;
        data += sent;
        length -= sent;
    }
    return true;
}

}  // namespace

TcpRelay::TcpRelay(int upstreamPort) : upstreamPort_(upstreamPort) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener_ == INVALID_SOCKET) return;
    sockaddr_in address = Loopback(0);
    int length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(listener_);
        listener_ = INVALID_SOCKET;
        return;
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

TcpRelay::~TcpRelay() {
    Stop();
    WSACleanup();
}

void TcpRelay::AcceptLoop() {
    while (!stopping_) {
        // Waits in short steps, so that Stop is seen without closing the socket under accept.
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(listener_, &ready);
        timeval wait{0, 200000};
        const int count = select(0, &ready, nullptr, nullptr, &wait);
        if (count < 0) return;
        if (count == 0) continue;
        const SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        const SOCKET upstream = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        const sockaddr_in address = Loopback(upstreamPort_);
        if (upstream == INVALID_SOCKET ||
            connect(upstream, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            if (upstream != INVALID_SOCKET) closesocket(upstream);
            closesocket(client);
            continue;
        }
        const std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) {
            closesocket(upstream);
            closesocket(client);
            return;
        }
        open_.push_back(client);
        open_.push_back(upstream);
        pumps_.emplace_back([this, client, upstream] { Pump(client, upstream); });
    }
}

void TcpRelay::Pump(SOCKET client, SOCKET upstream) {
    char buffer[16384];
    for (;;) {
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(client, &ready);
        FD_SET(upstream, &ready);
        timeval wait{0, 200000};
        const int count = select(0, &ready, nullptr, nullptr, &wait);
        if (stopping_ || count < 0) break;
        if (count == 0) continue;
        const SOCKET from = FD_ISSET(client, &ready) ? client : upstream;
        const SOCKET to = from == client ? upstream : client;
        const int got = recv(from, buffer, sizeof buffer, 0);
        if (got <= 0 || !SendAll(to, buffer, got)) break;
    }
    // Each side learns that the other has gone; Stop closes the sockets.
    shutdown(client, SD_BOTH);
    shutdown(upstream, SD_BOTH);
}

void TcpRelay::Stop() {
    if (stopping_.exchange(true)) return;
    if (acceptor_.joinable()) acceptor_.join();
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
    for (std::thread& pump : pumps_) pump.join();
    for (SOCKET s : open_) closesocket(s);
    pumps_.clear();
    open_.clear();
}

}  // namespace tessel::e2e
