// The send, resend and read rules every transport shares, driven by a scripted exchange: no
// network.
#include "calendar/http_exchange.h"

#include <gtest/gtest.h>

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

namespace tessel {
namespace {

// Answers each Send with the next scripted status (0: the send fails with the scripted fault)
// and logs every call, so a test can check the order in which the rules touch the library.
class ScriptedExchange final : public HttpExchange {
public:
    std::deque<int32_t> statuses;
    std::deque<HttpFault> sendFaults;
    std::deque<std::string> pieces;
    HttpFault readFault;  // once the pieces are read
    std::vector<std::string> log;

    SendResult Send() override {
        log.push_back("send");
        if (statuses.empty()) throw std::logic_error("more sends than scripted");
        status_ = statuses.front();
        statuses.pop_front();
        if (status_ != 0) return SendResult::Sent;
        fault_ = sendFaults.front();
        sendFaults.pop_front();
        return SendResult::Failed;
    }
    void SetCredentials(const std::string& user, const std::string& password) override {
        log.push_back("credentials " + user + ":" + password);
    }
    int32_t Status() override { return status_; }
    void AddHeader(const std::string& line) override { log.push_back("header " + line); }
    std::vector<std::pair<std::string, std::string>> AnswerHeaders() override {
        if (status_ == 401) return {{"WWW-Authenticate", challenge}};
        return {{"ETag", "\"e\""}};
    }
    std::string challenge;
    bool ReadPiece(std::string& body) override {
        if (pieces.empty()) {
            fault_ = readFault;
            return false;
        }
        body += pieces.front();
        pieces.pop_front();
        return true;
    }
    HttpFault Fault() const override { return fault_; }

private:
    int32_t status_ = 0;
    HttpFault fault_;
};

TEST(HttpExchangeRules, ResendsOnceAfterALostConnectionAndOnceWithCredentials) {
    const HttpFault lost{THttpFailure::ConnectionLost, {}};
    const HttpFault untrusted{THttpFailure::Certificate, {}};
    const HttpFault cut{THttpFailure::CutShort, "the connection ended after 3 of 9 bytes of the answer"};
    const HttpFault whole{THttpFailure::None, std::string()};
    struct Case {
        const char* name;
        std::vector<int32_t> statuses;
        std::vector<HttpFault> sendFaults;
        std::string user;
        std::string challenge;  // of a 401
        HttpFault readFault;
        std::vector<std::string> log;
        int32_t status;
        THttpFailure failure;
        std::string body;
    };
    const Case cases[] = {
        {"answer read whole", {200}, {}, "", "", whole, {"send"}, 200, THttpFailure::None, "abc"},
        {"an error status keeps its body", {404}, {}, "", "", whole, {"send"}, 404, THttpFailure::None, "abc"},
        {"lost once, then answered", {0, 200}, {lost}, "", "", whole, {"send", "send"}, 200, THttpFailure::None, "abc"},
        {"lost twice", {0, 0}, {lost, lost}, "", "", whole, {"send", "send"}, 0, THttpFailure::ConnectionLost, ""},
        {"untrusted is not resent", {0}, {untrusted}, "u", "", whole, {"send"}, 0, THttpFailure::Certificate, ""},
        {"401 Digest left to the library", {401, 200}, {}, "u", "Digest realm=\"r\"", whole,
         {"send", "credentials u:p", "send"}, 200, THttpFailure::None, "abc"},
        {"401 Basic answered in the request's own header", {401, 200}, {}, "u", "basic realm=\"r\"", whole,
         {"send", "header Authorization: Basic dTpw", "send"}, 200, THttpFailure::None, "abc"},
        {"401 twice stops", {401, 401}, {}, "u", "Digest realm=\"r\"", whole, {"send", "credentials u:p", "send"},
         401, THttpFailure::None, "abc"},
        {"401 without credentials", {401}, {}, "", "Basic realm=\"r\"", whole, {"send"}, 401, THttpFailure::None,
         "abc"},
        {"cut short", {200}, {}, "", "", cut, {"send"}, 200, THttpFailure::CutShort, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedExchange exchange;
        exchange.challenge = c.challenge;
        exchange.statuses.assign(c.statuses.begin(), c.statuses.end());
        exchange.sendFaults.assign(c.sendFaults.begin(), c.sendFaults.end());
        exchange.pieces = {"a", "bc"};
        exchange.readFault = c.readFault;
        THttpResponse response;
        RunExchange(exchange, c.user, "p", response);
        EXPECT_EQ(exchange.log, c.log);
        EXPECT_EQ(response.Status, c.status);
        EXPECT_EQ(response.Failure, c.failure);
        EXPECT_EQ(response.Body, c.body);
        if (c.failure == THttpFailure::None) {
            EXPECT_EQ(response.Header(c.status == 401 ? "www-authenticate" : "etag"),
                      c.status == 401 ? c.challenge : "\"e\"");
            EXPECT_EQ(response.ErrorText, "");
        } else {
            EXPECT_EQ(response.ErrorText, c.readFault.Text.empty() ? HttpFailureText(c.failure) : c.readFault.Text);
        }
    }
}

}  // namespace
}  // namespace tessel
