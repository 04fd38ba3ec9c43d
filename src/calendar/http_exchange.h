#pragma once
// One hop of an exchange once its address is known: send, add credentials when the server asks
// for them, read the status, the headers and the body. The platform files implement
// HttpExchange over their library and open it with OpenHttpExchange; RunExchange holds the rules,
// so both builds resend and fail alike and the rules are tested without a network.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "calendar/http.h"

namespace tessel {

// What one exchange may take: the moment by which its answer must have come whole (every hop
// and resend shares it), and its largest body.
struct HttpLimits {
    std::chrono::steady_clock::time_point deadline;
    int32_t timeLimitMs = 0;  // for the message
    int64_t maxBodyBytes = 0;

    static HttpLimits Of(const THttpRequest& request);
    // Milliseconds left until the deadline, at least 0.
    int64_t RemainingMs() const;
    std::string TimeOutText() const;
    std::string TooLargeText() const;
};

// "the connection ended after 700 of 1,000 bytes of the answer"
std::string CutShortText(uint64_t received, uint64_t announced);

// What goes out on one hop. The header lines are the caller's, checked to be single lines.
struct HttpHop {
    std::string Method;
    std::string Url;
    std::vector<std::string> Headers;
    std::string Body;
    std::string PinnedCertificate;  // lower-case hex, or empty
    bool MayAuthenticate = false;   // the hop has credentials for a 401
};

// Why a hop failed: its kind and the words the user is shown.
struct HttpFault {
    THttpFailure Kind = THttpFailure::None;
    std::string Text;
};

// The accepted encodings, asked for on every request.
inline constexpr char kAcceptedEncodings[] = "gzip, deflate";

class HttpExchange {
public:
    enum class SendResult {
        Sent,    // an answer with a status line came back
        Failed,  // nothing usable came back: Fault says why
    };

    virtual ~HttpExchange() = default;

    // Sends the hop's request. May be called again after SetCredentials, and after a lost
    // connection (the library then opens a new one).
    virtual SendResult Send() = 0;
    // Credentials for the next Send, for a server that answered 401 with a scheme the library
    // answers itself (Digest, NTLM, Negotiate).
    virtual void SetCredentials(const std::string& user, const std::string& password) = 0;
    // One more header line for the next Send, in place of one of the same name.
    virtual void AddHeader(const std::string& line) = 0;
    // The status code of the last answer; 0 when it has none.
    virtual int32_t Status() = 0;
    // The headers of the last answer, in their order.
    virtual std::vector<std::pair<std::string, std::string>> AnswerHeaders() = 0;
    // Appends the next piece of the body. False at the end of the body or when reading failed;
    // what was appended before stays.
    virtual bool ReadPiece(std::string& body) = 0;
    // Why the last Send or ReadPiece failed; Kind None after a send that brought an answer and
    // after a body read to its end.
    virtual HttpFault Fault() const = 0;

    static constexpr size_t kBodyPieceSize = 16384;
};

// Opens a hop on the platform's library; null with fault set when it cannot be opened.
// Defined in the platform file.
std::unique_ptr<HttpExchange> OpenHttpExchange(const HttpHop& hop, const HttpLimits& limits, HttpFault& fault);

// Marks response failed with fault: Other for a fault of no kind, the kind's words for one
// without its own; the body is emptied.
void Fail(THttpResponse& response, const HttpFault& fault);

// One hop: sends, resends once after a lost connection and once with the credentials after a
// 401 (when there are any), and reads the answer whole into response. Basic credentials are put
// in the resent request's own Authorization header: a library that answered them itself would
// keep them and send them to the server unasked later, with other requests.
void RunExchange(HttpExchange& exchange, const std::string& user, const std::string& password,
                 THttpResponse& response);

}  // namespace tessel
