#pragma once
// A small HTTP/1.x server on loopback listeners, plain or TLS, one thread per connection.
//
// It is written here rather than taken from a library because the tests of the client need
// control that ready-made servers hide: the exact header lines a client sent, a connection reset
// in place of an answer, and plain HTTP and TLS on one port (the client uses one host setting for
// its https sign-in and its http feeds).
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "http_message.h"
#include "socket_handle.h"
#include "stop_signal.h"

namespace tessel::service {

class TlsContext;

enum class ListenerKind {
    Plain,
    Tls,
    // TLS when the connection opens with a TLS handshake record, plain HTTP otherwise.
    Sniffing,
};

using RequestHandler = std::function<void(const HttpRequest&, HttpResponse&)>;
// Called after each answer (or reset) with the number of body bytes sent.
using RequestLogger = std::function<void(const HttpRequest&, const HttpResponse&, uint64_t bodyBytes)>;

struct ServerLimits {
    int maxConnections = 64;
    int idleMilliseconds = 10000;    // a kept connection waiting for its next request
    int headMilliseconds = 15000;    // from the first byte of a request to the end of its head
    int socketTimeoutSeconds = 30;   // any single blocking send or receive
    size_t maxHeadBytes = 64 * 1024;
    size_t maxBodyBytes = 1024 * 1024;  // request bodies are read and dropped
    int maxRequestsPerConnection = 1000;
};

class HttpServer {
public:
    // tls may be null when no listener uses TLS; it must outlive the server.
    HttpServer(RequestHandler handler, RequestLogger logger, const TlsContext* tls, ServerLimits limits = {});
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;
    ~HttpServer();

    // Binds 127.0.0.1:port now (0: a free port) and answers the port bound. Raises EError.
    int AddListener(int port, ListenerKind kind);
    // Starts accepting on every listener.
    void Start();
    // Stops accepting, wakes every waiting connection and joins all threads. Idempotent.
    void Stop();

    const StopSignal& Stopping() const { return stop_; }

private:
    struct Listener {
        SocketHandle socket;
        ListenerKind kind;
        int port;
    };
    struct Worker {
        std::thread thread;
        bool finished = false;
    };

    void AcceptLoop(Listener& listener);
    void Serve(SocketHandle socket, ListenerKind kind, int localPort);
    void ReapFinishedWorkers();

    RequestHandler handler_;
    RequestLogger logger_;
    const TlsContext* tls_;
    ServerLimits limits_;
    StopSignal stop_;
    std::vector<std::unique_ptr<Listener>> listeners_;
    std::vector<std::thread> acceptors_;
    std::mutex workersMutex_;
    std::list<Worker> workers_;
    size_t activeConnections_ = 0;
    bool stopped_ = false;
};

}  // namespace tessel::service
