#pragma once
// The conversation with the server once a request is open: send, relax the certificate checks or
// add credentials when the answer asks for it, read the status, read the body. The platform
// files implement HttpExchange over their library; RunExchange holds the rules, so both builds
// retry and fail alike and the rules are tested without a network.
#include <chrono>
#include <cstdint>
#include <string>

namespace tessel {

class THttp;

// What one Get may take: the moment by which its answer must have come whole, and its largest
// body. The platform files stop the transfer when either is passed.
struct HttpLimits {
    std::chrono::steady_clock::time_point deadline;
    int32_t timeLimitMs = 0;  // for the message
    int64_t maxBodyBytes = 0;
    bool libraryFollowsRedirects = true;

    static HttpLimits Of(const THttp& http);
    // Milliseconds left until the deadline, at least 0.
    int64_t RemainingMs() const;
    std::string TimeOutText() const;
    std::string TooLargeText() const;
};

// "the connection ended after 700 of 1,000 bytes of the answer"
std::string CutShortText(uint64_t received, uint64_t announced);

class HttpExchange {
public:
    enum class SendResult {
        Sent,                  // an answer with a status line came back
        UntrustedCertificate,  // the server's certificate authority is not trusted (WinINet 12045)
        Failed,                // nothing usable came back: no status can be read
    };

    virtual ~HttpExchange() = default;

    // Sends the request with this header block and no body. May be called again after
    // RelaxCertificateChecks or SetCredentials.
    virtual SendResult Send(const std::string& headerBlock) = 0;
    // From now on accept an unknown certificate authority and a certificate for another name.
    virtual void RelaxCertificateChecks() = 0;
    // Credentials for the next Send, for a server that answered 401.
    virtual void SetCredentials(const std::string& user, const std::string& password) = 0;
    // The status code of the last answer as the library reports it, as text.
    virtual std::string StatusText() = 0;
    // The value of one header of the last answer ("ETag"); empty when it has none.
    virtual std::string HeaderText(const char* name) { (void)name; return std::string(); }
    // Appends the next piece of the body, at most kBodyPieceSize bytes. False at the end of the
    // body or when reading failed; what was appended before stays.
    virtual bool ReadPiece(std::string& body) = 0;
    // Why the last Send or ReadPiece failed: no answer, an answer cut short, too slow or too
    // large. Empty after a send that brought an answer and after a body read to its end.
    virtual std::string Failure() const = 0;

    static constexpr size_t kBodyPieceSize = 1024;
};

// Steps 5 and 6 of a Get: sends with http's header block, resends once after an untrusted
// certificate and once after a 401, sets http.StatusCode, and for 200 or 302 empties http.Body
// and reads the answer into it. True when the body was read whole. A transfer that fails (no
// answer, cut short, too slow, too large) sets http.ErrorText; after the status it makes the
// result false. Raises EConvertError when no status code can be read, or when the status text is
// not a number.
bool RunExchange(HttpExchange& exchange, THttp& http);

}  // namespace tessel
