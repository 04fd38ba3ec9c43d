// The send/retry/read rules every transport shares, driven by a scripted exchange: no network.
#include "calendar/http_exchange.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "base/errors.h"
#include "calendar/http.h"

namespace tessel {
namespace {

using Result = HttpExchange::SendResult;

// Answers each Send with the next scripted reply and logs every call, so a test can check the
// order in which the rules touch the library.
class ScriptedExchange final : public HttpExchange {
public:
    struct Reply {
        Result result;
        std::string status;
    };

    std::deque<Reply> replies;
    std::deque<std::string> pieces;
    // What Failure answers once the pieces are read.
    std::string failure;
    std::vector<std::string> log;
    std::vector<std::string> headerBlocks;

    SendResult Send(const std::string& headerBlock) override {
        headerBlocks.push_back(headerBlock);
        log.push_back("send");
        if (replies.empty()) throw std::logic_error("more sends than scripted");
        current_ = replies.front();
        replies.pop_front();
        return current_.result;
    }
    void RelaxCertificateChecks() override { log.push_back("relax"); }
    void SetCredentials(const std::string& user, const std::string& password) override {
        log.push_back("credentials " + user + ":" + password);
    }
    std::string StatusText() override {
        log.push_back("status");
        return current_.status;
    }
    bool ReadPiece(std::string& body) override {
        log.push_back("read");
        if (pieces.empty()) return false;
        body += pieces.front();
        pieces.pop_front();
        return true;
    }
    std::string Failure() const override { return pieces.empty() ? failure : std::string(); }

private:
    Reply current_{Result::Failed, ""};
};

class HttpExchangeRules : public ::testing::Test {
protected:
    THttp http;
    ScriptedExchange exchange;

