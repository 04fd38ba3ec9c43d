#pragma once
// One request and its answer, as the service's handlers see them. The request keeps its header
// lines exactly as they arrived, because the transport tests compare the header block the client
// sent byte for byte (/test/echo).
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessel::service {

struct HttpRequest {
    std::string method;
    std::string target;   // as sent: path and query
    std::string version;  // "HTTP/1.0", "HTTP/1.1"
    std::string path;     // the target up to '?', not decoded
    std::string query;    // after '?', not decoded
    // Each header line without its line end (LF, or CR LF), in the order received.
    std::vector<std::string> rawHeaders;
    std::vector<std::pair<std::string, std::string>> headers;  // name and trimmed value
    std::string body;                                         // as sent, after a Content-Length
    bool secure = false;                                      // arrived over TLS
    int localPort = 0;                                        // the listener it arrived on

    // The first header of that name (case-insensitive), or nullptr.
    const std::string* Header(std::string_view name) const;
    // The Host header, or 127.0.0.1 with the listener's port when the client sent none.
    std::string HostForLinks() const;
};

// Streams a body of known length without holding it: fill(offset, out, count) writes bytes
// offset..offset+count-1 of the body.
struct BodyStream {
    uint64_t length = 0;
    std::function<void(uint64_t offset, char* out, size_t count)> fill;
    // The connection closes after this many body bytes, in the middle of the announced length.
    uint64_t stopAt = UINT64_MAX;
    // The size of the pieces fill is asked for; 0: the server's own.
    size_t pieceBytes = 0;
};

// How a body leaves, for the fault endpoints: by default whole, at once, after a Content-Length.
struct BodyDelivery {
    uint64_t cutAfter = UINT64_MAX;     // the connection ends after this many bytes of the body
    bool resetAtCut = false;            // with a reset rather than a close
    bool chunked = false;               // in chunks (Transfer-Encoding) rather than after a length
    bool closeDelimited = false;        // as HTTP/1.0 without a length: the close ends the body
    // A Content-Length line sent before the true one (a server that sends two); 0: none.
    uint64_t firstLength = 0;
    int stallMilliseconds = 0;          // a pause between the head and the body
    int byteIntervalMilliseconds = 0;   // one byte at a time, this far apart

    bool Whole() const {
        return cutAfter == UINT64_MAX && !chunked && !closeDelimited && firstLength == 0 && stallMilliseconds == 0 &&
               byteIntervalMilliseconds == 0;
    }
};

struct HttpResponse {
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    BodyStream stream;          // used instead of body when stream.fill is set
    bool resetConnection = false;  // answer nothing and reset the connection
    BodyDelivery delivery;         // for text bodies only

    void SetHeader(const std::string& name, const std::string& value);
    void SetText(int statusCode, std::string text, const std::string& contentType = "text/plain; charset=UTF-8");
    uint64_t BodyLength() const { return stream.fill ? stream.length : body.size(); }
};

// The reason phrase of a status code ("Not Found"); "Status" for codes it does not know.
std::string ReasonPhrase(int status);

enum class HeadParse { Complete, Incomplete, Malformed };

// Reads a request head (request line and header lines up to the empty line) from the start of
// data. Lines may end in LF or CR LF. On Complete, consumed is the length of the head.
HeadParse ParseRequestHead(std::string_view data, HttpRequest& request, size_t& consumed);

}  // namespace tessel::service
