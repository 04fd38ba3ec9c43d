#pragma once
// THttp: one blocking GET at a time over HTTP or HTTPS, keeping the status code and the body of
// the answer. The program has one instance; the calendar client holds a reference to it, and the
// client's tests derive a scripted fake that overrides Get.
//
// The platform half is chosen at link time: WinINet in win32_http.cpp, libcurl natively in
// curl_http_posix.cpp. Both send the same agent text and header line, relax certificate checks
// once after an untrusted-authority failure, resend once with DefaultUser/DefaultPassword after a
// 401, and let the library follow a redirect that carries a Location; a 302 that reaches the
// caller (no Location) is a success with its own body.
//
// Every Get is bounded: an answer must come whole within RequestTimeLimitMs and stay within
// ResponseSizeLimit bytes. An answer that arrives cut short (the connection closed or reset
// before its Content-Length or the end of its chunks), too late or too large is a failed
// request: Get returns false and ErrorText says why.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessel {

class HttpExchange;

class THttp {
public:
    THttp();
    virtual ~THttp();
    THttp(const THttp&) = delete;
    THttp& operator=(const THttp&) = delete;

    // True when the final answer was 200 or 302 and its body was read: Body and Response then
    // hold it. False when the URL cannot be split, a handle cannot be opened, or the answer had
    // another status (StatusCode tells which); Response is then empty. Raises EConvertError
    // "'' is not a valid integer value" when no status code could be read at all (host unknown,
    // connection refused or reset before the status line).
    virtual bool Get(const std::string& url);

    // Size of each URL-part buffer; grows to a longer URL's length + 1 and stays there.
    int32_t BufferSize = 1024;
    // Capacity announced to the URL splitter for each part. It grows with BufferSize so that a
    // long query still fits, and is never announced larger than the buffers really are.
    int32_t ComponentSize = 1024;
    // The last URL's scheme was "https" in any letter case.
    bool Secure = false;
    // Put on a request answered with 401.
    std::string DefaultUser = "tanrows";
    std::string DefaultPassword = "4K7Q2M";
    // Status code of the last request; 0 when none was read.
    int32_t StatusCode = 0;
    // Raw bytes of the last successful answer.
    std::string Body;
    // One header line of the caller's, sent in place of the Content-Type line while it is set.
    std::string ExtraHeader;
    // The body of the last Get as text, byte for byte; empty after a failure.
    std::string Response;
    // Validators of a copy the caller holds, sent as If-None-Match and If-Modified-Since while
    // set: the server then answers 304 (Get false, StatusCode 304, no body) when it is unchanged.
    std::string IfNoneMatch;
    std::string IfModifiedSince;
    // The ETag and Last-Modified headers of the last answer (200, 302 or 304); empty when absent.
    std::string ETag;
    std::string LastModified;
    // -1: redirects are the library's to follow, as above. 0 or more: the library follows none,
    // and Get follows at most this many itself (301, 302, 303, 307 and 308 with a Location); one
    // more fails the request with ErrorText saying so. A library left to itself may follow a
    // server that redirects to itself for ever. Each address Get follows itself is a request of
    // its own, with the time and size limits anew.
    int32_t MaxRedirects = -1;
    // The Location of the last answer when it was a redirect; empty otherwise.
    std::string Location;
    // Why the last Get failed when the transfer itself failed (a handle that could not be
    // opened, no answer, cut short, too slow, too large), with the library's own words where it
    // gave any; empty after a success and after an answer with another status.
    std::string ErrorText;

    // The whole of one Get, redirects and resends included. The full feed of a calendar of
    // 100,000 events is about 84 MB; ten minutes lets it come over a line of 1.2 Mbit/s, while a
    // server that trickles or stalls is given up on within that time.
    int32_t RequestTimeLimitMs = 600000;
    // Three times the size of that feed.
    int64_t ResponseSizeLimit = int64_t(256) * 1024 * 1024;

    // Unset, Get blocks its thread until the answer is in (the command-line tool). Set by a
    // program with windows, Get runs the exchange on a worker thread and calls this whenever
    // messages arrive for the calling thread, until the exchange ends; the windows thus repaint
    // and answer while the service is slow. What it dispatches must not use this object: a Get
    // asked for while one waits fails at once and leaves the running one alone.
    std::function<void()> ProcessMessages;
    // True while a Get waits for its exchange with ProcessMessages.
    bool Waiting() const { return waiting_; }

protected:
    enum UrlPart { kWholeUrl, kScheme, kHost, kUserName, kPassword, kUrlPath, kExtraInfo, kUrlPartCount };

    // Grows the buffers when the URL and its terminating zero do not fit, allocates them on
    // first use, and copies the URL into its own buffer.
    void PrepareUrlBuffers(const std::string& url);
    char* UrlBuffer(UrlPart part) { return urlBuffers_[part].data(); }
    // What the splitter may write into each part buffer, terminating zero included.
    uint32_t AnnouncedComponentSize() const;

private:
    // One exchange, redirects left to the library or not followed (MaxRedirects).
    bool GetOnce(const std::string& url);
    // Steps 1 to 4 on the platform: split the URL, open the root, the connection and the
    // request. Null when any of them fails. Defined in the platform file.
    std::unique_ptr<HttpExchange> OpenExchange(const std::string& url);
    // Runs the exchange on a worker thread and calls ProcessMessages while it runs; returns when
    // the exchange has ended and raises what it raised. Defined in the platform file.
    void RunWhileProcessingMessages(const std::function<void()>& exchange);

    bool waiting_ = false;

    std::array<std::vector<char>, kUrlPartCount> urlBuffers_;
};

}  // namespace tessel
