#pragma once
// The whole service in one object, so the program and the tests run the same thing: the data,
// the TLS identity, the listeners, the routes, the fault plan and the request log.
#include <memory>
#include <optional>

#include "fault_plan.h"
#include "http_server.h"
#include "request_log.h"
#include "service_data.h"
#include "service_options.h"
#include "tls_context.h"

namespace tessel::service {

class CalendarRoutes;

class CalendarServiceApp {
public:
    // Loads the data and prepares TLS (identity: a ready certificate instead of making one;
    // --cert/--key win over both). Raises EError for anything it cannot use.
    explicit CalendarServiceApp(const ServiceOptions& options, std::optional<PemIdentity> identity = std::nullopt);
    ~CalendarServiceApp();

    // Binds both listeners, starts serving and then writes the port file. Raises EError.
    void Start();
    void Stop();
    // Blocks until Stop() (from another thread) has begun.
    void WaitUntilStopped() const;

    int HttpPort() const { return httpPort_; }
    int HttpsPort() const { return httpsPort_; }
    const ServiceData& Data() const { return *data_; }

private:
    void Dispatch(const HttpRequest& request, HttpResponse& response);

    ServiceOptions options_;
    std::unique_ptr<ServiceData> data_;
    std::unique_ptr<TlsContext> tls_;
    std::unique_ptr<RequestLog> log_;
    std::unique_ptr<CalendarRoutes> routes_;
    FaultPlan faults_;
    std::unique_ptr<HttpServer> server_;
    int httpPort_ = 0;
    int httpsPort_ = 0;
};

// Writes "http=PORT", "https=PORT" and "certificate=DIGEST" (the SHA-256 a client pins) lines to
// path through a temporary file and a rename, so a
// reader polling for the file never sees half of it. Raises EError.
void WritePortFile(const std::string& path, int httpPort, int httpsPort, const std::string& certificateDigest);

}  // namespace tessel::service
