#include "update_files.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "base/errors.h"
#include "base/file_io.h"
#include "base/percent_code.h"
#include "base/text.h"
#include "query.h"
#include "test_routes.h"

namespace tessel::service {

namespace {

bool IsPlainName(const std::string& name) {
    if (name.empty() || name == "." || name.find("..") != std::string::npos) return false;
    return name.find_first_of("/\\") == std::string::npos && name.find('\0') == std::string::npos;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// The faults that answer with the file as a text body delivered badly; false when none is asked.
bool AnswerBadly(const QueryParams& params, const std::string& bytes, HttpResponse& response) {
    const std::string* chunkedCut = params.Find("chunked-cut");
    const std::string* lengthlessCut = params.Find("lengthless-cut");
    const std::string* twoLengths = params.Find("two-lengths");
    const bool partial = params.Find("partial") != nullptr;
    if (!chunkedCut && !lengthlessCut && !twoLengths && !partial) return false;
    long long bytesAt = 0;
    const std::string* number = chunkedCut ? chunkedCut : lengthlessCut ? lengthlessCut : twoLengths;
    if (number && !ParseBoundedInt(*number, 1, 1LL << 40, bytesAt)) {
        response.SetText(400, "the cut must be a number of bytes\n");
        return true;
    }
    response.SetText(200, bytes, "application/octet-stream");
    BodyDelivery& delivery = response.delivery;
    if (chunkedCut) {
        delivery.chunked = true;
        delivery.cutAfter = static_cast<uint64_t>(bytesAt);
    } else if (lengthlessCut) {
        delivery.closeDelimited = true;
        delivery.cutAfter = static_cast<uint64_t>(bytesAt);
    } else if (twoLengths) {
        delivery.firstLength = static_cast<uint64_t>(bytesAt);
    } else {
        // The first half as a range of the whole, with a length that matches what is sent.
        const size_t half = bytes.size() / 2;
        response.status = 206;
        response.body = bytes.substr(0, half);
        response.SetHeader("Content-Range", "bytes 0-" + std::to_string(half ? half - 1 : 0) + "/" +
                                                std::to_string(bytes.size()));
    }
    return true;
}

}  // namespace

bool HandleUpdateRoute(const HttpRequest& request, HttpResponse& response, const std::string& folder,
                       const StopSignal& stop) {
    if (folder.empty() || request.path.rfind(kUpdatePathPrefix, 0) != 0) return false;
    const std::string name = PercentDecode(request.path.substr(std::strlen(kUpdatePathPrefix)));
    const std::string path = folder + "/" + name;
    if (!IsPlainName(name) || !FileExists(Utf8ToUtf16(path))) {
        response.SetText(404, "Not Found\n");
        return true;
    }
    std::string bytes;
    try {
        bytes = ReadFileBytes(Utf8ToUtf16(path));
    } catch (const EFileError&) {
        response.SetText(404, "Not Found\n");
        return true;
    }
    if (name.size() > 4 && SameTextAscii(std::string_view(name).substr(name.size() - 4), ".inf"))
        ReplaceAll(bytes, "{host}", request.HostForLinks());

    const QueryParams params(request.query);
    if (params.Find("loop")) {
        // Sent back to the same address, without end.
        response.SetText(302, "moved\n");
        const std::string scheme = request.secure ? "https://" : "http://";
        response.SetHeader("Location", scheme + request.HostForLinks() + request.target);
        return true;
    }
    if (AnswerBadly(params, bytes, response)) return true;
    long long slow = 0, drop = -1;
    if (const std::string* value = params.Find("slow"); value && !ParseBoundedInt(*value, 0, kMaxDelayMilliseconds, slow))
        return response.SetText(400, "slow must be 0 to 30000\n"), true;
    if (const std::string* value = params.Find("drop"); value && !ParseBoundedInt(*value, 0, 1LL << 40, drop))
        return response.SetText(400, "drop must be a number\n"), true;

    response.SetText(200, std::string(), "application/octet-stream");
    auto body = std::make_shared<std::string>(std::move(bytes));
    response.stream.length = body->size();
    if (drop >= 0) response.stream.stopAt = static_cast<uint64_t>(drop);
    response.stream.pieceBytes = slow > 0 ? 1024 : 0;
    response.stream.fill = [body, slow, &stop](uint64_t offset, char* out, size_t count) {
        if (slow > 0) stop.SleepFor(static_cast<int>(slow));
        std::memcpy(out, body->data() + offset, count);
    };
    return true;
}

}  // namespace tessel::service
