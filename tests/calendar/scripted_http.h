#pragma once
// A THttp whose answers come from a script: each rule answers every URL that contains its text
// (the first rule that matches wins, one-shot rules first while they last). It records every URL
// and the ExtraHeader that went with it, and behaves like the real transport on the way out:
// Response and Body hold the body after a 200 or 302, Response is empty after any other
// status, and a rule that simulates a dead network raises the conversion error the real
// transport raises when no status code can be read.
#include <string>
#include <vector>

#include "base/errors.h"
#include "calendar/http.h"

namespace tessel::testing {

class ScriptedHttp final : public THttp {
public:
    struct Request {
        std::string Url;
        std::string ExtraHeader;
        std::string IfNoneMatch;
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

    bool Get(const std::string& url) override {
        Requests.push_back({url, ExtraHeader, IfNoneMatch});
        Response.clear();
        Body.clear();
        ErrorText.clear();
        ETag.clear();
        StatusCode = 0;
        for (Rule& rule : rules_) {
            if (rule.remaining == 0 || url.find(rule.urlPart) == std::string::npos) continue;
            if (rule.remaining > 0) --rule.remaining;
            if (rule.unreachable) {
                ErrorText = kUnreachableText;
                RaiseNotAnInteger("");
            }
            StatusCode = rule.status;
            ETag = rule.etag;
            if (!rule.etag.empty() && IfNoneMatch == rule.etag) StatusCode = 304;
            if (StatusCode != 200 && StatusCode != 302) return false;
            Body = rule.body;
            Response = rule.body;
            return true;
        }
        StatusCode = 404;
        return false;
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
