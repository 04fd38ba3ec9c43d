#include "test_routes.h"

#include <zlib.h>

#include <algorithm>

#include "query.h"

namespace tessel::service {

namespace {

// "dXNlcjpwYXNz" -> "user:pass"; false for text that is not base64.
bool DecodeBase64(std::string_view text, std::string& decoded) {
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    while (!text.empty() && text.back() == '=') text.remove_suffix(1);
    if (text.size() % 4 == 1) return false;
    decoded.clear();
    unsigned value = 0;
    int bits = 0;
    for (char c : text) {
        const size_t digit = kAlphabet.find(c);
        if (digit == std::string_view::npos) return false;
        value = (value << 6) | static_cast<unsigned>(digit);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            decoded += static_cast<char>((value >> bits) & 0xFF);
        }
    }
    return true;
}

void Status(const std::string& rest, HttpResponse& response) {
    long long code = 0;
    if (!ParseBoundedInt(rest, 200, 599, code)) return response.SetText(400, "status must be 200 to 599\n");
    // 204 and 304 answers carry no body by definition.
    response.SetText(static_cast<int>(code),
                     code == 204 || code == 304 ? std::string() : "status " + std::to_string(code) + "\n");
}

void Echo(const HttpRequest& request, HttpResponse& response) {
    std::string text = request.method + " " + request.target + "\r\n";
    for (const auto& line : request.rawHeaders) text += line + "\r\n";
    if (!request.body.empty()) text += "\r\n" + request.body;
    response.SetText(200, std::move(text));
    response.SetHeader("X-Request-Version", request.version);
}

void Basic(const HttpRequest& request, HttpResponse& response) {
    const std::string* authorization = request.Header("Authorization");
    std::string decoded;
    if (authorization && authorization->size() > 6 && authorization->compare(0, 6, "Basic ") == 0 &&
        DecodeBase64(authorization->substr(6), decoded)) {
        return response.SetText(200, decoded);
    }
    response.SetText(401, "credentials needed\n");
    response.SetHeader("WWW-Authenticate", "Basic realm=\"tessel\"");
}

void Delay(const std::string& rest, HttpResponse& response, const StopSignal& stop) {
    long long milliseconds = 0;
    if (!ParseBoundedInt(rest, 0, 1LL << 40, milliseconds)) return response.SetText(400, "delay must be a number\n");
    stop.SleepFor(static_cast<int>(std::min(milliseconds, kMaxDelayMilliseconds)));
    response.SetText(200, "late");
}

void Huge(const std::string& rest, HttpResponse& response) {
    long long bytes = 0;
    if (!ParseBoundedInt(rest, 0, 1LL << 50, bytes)) return response.SetText(400, "size must be a number\n");
    response.SetText(200, std::string(), "application/octet-stream");
    response.stream.length = static_cast<uint64_t>(std::min(bytes, kMaxHugeBytes));
    response.stream.fill = [](uint64_t offset, char* out, size_t count) {
        for (size_t i = 0; i < count; ++i) out[i] = HugeBodyByte(offset + i);
    };
}

// 302 to the location the query names ("?location=file%3A%2F%2F%2Fetc%2Fpasswd"), whatever it is.
void RedirectTo(const HttpRequest& request, HttpResponse& response) {
    const QueryParams params(request.query);
    const std::string* location = params.Find("location");
    if (!location) return response.SetText(400, "location is missing\n");
    response.SetText(302, "moved\n");
    response.SetHeader("Location", *location);
}

// A text compressed with gzip, sent so whether the client asked for it or not.
void Gzip(HttpResponse& response) {
    const std::string text = "a compressed answer\n";
    z_stream stream{};
    std::string packed(256, '\0');
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = static_cast<uInt>(packed.size());
    deflate(&stream, Z_FINISH);
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    response.SetText(200, std::move(packed));
    response.SetHeader("Content-Encoding", "gzip");
}

void ArmFault(const HttpRequest& request, HttpResponse& response, FaultPlan& faults) {
    Fault fault;
    const std::string error = ParseFault(QueryParams(request.query), fault);
    if (!error.empty()) return response.SetText(400, error + "\n");
    faults.Arm(fault);
    response.SetText(200, "armed " + DescribeFault(fault) + "\n");
}

}  // namespace

