#pragma once
// THttp: requests over HTTP or HTTPS, one call each. A request carries everything it is sent
// with (method, headers, body, credentials, the certificate it may trust and its limits) and
// its answer carries everything that came back; nothing of one request stays in the transport
// for the next, so a header or a password given for one server never reaches another.
//
// The platform half is chosen at link time: WinINet in win32_http.cpp, libcurl natively in
// curl_http_posix.cpp. The rules both follow are here and in http_exchange.cpp:
// - certificates are always verified; a certificate no authority vouches for is taken only when
//   its SHA-256 digest is the request's PinnedCertificate;
// - credentials are sent only when the request's own server asks for them (401), once; Basic
//   ones in the request's own Authorization header, so that no library keeps them for later;
// - redirects are followed here, not by the library: within the same scheme or from http to
//   https, at most MaxRedirects; a redirect to another server drops the Authorization header,
//   the credentials and the pin; one from https to http or to another scheme is refused;
// - an address with a control character, written or escaped, is refused before anything is sent;
// - compressed answers (gzip, deflate) are asked for and decoded;
// - a request whose connection is lost before any answer came is sent once more, on a new
//   connection: a server may close a kept-alive connection just as it is reused;
// - the whole exchange, redirects and resends included, must end within TimeLimitMs, and the
//   decoded body may not pass SizeLimit.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/errors.h"

namespace tessel {

struct THttpRequest {
    std::string Method = "GET";
    std::string Url;  // absolute, http or https
    // Whole header lines ("Depth: 1"), sent as they stand.
    std::vector<std::string> Headers;
    std::string Body;
    // Sent only to the server of Url, and only after it answered 401.
    std::string User;
    std::string Password;
    // The SHA-256 digest of a certificate trusted for Url's server although no authority vouches
    // for it: 64 hex digits. Empty: authorities only.
    std::string PinnedCertificate;
    int32_t MaxRedirects = 10;
    int32_t TimeLimitMs = 60000;
    int64_t SizeLimit = int64_t(256) << 20;
};

enum class THttpFailure : uint8_t {
    None,
    Address,         // not an http or https address, or one with a control character
    HostUnknown,     // the name did not resolve
    Refused,         // nothing listens there
    ConnectionLost,  // closed or reset before the answer came
    TimedOut,        // the exchange passed its time limit
    Certificate,     // the server's certificate is not trusted, or no secure connection came about
    CutShort,        // the answer ended before its announced length or last chunk
    TooLarge,        // the body passed its size limit
    Redirect,        // a redirect that is refused, or too many
    Busy,            // asked for while another exchange waits with the messages running
    Other,
};

struct THttpResponse {
    // 0 when no status line came (Failure then says why).
    int32_t Status = 0;
    std::vector<std::pair<std::string, std::string>> Headers;
    std::string Body;
    THttpFailure Failure = THttpFailure::None;
    // Why the exchange failed, in the user's words; empty when an answer came whole.
    std::string ErrorText;

    // The first header of that name, letter case ignored; empty when there is none.
    std::string Header(std::string_view name) const;
    // An answer came whole with a status in 200..299, or a 302 that names no Location.
    bool Ok() const;
};

// A request that brought no answer at all, raised by callers that treat it as an error.
class EHttpError : public EError {
public:
    EHttpError(THttpFailure failure, const std::string& text) : EError(text), Failure(failure) {}
    THttpFailure Failure;
};

class THttp {
public:
    THttp();
    virtual ~THttp();
    THttp(const THttp&) = delete;
    THttp& operator=(const THttp&) = delete;

    // One exchange. Never raises for what the network or the server did: the answer says it.
    virtual THttpResponse Send(const THttpRequest& request);
    // Several exchanges side by side, each on a thread of its own: one slow server holds back
    // only its own answer. The answers come in the order of the requests.
    virtual std::vector<THttpResponse> SendAll(const std::vector<THttpRequest>& requests);

    // Unset, Send blocks its thread until the answer is in (the command-line tool). Set by a
    // program with windows, the exchanges run on worker threads and this is called whenever
    // messages arrive for the calling thread, until they end; the windows thus repaint and
    // answer while a server is slow. A Send asked for from within it fails at once (Busy) and
    // leaves the running one alone.
    std::function<void()> ProcessMessages;
    // True while exchanges wait with ProcessMessages.
    bool Waiting() const { return waiting_; }

protected:
    // One exchange with its redirects; never raises.
    THttpResponse Exchange(const THttpRequest& request);

private:
    // Runs the jobs to their end, side by side when there are several or when ProcessMessages is
    // set, calling ProcessMessages while they run. Defined in the platform file.
    void RunJobs(const std::vector<std::function<void()>>& jobs);

    bool waiting_ = false;
};

// The user's words for a failure of the transfer itself.
std::string HttpFailureText(THttpFailure failure);

}  // namespace tessel
