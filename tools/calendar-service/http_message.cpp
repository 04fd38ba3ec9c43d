#include "http_message.h"

#include "base/text.h"

namespace tessel::service {

const std::string* HttpRequest::Header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (SameTextAscii(key, name)) return &value;
    return nullptr;
}

std::string HttpRequest::HostForLinks() const {
    const std::string* host = Header("Host");
    if (host && !host->empty()) return *host;
    return "127.0.0.1:" + std::to_string(localPort);
}

void HttpResponse::SetHeader(const std::string& name, const std::string& value) {
    for (auto& [key, old] : headers) {
        if (SameTextAscii(key, name)) {
            old = value;
            return;
        }
    }
    headers.emplace_back(name, value);
}

void HttpResponse::SetText(int statusCode, std::string text, const std::string& contentType) {
    status = statusCode;
    body = std::move(text);
    stream = {};
    SetHeader("Content-Type", contentType);
}

std::string ReasonPhrase(int status) {
    switch (status) {
    case 200: return "OK";
    case 201: return "Created";
    case 204: return "No Content";
    case 206: return "Partial Content";
    case 301: return "Moved Permanently";
    case 302: return "Moved Temporarily";
    case 304: return "Not Modified";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 411: return "Length Required";
    case 413: return "Payload Too Large";
    case 414: return "URI Too Long";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    case 504: return "Gateway Timeout";
    default: return "Status";
    }
}

namespace {

bool IsTokenChar(char c) {
    if (c <= ' ' || c >= 127) return false;
    return std::string_view("()<>@,;:\\\"/[]?={}").find(c) == std::string_view::npos;
}

bool ParseRequestLine(std::string_view line, HttpRequest& request) {
    const size_t firstSpace = line.find(' ');
    if (firstSpace == std::string_view::npos || firstSpace == 0) return false;
    const size_t lastSpace = line.rfind(' ');
    if (lastSpace == firstSpace) return false;
    request.method = std::string(line.substr(0, firstSpace));
    request.target = std::string(Trim(line.substr(firstSpace + 1, lastSpace - firstSpace - 1)));
    request.version = std::string(line.substr(lastSpace + 1));
    for (char c : request.method)
        if (!IsTokenChar(c)) return false;
    if (request.target.empty() || request.version.rfind("HTTP/1.", 0) != 0 || request.version.size() != 8)
        return false;
    for (char c : request.target)
        if (static_cast<unsigned char>(c) <= ' ' || c == 127) return false;
    const size_t question = request.target.find('?');
    request.path = request.target.substr(0, question);
    request.query = question == std::string::npos ? std::string() : request.target.substr(question + 1);
    return !request.path.empty() && (request.path[0] == '/' || request.path == "*");
}

}  // namespace

HeadParse ParseRequestHead(std::string_view data, HttpRequest& request, size_t& consumed) {
    request = HttpRequest{};
    size_t position = 0;
    // Some clients send stray empty lines between requests on a kept connection.
    while (position < data.size() && (data[position] == '\r' || data[position] == '\n')) ++position;
    bool firstLine = true;
    while (true) {
        const size_t end = data.find('\n', position);
        if (end == std::string_view::npos) return HeadParse::Incomplete;
        std::string_view line = data.substr(position, end - position);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        position = end + 1;
        if (firstLine) {
            if (!ParseRequestLine(line, request)) return HeadParse::Malformed;
            firstLine = false;
            continue;
        }
        if (line.empty()) break;
        request.rawHeaders.emplace_back(line);
        const size_t colon = line.find(':');
        // A line without a name is kept for the echo but carries no header.
        if (colon == std::string_view::npos || colon == 0) continue;
        std::string_view name = line.substr(0, colon);
        bool validName = true;
        for (char c : name) validName = validName && IsTokenChar(c);
        if (!validName) continue;
        request.headers.emplace_back(std::string(name), Trim(line.substr(colon + 1)));
    }
    consumed = position;
    return HeadParse::Complete;
}

}  // namespace tessel::service
