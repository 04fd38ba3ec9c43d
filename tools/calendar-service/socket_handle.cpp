#include "socket_handle.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "base/errors.h"

namespace tessel::service {

void SocketHandle::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void SocketHandle::Abort() {
    if (fd_ < 0) return;
    linger hard{};
    hard.l_onoff = 1;
    hard.l_linger = 0;  // a zero linger time makes close() send RST and drop unsent data
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    Close();
}

SocketHandle ListenOnLoopback(int port) {
    if (port < 0 || port > 65535) throw EError("port " + std::to_string(port) + " is out of range");
    SocketHandle socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.valid()) throw EError(std::string("cannot create a socket: ") + std::strerror(errno));
    const int on = 1;
    ::setsockopt(socket.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        throw EError("cannot bind 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno));
    if (::listen(socket.get(), 64) != 0)
        throw EError("cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno));
    return socket;
}

int LocalPort(const SocketHandle& socket) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return ntohs(address.sin_port);
}

}  // namespace tessel::service