std::string TruncatedFeed() {
    return "<?xml version='1.0' encoding='UTF-8'?><feed xmlns='http://www.w3.org/2005/Atom'>"
           "<entry><id>http://localhost/calendar/feeds/cut/private/full/1</id><title type='text'>Cut sh";
}

char HugeBodyByte(unsigned long long offset) {
    return offset % 64 == 63 ? '\n' : static_cast<char>('a' + offset % 26);
}

std::string SignInPortalPage(const std::string& host) {
    return "<html><head><title>Welcome</title></head><body><p>Sign in to the guest network to reach "
           "<a href=\"http://" + host + "/\">" + host + "</a>.</p></body></html>";
}

bool ApplyFault(const Fault& fault, const HttpRequest& request, HttpResponse& response, const StopSignal& stop) {
    switch (fault.kind) {
    case FaultKind::Html:
        response.SetText(200, SignInPortalPage(request.HostForLinks()), "text/html; charset=UTF-8");
        return true;
    case FaultKind::Cut:
    case FaultKind::CutReset:
    case FaultKind::CutChunked:
        response.delivery.cutAfter = static_cast<uint64_t>(fault.bytes);
        response.delivery.resetAtCut = fault.kind == FaultKind::CutReset;
        response.delivery.chunked = fault.kind == FaultKind::CutChunked;
        return false;
    case FaultKind::Trickle:
        response.delivery.byteIntervalMilliseconds = fault.delayMilliseconds;
        return false;
    case FaultKind::Stall:
        response.delivery.stallMilliseconds = fault.delayMilliseconds;
        return false;
    case FaultKind::Status:
        response.SetText(fault.status, "fault " + std::to_string(fault.status) + "\n");
        return true;
    case FaultKind::Malformed:
        response.SetText(200, TruncatedFeed(), "application/atom+xml; charset=UTF-8");
        return true;
    case FaultKind::Reset:
        response.resetConnection = true;
        return true;
    case FaultKind::Delay:
        stop.SleepFor(fault.delayMilliseconds);
        return false;
    }
    return false;
}

bool HandleTestRoute(const HttpRequest& request, HttpResponse& response, FaultPlan& faults, const StopSignal& stop) {
    const std::string& path = request.path;
    if (path.rfind("/test/", 0) != 0) return false;
    auto under = [&](std::string_view prefix, std::string& rest) {
        if (path.compare(0, prefix.size(), prefix) != 0) return false;
        rest = path.substr(prefix.size());
        return true;
    };
    std::string rest;
    if (under("/test/status/", rest))
        Status(rest, response);
    else if (path == "/test/redirect") {
        response.SetText(302, "moved gsessionid=ABC\"");
        response.SetHeader("Location",
                           std::string(request.secure ? "https://" : "http://") + request.HostForLinks() + "/test/echo");
    } else if (path == "/test/empty")
        response.SetText(200, std::string());
    else if (path == "/test/echo")
        Echo(request, response);
    else if (path == "/test/basic")
        Basic(request, response);
    else if (path == "/test/redirect-to")
        RedirectTo(request, response);
    else if (path == "/test/gzip")
        Gzip(response);
    else if (under("/test/delay/", rest))
        Delay(rest, response, stop);
    else if (path == "/test/malformed")
        response.SetText(200, TruncatedFeed(), "application/atom+xml; charset=UTF-8");
    else if (path == "/test/reset")
        response.resetConnection = true;
    else if (under("/test/huge/", rest))
        Huge(rest, response);
    else if (path == "/test/fault/clear") {
        faults.Clear();
        response.SetText(200, "faults cleared\n");
    } else if (path == "/test/fault")
        ArmFault(request, response, faults);
    else
        response.SetText(404, "no such test endpoint\n");
    return true;
}

}  // namespace tessel::service
