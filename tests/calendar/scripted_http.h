#pragma once
// A THttp whose answers come from a script: each rule answers every URL that contains its text
// (the first rule that matches wins, one-shot rules first while they last). It records every
// request as it was given, and answers as the real transport does: the body of any answer, and a
// rule that simulates a dead network gives no status and a failure of the transfer.
#include <string>
#include <vector>

#include "calendar/http.h"
#include "calendar/http_request.h"

namespace tessel::testing {

class ScriptedHttp final : public THttp {
public:
    struct Request {
        std::string Url;
        std::string ExtraHeader;  // the Authorization line, when the request had one
        std::string IfNoneMatch;
        THttpRequest Whole;
    };

    // Answers every matching request (until a later Clear).
    void Answer(std::string urlPart, std::string body, int status = 200) {
        rules_.push_back({std::move(urlPart), std::move(body), status, false, -1});
    }
    // Answers the next matching request only, ahead of the lasting rules.
    void AnswerOnce(std::string urlPart, std::string body, int status = 200) {
        rules_.insert(rules_.begin(), {std::move(urlPart), std::move(body), status, false, 1});
    }
    // Answers every matching request with this ETag; one that sends it back gets a 304.
    void AnswerWithETag(std::string urlPart, std::string body, std::string etag) {
        rules_.push_back({std::move(urlPart), std::move(body), 200, false, -1, std::move(etag)});
    }
    // Every matching request fails as if the host could not be reached, with this ErrorText.
    void Unreachable(std::string urlPart) { rules_.insert(rules_.begin(), {std::move(urlPart), {}, 0, true, -1}); }
    static constexpr char kUnreachableText[] = "The server could not be reached";
    void ClearScript() { rules_.clear(); }

    THttpResponse Send(const THttpRequest& request) override {
        Request seen{request.Url, {}, {}, request};
        for (const std::string& line : request.Headers) {
            const std::string value = line.substr(line.find(':') + 1);
            if (IsHeaderNamed(line, "Authorization")) seen.ExtraHeader = line;
            if (IsHeaderNamed(line, "If-None-Match")) seen.IfNoneMatch = value.substr(value.find_first_not_of(' '));
        }
        Requests.push_back(seen);
        THttpResponse response;
        for (Rule& rule : rules_) {
            if (rule.remaining == 0 || request.Url.find(rule.urlPart) == std::string::npos) continue;
            if (rule.remaining > 0) --rule.remaining;
            if (rule.unreachable) {
                response.Failure = THttpFailure::HostUnknown;
                response.ErrorText = kUnreachableText;
                return response;
            }
            response.Status = rule.status;
            if (!rule.etag.empty()) response.Headers.emplace_back("ETag", rule.etag);
            if (!rule.etag.empty() && seen.IfNoneMatch == rule.etag) {
                response.Status = 304;
                return response;
            }
            response.Body = rule.body;
            if (int64_t(response.Body.size()) > request.SizeLimit) {
                response.Body.clear();
                response.Failure = THttpFailure::TooLarge;
                response.ErrorText = "the answer is larger than the limit";
            }
            return response;
        }
        response.Status = 404;
        return response;
    }

    std::vector<THttpResponse> SendAll(const std::vector<THttpRequest>& requests) override {
        std::vector<THttpResponse> responses;
        for (const THttpRequest& request : requests) responses.push_back(Send(request));
        return responses;
    }

    std::vector<std::string> Urls() const {
        std::vector<std::string> urls;
        for (const auto& request : Requests) urls.push_back(request.Url);
        return urls;
    }

    std::vector<Request> Requests;

private:
    struct Rule {
        std::string urlPart;
        std::string body;
        int status;
        bool unreachable;
        int remaining;  // -1: for ever
        std::string etag = {};
    };
    std::vector<Rule> rules_;
};

}  // namespace tessel::testing
