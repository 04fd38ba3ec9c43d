#include "service_fixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "wall_time.h"

namespace tessel::service::testing {

const PemIdentity& SharedIdentity() {
    static const PemIdentity identity = MakeSelfSignedIdentity("localhost");
    return identity;
}

ServiceOptions FixedDayOptions() {
    ServiceOptions options;
    WallSeconds day = 0;
    ParseDateText("2008-03-15", day);
    options.today = day;
    options.nowSeconds = 12 * 3600;
    options.zoneMinutes = -7 * 60;
    options.logFile = "/dev/null";
    return options;
}

RunningService::RunningService(ServiceOptions options) : app_(options, SharedIdentity()) { app_.Start(); }

RunningService::~RunningService() { app_.Stop(); }

httplib::Client RunningService::Http() const {
    httplib::Client client("127.0.0.1", app_.HttpPort());
    client.set_connection_timeout(10);
    client.set_read_timeout(40);
    return client;
}

std::unique_ptr<httplib::SSLClient> RunningService::Https() const {
    auto client = std::make_unique<httplib::SSLClient>("127.0.0.1", app_.HttpsPort());
    client->enable_server_certificate_verification(false);
    client->set_connection_timeout(10);
    client->set_read_timeout(40);
    return client;
}

httplib::Client RunningService::PlainToHttpsPort() const {
    httplib::Client client("127.0.0.1", app_.HttpsPort());
    client.set_connection_timeout(10);
    client.set_read_timeout(40);
    return client;
}

std::string RunningService::SignIn(const std::string& email, const std::string& password) const {
    auto result = Https()->Get("/accounts/ClientLogin?Email=" + email + "&Passwd=" + password +
                             "&source=Tessel1&service=cl");
    if (!result || result->status != 200) return {};
    const size_t at = result->body.find("Auth=");
    if (at == std::string::npos) return {};
    return result->body.substr(at, result->body.find('\n', at) - at);
}

bool RawExchange(int port, const std::string& bytes, std::string& received) {
    received.clear();
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    timeval timeout{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
              ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    char buffer[4096];
    while (ok) {
        const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
        if (count == 0) break;
        if (count < 0) ok = false;
        else received.append(buffer, static_cast<size_t>(count));
    }
    ::close(fd);
    return ok;
}

}  // namespace tessel::service::testing
