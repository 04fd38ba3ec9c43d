// tessel-tool update-info FILE [--version-date MM/DD/YYYY] [--today YYYY-MM-DD]: what the update
// check reads from an update-information file, for whoever publishes one. One line per value, a
// name, a TAB and the value:
//   date, version, method (0, 1 or 2), message, one url per address in download order, newer
// newer is "yes" when the check would offer the release to a build of the given version date
// (default: this build's) on the given day (default: today). A file the check refuses whole (too
// large, too many addresses) prints a "refused" line with the reason instead of its values, then
// "newer no", and the tool ends with status 1. CR, LF and backslash in a value print as \r, \n
// and \\.
#include <cstdio>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/date_time.h"
#include "command.h"
#include "update/update_info.h"

namespace {

std::string Escaped(const std::string& value) {
    std::string out;
    for (char c : value) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\\') out += "\\\\";
        else out += c;
    }
    return out;
}

int RunUpdateInfo(const std::vector<std::string>& args) {
    std::string file, versionDate = tessel::update::kVersionDate, todayText;
    for (size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == "--version-date" || args[i] == "--today") && i + 1 < args.size()) {
            (args[i] == "--today" ? todayText : versionDate) = args[i + 1];
            ++i;
        } else if (file.empty() && args[i].rfind("--", 0) != 0) {
            file = args[i];
        } else {
            throw tessel::tool::UsageError();
        }
    }
    if (file.empty()) throw tessel::tool::UsageError();
    tessel::TDateTime today = tessel::SystemClock().Now();
    if (!todayText.empty() && (todayText.size() != 10 || !tessel::TryParseDateTimeText(todayText, today)))
        throw tessel::tool::UsageError();

    const tessel::update::UpdateInfo info = tessel::update::ParseUpdateInfo(tessel::tool::ReadInputFile(file));
    std::string out;
    auto line = [&](const char* name, const std::string& value) { out += std::string(name) + '\t' + Escaped(value) + '\n'; };
    if (!info.Problem.empty()) {
        line("refused", info.Problem);
        line("newer", "no");
        std::fwrite(out.data(), 1, out.size(), stdout);
        return 1;
    }
    line("date", info.Date);
    line("version", info.Version);
    line("method", std::to_string(static_cast<int>(info.Method)));
    line("message", info.Message);
    for (const auto& item : info.Files) line("url", item.Url);
    line("newer", tessel::update::IsNewerRelease(info, versionDate, today) ? "yes" : "no");
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

const tessel::tool::Registration kUpdateInfo{
    "update-info", "update-info FILE [--version-date MM/DD/YYYY] [--today YYYY-MM-DD]", RunUpdateInfo};

}  // namespace
