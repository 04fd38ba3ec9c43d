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
