#include "update/update_info.h"

#include <cctype>

#include "base/strict_int.h"
#include "base/text.h"

namespace tessel::update {
namespace {

// The file with a lower-cased copy for the searches.
class InfoText {
public:
    explicit InfoText(std::string_view info) : text_(info), lowered_(LowerAscii(text_)) {}

    // The position just after "#" + key + "=" + opening (any letter case), or npos.
    size_t KeyEnd(std::string_view key, std::string_view opening = "") const {
        // Built by appending: the cross compiler's string copy check misreads "#" + a temporary.
        std::string needle = "#";
        needle += LowerAscii(key);
        needle += '=';
        needle += opening;
        const size_t at = lowered_.find(needle);
        return at == std::string::npos ? at : at + needle.size();
    }
    bool Value(std::string_view key, std::string& value) const {
        const size_t start = KeyEnd(key);
        if (start == std::string::npos) return false;
        size_t end = start;
        while (end < text_.size() && static_cast<unsigned char>(text_[end]) >= 0x20) ++end;
        value.assign(text_.substr(start, end - start));
        return !value.empty();
    }
    bool Message(std::string& message) const {
        const size_t start = KeyEnd("message", "{");
        if (start == std::string::npos) return false;
        const size_t end = text_.find('}', start);
        message.assign(text_.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        return true;
    }

private:
    std::string_view text_;
    std::string lowered_;
};

std::vector<DownloadItem> DownloadListOf(const InfoText& info);

bool IsHex(const std::string& text) {
    if (text.size() != 64) return false;
    for (char c : text)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

std::vector<DownloadItem> DownloadListOf(const InfoText& info) {
    std::vector<DownloadItem> list;
    auto take = [&](const std::string& suffix) {
        // One more than the limit is looked for, so that a list over it is known to be.
        if (list.size() > kMaxDownloads) return false;
        DownloadItem item;
        if (!info.Value("url" + suffix, item.Url)) return false;
        std::string digest;
        if (info.Value("sha256" + suffix, digest)) item.Sha256 = LowerAscii(Trim(digest));
        // A digest that is not one is kept as it is, so the download fails the check.
        if (!item.Sha256.empty() && !IsHex(item.Sha256)) item.Sha256 = "invalid:" + item.Sha256;
        list.push_back(std::move(item));
        return true;
    };
    take("");
    take("0");
    // Each further number is the count found so far plus one, so "url" with "url1" tries "url2".
    for (size_t n = list.size() + 1; take(std::to_string(n)); ++n) {
    }
    return list;
}

}  // namespace

UpdateInfo ParseUpdateInfo(std::string_view info) {
    UpdateInfo result;
    if (info.size() > kMaxInfoFileSize) {
        result.Problem = "the file is larger than " + std::to_string(kMaxInfoFileSize) + " bytes";
        return result;
    }
    const InfoText text(info);
    text.Value("date", result.Date);
    text.Value("version", result.Version);
    text.Value("setupparams", result.SetupParams);
    text.Message(result.Message);
    std::string method;
    if (text.Value("method", method)) {
        if (method[0] == '1') result.Method = TUpgradeMethod::umUseExternalSetup;
        if (method[0] == '2') result.Method = TUpgradeMethod::umRedirectToURL;
    }
    result.Files = DownloadListOf(text);
    if (result.Files.size() > kMaxDownloads) {
        result.Files.clear();
        result.Problem = "the file lists more than " + std::to_string(kMaxDownloads) + " addresses";
    }
    return result;
}

TDateTime VersionDateValue(std::string_view text, TDateTime today) {
    const size_t first = text.find('/');
    const size_t second = first == std::string_view::npos ? first : text.find('/', first + 1);
    if (second == std::string_view::npos) return today;
    int32_t month = 0, day = 0, year = 0;
    TDateTime date = 0;
    if (TryStrToInt(Trim(text.substr(0, first)), month) &&
        TryStrToInt(Trim(text.substr(first + 1, second - first - 1)), day) &&
        TryStrToInt(Trim(text.substr(second + 1)), year) && TryEncodeDate(year, month, day, date))
        return date;
    return today;
}

bool IsNewerRelease(const UpdateInfo& info, std::string_view versionDate, TDateTime today) {
    today = DateOf(today);
    return VersionDateValue(versionDate, today) < VersionDateValue(info.Date, today) && !info.Files.empty();
}

}  // namespace tessel::update
