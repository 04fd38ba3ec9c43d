#include "http_server.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>

#include "base/errors.h"
#include "base/strict_int.h"
#include "base/text.h"
#include "tls_context.h"

namespace tessel::service {

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<int64_t>(0, left));
}

// One accepted connection, plain or TLS, whose waits end early when the server stops.
class Channel {
public:
    Channel(SocketHandle socket, const StopSignal& stop) : socket_(std::move(socket)), stop_(stop) {}
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    int Fd() const { return socket_.get(); }

    bool StartTls(const TlsContext& context) {
        ssl_ = context.NewSession();
        if (SSL_set_fd(ssl_.get(), socket_.get()) != 1) return false;
        // The socket's receive and send time-outs bound the handshake.
        if (SSL_accept(ssl_.get()) != 1) {
            LastTlsError();
            return false;
        }
        return true;
    }

    // True when bytes can be read before the time is up and the server is not stopping.
    bool WaitReadable(int milliseconds) {
        if (ssl_ && SSL_pending(ssl_.get()) > 0) return true;
        pollfd entries[2] = {{socket_.get(), POLLIN, 0}, {stop_.WaitHandle(), POLLIN, 0}};
        const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
        while (true) {
            const int ready = ::poll(entries, 2, MillisecondsUntil(deadline));
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0 || (entries[1].revents & POLLIN)) return false;
            return (entries[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
        }
    }

    // Bytes read (> 0), or 0 when the peer closed or the read failed.
    size_t Read(char* buffer, size_t size) {
        if (ssl_) {
            const int count = SSL_read(ssl_.get(), buffer, static_cast<int>(std::min<size_t>(size, 1 << 30)));
            if (count <= 0) {
                LastTlsError();
                return 0;
            }
            return static_cast<size_t>(count);
        }
        while (true) {
            const ssize_t count = ::recv(socket_.get(), buffer, size, 0);
            if (count < 0 && errno == EINTR) continue;
            return count > 0 ? static_cast<size_t>(count) : 0;
        }
    }

    bool WriteAll(const char* data, size_t size) {
        while (size > 0) {
            if (stop_.Raised()) return false;
            size_t written = 0;
            if (ssl_) {
                const int count = SSL_write(ssl_.get(), data, static_cast<int>(std::min<size_t>(size, 1 << 20)));
                if (count <= 0) {
                    LastTlsError();
                    return false;
                }
                written = static_cast<size_t>(count);
            } else {
                const ssize_t count = ::send(socket_.get(), data, size, MSG_NOSIGNAL);
                if (count < 0 && errno == EINTR) continue;
                if (count <= 0) return false;
                written = static_cast<size_t>(count);
            }
            data += written;
            size -= written;
        }
        return true;
    }

    // False when the server stops meanwhile.
    bool Pause(int milliseconds) const { return stop_.SleepFor(milliseconds); }

    void Abort() {
        ssl_.reset();  // no close_notify: the point is an abrupt end
        socket_.Abort();
    }

    void Close() {
        if (ssl_) {
            SSL_shutdown(ssl_.get());
            ssl_.reset();
        }
        ::shutdown(socket_.get(), SHUT_WR);
        socket_.Close();
    }

private:
    SocketHandle socket_;
    SslHandle ssl_;
    const StopSignal& stop_;
};

void SetSocketOptions(const SocketHandle& socket, int timeoutSeconds) {
    timeval timeout{};
    timeout.tv_sec = timeoutSeconds;
    ::setsockopt(socket.get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(socket.get(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    const int on = 1;
    ::setsockopt(socket.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

bool WantsKeepAlive(const HttpRequest& request) {
    const std::string* connection = request.Header("Connection");
    const std::string value = connection ? LowerAscii(*connection) : std::string();
    if (request.version == "HTTP/1.0") return value.find("keep-alive") != std::string::npos;
    return value.find("close") == std::string::npos;
}

// A text body sent the way a fault asks: after a pause, byte by byte, in chunks, or cut off.
// ok is false when the connection was ended on purpose.
uint64_t WriteDeliveredBody(Channel& channel, const std::string& body, const BodyDelivery& delivery, bool& ok) {
    if (delivery.stallMilliseconds > 0 && !channel.Pause(delivery.stallMilliseconds)) return ok = false, 0;
    const uint64_t end = std::min<uint64_t>(body.size(), delivery.cutAfter);
    const size_t piece = delivery.byteIntervalMilliseconds > 0 ? 1 : 4096;
    uint64_t sent = 0;
    while (ok && sent < end) {
        const size_t count = static_cast<size_t>(std::min<uint64_t>(piece, end - sent));
        std::string out = body.substr(static_cast<size_t>(sent), count);
        if (delivery.chunked) {
            char size[20];
            std::snprintf(size, sizeof size, "%zx\r\n", count);
            out = size + out + "\r\n";
        }
        ok = channel.WriteAll(out.data(), out.size());
        if (ok) sent += count;
        if (ok && delivery.byteIntervalMilliseconds > 0 && sent < end)
            ok = channel.Pause(delivery.byteIntervalMilliseconds);
    }
    if (ok && end < body.size()) {
        if (delivery.resetAtCut) channel.Abort();
        else channel.Close();
        ok = false;
    } else if (ok && delivery.chunked) {
        ok = channel.WriteAll("0\r\n\r\n", 5);
    } else if (ok && delivery.closeDelimited) {
        channel.Close();  // the close is the body's end
        ok = false;
    }
    return sent;
}

// Writes the status line, the headers and the body; answers the body bytes sent.
uint64_t WriteResponse(Channel& channel, const HttpRequest& request, const HttpResponse& response, bool keepAlive,
                       bool& ok) {
    const BodyDelivery& delivery = response.delivery;
    if (delivery.closeDelimited) keepAlive = false;
    std::string head = std::string(delivery.closeDelimited ? "HTTP/1.0 " : "HTTP/1.1 ") +
                       std::to_string(response.status) + " " + ReasonPhrase(response.status) + "\r\n";
    bool hasContentType = false;
    for (const auto& [name, value] : response.headers) {
        if (SameTextAscii(name, "Content-Length") || SameTextAscii(name, "Connection")) continue;
        hasContentType = hasContentType || SameTextAscii(name, "Content-Type");
        head += name + ": " + value + "\r\n";
    }
    if (!hasContentType) head += "Content-Type: text/plain; charset=UTF-8\r\n";
    const uint64_t length = response.BodyLength();
    if (delivery.firstLength > 0) head += "Content-Length: " + std::to_string(delivery.firstLength) + "\r\n";
    if (delivery.chunked)
        head += "Transfer-Encoding: chunked\r\n";
    else if (!delivery.closeDelimited)
        head += "Content-Length: " + std::to_string(length) + "\r\n";
    if (!keepAlive && !delivery.closeDelimited)
        head += "Connection: close\r\n";
    else if (request.version == "HTTP/1.0")
        head += "Connection: keep-alive\r\n";
    head += "\r\n";
    ok = channel.WriteAll(head.data(), head.size());
    if (!ok || request.method == "HEAD") return 0;
    if (!response.stream.fill && !response.delivery.Whole())
        return WriteDeliveredBody(channel, response.body, response.delivery, ok);
    if (!response.stream.fill) {
        ok = channel.WriteAll(response.body.data(), response.body.size());
        return ok ? response.body.size() : 0;
    }
    std::string chunk(response.stream.pieceBytes ? response.stream.pieceBytes : 64 * 1024, '\0');
    uint64_t sent = 0;
    const uint64_t end = std::min(length, response.stream.stopAt);
    if (end < length) ok = false;  // the connection closes after the last piece
    while (sent < end) {
        const size_t count = static_cast<size_t>(std::min<uint64_t>(chunk.size(), end - sent));
        response.stream.fill(sent, chunk.data(), count);
        if (!channel.WriteAll(chunk.data(), count)) {
            ok = false;
            break;
        }
        sent += count;
    }
    return sent;
}

}  // namespace

HttpServer::HttpServer(RequestHandler handler, RequestLogger logger, const TlsContext* tls, ServerLimits limits)
    : handler_(std::move(handler)), logger_(std::move(logger)), tls_(tls), limits_(limits) {}

HttpServer::~HttpServer() { Stop(); }

int HttpServer::AddListener(int port, ListenerKind kind) {
    if (kind != ListenerKind::Plain && !tls_) throw EError("a TLS listener needs a certificate");
    auto listener = std::make_unique<Listener>();
    listener->socket = ListenOnLoopback(port);
    listener->kind = kind;
    listener->port = LocalPort(listener->socket);
    listeners_.push_back(std::move(listener));
    return listeners_.back()->port;
}

void HttpServer::Start() {
    // OpenSSL writes with plain write(), which raises SIGPIPE when a client has gone; the write
    // error is handled, so the signal must not end the process.
    ::signal(SIGPIPE, SIG_IGN);
    for (auto& listener : listeners_) {
        Listener* target = listener.get();
        acceptors_.emplace_back([this, target] { AcceptLoop(*target); });
    }
}

void HttpServer::Stop() {
    {
        std::lock_guard lock(workersMutex_);
        if (stopped_) return;
        stopped_ = true;
    }
    stop_.Raise();
    for (auto& acceptor : acceptors_)
        if (acceptor.joinable()) acceptor.join();
    // No acceptor runs any more, so the list only shrinks from here.
    std::list<Worker> remaining;
    {
        std::lock_guard lock(workersMutex_);
        remaining.splice(remaining.end(), workers_);
    }
    for (auto& worker : remaining)
        if (worker.thread.joinable()) worker.thread.join();
    listeners_.clear();
}

void HttpServer::ReapFinishedWorkers() {
    std::list<Worker> finished;
    {
        std::lock_guard lock(workersMutex_);
        for (auto it = workers_.begin(); it != workers_.end();) {
            auto next = std::next(it);
            if (it->finished) finished.splice(finished.end(), workers_, it);
            it = next;
        }
    }
    for (auto& worker : finished) worker.thread.join();
}

void HttpServer::AcceptLoop(Listener& listener) {
    while (true) {
        pollfd entries[2] = {{listener.socket.get(), POLLIN, 0}, {stop_.WaitHandle(), POLLIN, 0}};
        const int ready = ::poll(entries, 2, 1000);
        if (entries[1].revents & POLLIN) return;
        ReapFinishedWorkers();
        if (ready <= 0 || !(entries[0].revents & POLLIN)) continue;
        SocketHandle connection(::accept4(listener.socket.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!connection.valid()) continue;
        std::lock_guard lock(workersMutex_);
        if (activeConnections_ >= static_cast<size_t>(limits_.maxConnections)) continue;  // closed at once
        ++activeConnections_;
        auto worker = workers_.insert(workers_.end(), Worker{});
        // The thread marks its own entry finished under the lock, so it cannot do so before the
        // entry holds the thread.
        worker->thread = std::thread([this, worker, socket = std::move(connection), kind = listener.kind,
                                      port = listener.port]() mutable {
            Serve(std::move(socket), kind, port);
            std::lock_guard done(workersMutex_);
            worker->finished = true;
            --activeConnections_;
        });
    }
}

void HttpServer::Serve(SocketHandle socket, ListenerKind kind, int localPort) {
    SetSocketOptions(socket, limits_.socketTimeoutSeconds);
    Channel channel(std::move(socket), stop_);
    bool secure = kind == ListenerKind::Tls;
    if (kind == ListenerKind::Sniffing) {
        if (!channel.WaitReadable(limits_.headMilliseconds)) return;
        unsigned char first = 0;
        if (::recv(channel.Fd(), &first, 1, MSG_PEEK) != 1) return;
        secure = first == 0x16;  // a TLS handshake record
    }
    if (secure && !channel.StartTls(*tls_)) return;

    auto answer = [&](HttpRequest& request, HttpResponse& response, bool keepAlive) {
        request.secure = secure;
        request.localPort = localPort;
        bool ok = false;
        const uint64_t sent = WriteResponse(channel, request, response, keepAlive, ok);
        if (logger_) logger_(request, response, sent);
        return ok;
    };
    auto refuse = [&](HttpRequest& request, int status, const std::string& text) {
        HttpResponse response;
        response.SetText(status, text + "\n");
        answer(request, response, false);
        channel.Close();
    };

    std::string buffer;
    char chunk[16 * 1024];
    for (int served = 0; served < limits_.maxRequestsPerConnection; ++served) {
        HttpRequest request;
        size_t consumed = 0;
        const auto headDeadline = Clock::now() + std::chrono::milliseconds(limits_.headMilliseconds);
        HeadParse state = ParseRequestHead(buffer, request, consumed);
        while (state == HeadParse::Incomplete) {
            if (buffer.size() > limits_.maxHeadBytes) return refuse(request, 431, "request head too large");
            const int wait = buffer.empty() ? limits_.idleMilliseconds : MillisecondsUntil(headDeadline);
            if (!channel.WaitReadable(wait)) return channel.Close();
            const size_t count = channel.Read(chunk, sizeof chunk);
            if (count == 0) return channel.Close();
            buffer.append(chunk, count);
            state = ParseRequestHead(buffer, request, consumed);
        }
        if (state == HeadParse::Malformed) return refuse(request, 400, "malformed request");
        if (consumed > limits_.maxHeadBytes) return refuse(request, 431, "request head too large");
        buffer.erase(0, consumed);

        if (request.Header("Transfer-Encoding")) return refuse(request, 501, "chunked request bodies are not taken");
        uint64_t bodyLength = 0;
        if (const std::string* length = request.Header("Content-Length")) {
            if (!TryParseLength(*length, bodyLength)) return refuse(request, 400, "bad Content-Length");
            if (bodyLength > limits_.maxBodyBytes) return refuse(request, 413, "request body too large");
        }
        while (buffer.size() < bodyLength) {
            if (!channel.WaitReadable(limits_.headMilliseconds)) return channel.Close();
            const size_t count = channel.Read(chunk, sizeof chunk);
            if (count == 0) return channel.Close();
            buffer.append(chunk, count);
        }
        request.body = buffer.substr(0, static_cast<size_t>(bodyLength));
        buffer.erase(0, static_cast<size_t>(bodyLength));

        request.secure = secure;
        request.localPort = localPort;
        HttpResponse response;
        try {
            handler_(request, response);
        } catch (const std::exception& error) {
            response = HttpResponse{};
            response.SetText(500, std::string("internal error: ") + error.what() + "\n");
        }
        if (response.resetConnection) {
            if (logger_) logger_(request, response, 0);
            return channel.Abort();
        }
        const bool keepAlive = WantsKeepAlive(request) && served + 1 < limits_.maxRequestsPerConnection &&
                               !stop_.Raised();
        if (!answer(request, response, keepAlive) || !keepAlive) return channel.Close();
    }
    channel.Close();
}

}  // namespace tessel::service
