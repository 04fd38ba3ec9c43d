#include "service_app.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/errors.h"
#include "base/file_io.h"
#include "base/text.h"
#include "calendar_routes.h"
#include "data_file.h"
#include "demo_data.h"
#include "ics_routes.h"
#include "test_routes.h"
#include "update_files.h"

namespace tessel::service {

namespace {

std::unique_ptr<ServiceData> LoadData(const ServiceOptions& options) {
    WallSeconds now = MachineWallNow();
    if (options.today) now = *options.today + options.nowSeconds.value_or(12 * 3600);
    const int zone = options.zoneMinutes.value_or(MachineZoneMinutes(now));
    ServiceData data;
    switch (options.source) {
    case DataSource::Demo: data = MakeDemoData(options.domain, now, zone); break;
    case DataSource::Generated:
        data = MakeGeneratedData(options.domain, options.generateEvents, options.generateCalendars, now, zone);
        break;
    case DataSource::File:
        try {
            data = ParseDataFile(ReadFileBytes(Utf8ToUtf16(options.dataFile)));
        } catch (const EDataError& error) {
            throw EDataError(options.dataFile + ": " + error.what());
        }
        data.zoneMinutes = zone;
        data.updated = DayOf(now);
        break;
    }
    if (data.accounts.empty()) throw EError("the data holds no account");
    if (options.user) {
        data.accounts.front().email = *options.user;
        data.accounts.front().password = *options.password;
        const std::string problem = CheckData(data);
        if (!problem.empty()) throw EError(problem);
    }
    if (options.gsessionid)
        for (auto& account : data.accounts) account.gsessionid = true;
    return std::make_unique<ServiceData>(std::move(data));
}

}  // namespace

void WritePortFile(const std::string& path, int httpPort, int httpsPort, const std::string& certificateDigest) {
    const std::string temporary = path + ".tmp" + std::to_string(::getpid());
    const std::string text = "http=" + std::to_string(httpPort) + "\nhttps=" + std::to_string(httpsPort) +
                             "\ncertificate=" + certificateDigest + "\n";
    std::FILE* file = std::fopen(temporary.c_str(), "w");
    if (!file) throw EError("cannot write " + temporary + ": " + std::strerror(errno));
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written) {
        std::remove(temporary.c_str());
        throw EError("cannot write " + temporary);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        std::remove(temporary.c_str());
        throw EError("cannot rename " + temporary + " to " + path + ": " + reason);
    }
}

CalendarServiceApp::CalendarServiceApp(const ServiceOptions& options, std::optional<PemIdentity> identity)
    : options_(options), data_(LoadData(options)) {
    if (!options.certFile.empty())
        tls_ = std::make_unique<TlsContext>(TlsContext::FromFiles(options.certFile, options.keyFile));
    else
        tls_ = std::make_unique<TlsContext>(identity ? *identity : MakeSelfSignedIdentity(options.domain, options.expiredCertificate));
    log_ = std::make_unique<RequestLog>(options.logFile);
    routes_ = std::make_unique<CalendarRoutes>(*data_, options.domain);
    server_ = std::make_unique<HttpServer>(
        [this](const HttpRequest& request, HttpResponse& response) { Dispatch(request, response); },
        [this](const HttpRequest& request, const HttpResponse& response, uint64_t bytes) {
            log_->Write(request, response, bytes);
        },
        tls_.get());
}

CalendarServiceApp::~CalendarServiceApp() { Stop(); }

void CalendarServiceApp::Start() {
    httpPort_ = server_->AddListener(options_.httpPort, ListenerKind::Plain);
    httpsPort_ = server_->AddListener(options_.httpsPort, ListenerKind::Sniffing);
    server_->Start();
    if (!options_.portFile.empty()) service::WritePortFile(options_.portFile, httpPort_, httpsPort_, tls_->CertificateDigest());
    log_->Note("calendar service on 127.0.0.1: http=" + std::to_string(httpPort_) +
               " https=" + std::to_string(httpsPort_));
}

void CalendarServiceApp::Stop() {
    if (!server_) return;
    server_->Stop();
    if (!options_.portFile.empty() && httpPort_ != 0) std::remove(options_.portFile.c_str());
    httpPort_ = httpsPort_ = 0;
}

void CalendarServiceApp::WaitUntilStopped() const {
    pollfd entry{server_->Stopping().WaitHandle(), POLLIN, 0};
    while (::poll(&entry, 1, -1) <= 0) {
    }
}

void CalendarServiceApp::Dispatch(const HttpRequest& request, HttpResponse& response) {
    if (const std::string* host = request.Header("Host"); host && !IsUsableHost(*host))
        return response.SetText(400, "bad Host header\n");
    if (request.path != "/test/fault" && request.path != "/test/fault/clear") {
        if (const auto fault = faults_.Take(request.path)) {
            if (ApplyFault(*fault, request, response, server_->Stopping())) return;
        }
    }
    // The test routes take any method: a client's PROPFIND or REPORT is echoed as sent.
    if (HandleTestRoute(request, response, faults_, server_->Stopping())) return;
    if (request.method != "GET" && request.method != "HEAD" && request.method != "POST")
        return response.SetText(405, "only GET, HEAD and POST are served\n");
    if (HandleUpdateRoute(request, response, options_.updatesFolder, server_->Stopping())) return;
    if (HandleIcsRoute(request, response, data_->updated)) return;
    if (routes_->Handle(request, response)) return;
    response.SetText(404, "Not Found\n");
}

}  // namespace tessel::service