    void script(std::initializer_list<ScriptedExchange::Reply> replies) { exchange.replies = replies; }
};

TEST_F(HttpExchangeRules, OkAnswerReadsEveryPieceIntoBody) {
    script({{Result::Sent, "200"}});
    exchange.pieces = {std::string(1024, 'a'), std::string(1024, 'b'), "tail"};
    http.Body = "left from an earlier answer";
    EXPECT_TRUE(RunExchange(exchange, http));
    EXPECT_EQ(http.StatusCode, 200);
    EXPECT_EQ(http.Body, std::string(1024, 'a') + std::string(1024, 'b') + "tail");
    EXPECT_EQ(exchange.headerBlocks, std::vector<std::string>{"Content-Type: application/x-www-form-urlencoded\n\r"});
}

TEST_F(HttpExchangeRules, OtherStatusFailsWithoutReadingTheBody) {
    for (const char* status : {"404", "403", "500", "201", "304"}) {
        SCOPED_TRACE(status);
        ScriptedExchange fresh;
        fresh.replies = {{Result::Sent, status}};
        fresh.pieces = {"error page"};
        http.Body = "kept";
        EXPECT_FALSE(RunExchange(fresh, http));
        EXPECT_EQ(http.StatusCode, std::stoi(status));
        EXPECT_EQ(http.Body, "kept");
        EXPECT_EQ(fresh.log, (std::vector<std::string>{"send", "status"}));
    }
}

TEST_F(HttpExchangeRules, CallerHeaderReplacesContentTypeOnEverySend) {
    http.ExtraHeader = "Authorization: GoogleLogin Auth=c";
    script({{Result::UntrustedCertificate, ""}, {Result::Sent, "401"}, {Result::Sent, "200"}});
    EXPECT_TRUE(RunExchange(exchange, http));
    EXPECT_EQ(exchange.headerBlocks,
              std::vector<std::string>(3, "Authorization: GoogleLogin Auth=c\r\n\r\n"));
}

TEST_F(HttpExchangeRules, UnauthorisedIsResentOnceWithDefaultCredentials) {
    script({{Result::Sent, "401"}, {Result::Sent, "200"}});
    exchange.pieces = {"tanrows:4K7Q2M"};
    EXPECT_TRUE(RunExchange(exchange, http));
    EXPECT_EQ(exchange.log, (std::vector<std::string>{"send", "status", "credentials tanrows:4K7Q2M", "send",
                                                      "status", "read", "read"}));
    EXPECT_EQ(http.Body, "tanrows:4K7Q2M");
}

TEST_F(HttpExchangeRules, SecondUnauthorisedAnswerFailsInsteadOfLooping) {
    script({{Result::Sent, "401"}, {Result::Sent, "401"}, {Result::Sent, "200"}});
    EXPECT_FALSE(RunExchange(exchange, http));
    EXPECT_EQ(http.StatusCode, 401);
    EXPECT_EQ(exchange.headerBlocks.size(), 2u);
    EXPECT_EQ(exchange.replies.size(), 1u);
}

TEST_F(HttpExchangeRules, UntrustedCertificateRelaxesChecksOnceThenResends) {
    script({{Result::UntrustedCertificate, ""}, {Result::Sent, "200"}});
    exchange.pieces = {"secure"};
    EXPECT_TRUE(RunExchange(exchange, http));
    EXPECT_EQ(exchange.log, (std::vector<std::string>{"send", "relax", "send", "status", "read", "read"}));
}

TEST_F(HttpExchangeRules, CertificateStillUntrustedAfterRelaxingFailsQuietly) {
    script({{Result::UntrustedCertificate, ""}, {Result::UntrustedCertificate, ""}, {Result::Sent, "200"}});
    http.Body = "kept";
    EXPECT_FALSE(RunExchange(exchange, http));
    EXPECT_EQ(http.StatusCode, 0);
    EXPECT_EQ(http.Body, "kept");
    EXPECT_EQ(exchange.log, (std::vector<std::string>{"send", "relax", "send"}));
}

TEST_F(HttpExchangeRules, CertificateAndCredentialRetriesAreCountedApart) {
    script({{Result::UntrustedCertificate, ""}, {Result::Sent, "401"}, {Result::Sent, "200"}});
    EXPECT_TRUE(RunExchange(exchange, http));
    EXPECT_EQ(exchange.log, (std::vector<std::string>{"send", "relax", "send", "status", "credentials tanrows:4K7Q2M",
                                                      "send", "status", "read"}));
}

TEST_F(HttpExchangeRules, SendFailureRaisesTheEmptyStatusConversionError) {
    script({{Result::Failed, "200"}});
    http.StatusCode = 200;
    try {
        RunExchange(exchange, http);
        FAIL() << "no error raised";
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "'' is not a valid integer value");
    }
    // A status left over from the library's previous answer must not be taken for this one.
    EXPECT_EQ(exchange.log, std::vector<std::string>{"send"});
    EXPECT_EQ(http.StatusCode, 0);
}

// A body the library could not read whole is no answer: the caller gets false, an empty body and
// the library's reason, also when a piece had come; a send that failed keeps its reason too.
TEST_F(HttpExchangeRules, TransferFailureIsAFailedRequestWithItsReason) {
    script({{Result::Sent, "200"}});
    exchange.pieces = {"<feed><entry>one</entry>"};
    exchange.failure = "the connection ended after 24 of 90 bytes of the answer";
    EXPECT_FALSE(RunExchange(exchange, http));
    EXPECT_EQ(http.StatusCode, 200);
    EXPECT_EQ(http.Body, "");
    EXPECT_EQ(http.ErrorText, exchange.failure);

    ScriptedExchange silent;
    silent.replies = {{Result::Failed, ""}};
    silent.failure = "the answer did not come whole within 1,500 ms";
    EXPECT_THROW(RunExchange(silent, http), EConvertError);
    EXPECT_EQ(http.ErrorText, silent.failure);
}

TEST_F(HttpExchangeRules, StatusThatIsNotANumberRaisesWithItsText) {
    for (const char* status : {"", "abc", "20O", "200 OK"}) {
        SCOPED_TRACE(status);
        ScriptedExchange fresh;
        fresh.replies = {{Result::Sent, status}};
        try {
            RunExchange(fresh, http);
            ADD_FAILURE() << "no error raised";
        } catch (const EConvertError& error) {
            EXPECT_EQ(std::string(error.what()), "'" + std::string(status) + "' is not a valid integer value");
        }
    }
}

}  // namespace
}  // namespace tessel
