#pragma once
// The update-information file the maker publishes beside each release, and the decision whether
// it offers a newer release than this build.
//
// The file is 8-bit text. A value is found by searching the whole file, in any letter case, for
// "#" + key + "=" wherever it stands; it runs to the first control character. The message is the
// text between "#message={" and the next "}", line breaks included. Keys: url, url0, url1...
// (the download list), date (m/d/yyyy), version, message, method ("1" external setup, "2"
// redirect to the first address, anything else self-upgrade), setupparams (what the external
// setup is run with, e.g. "/S" for a silent install) and, per address, an optional sha256 key with
// the same suffix as its url key ("sha2561" belongs to "url1").
#include <string>
#include <string_view>
#include <vector>

#include "base/date_time.h"

namespace tessel::update {

enum class TUpgradeMethod { umSelfUpgrade = 0, umUseExternalSetup = 1, umRedirectToURL = 2 };

// The release date of this build, month/day/year.
inline constexpr char kVersionDate[] = "10/05/2009";

// A larger information file is refused whole: the program, which does not fetch more than this,
// and the tool, which reads it, both say so rather than read part of it.
inline constexpr size_t kMaxInfoFileSize = 256 * 1024;

// A file that lists more addresses than this is refused whole, as a partial upgrade would leave
// the program with a mix of old and new files.
inline constexpr size_t kMaxDownloads = 100;

struct DownloadItem {
    std::string Url;
    std::string Sha256;  // lower-case hex, empty when the file gives none
};

struct UpdateInfo {
    std::string Date;
    std::string Version;
    std::string Message;
    TUpgradeMethod Method = TUpgradeMethod::umSelfUpgrade;
    std::string SetupParams;
    std::vector<DownloadItem> Files;
    // Why the file was refused (too large, too many addresses), in English; empty when it was
    // read. A refused file offers nothing to fetch.
    std::string Problem;
};

// Each "#key=" value runs to the first control character; a key missing or empty leaves its field
// empty. The message is the text of "#message={...}", to the end of the file without a closing
// "}". The files: url, then url0, then url(k+1), url(k+2)... while present, k being the count
// already found, each with the sha256 of the same suffix. A file over kMaxInfoFileSize bytes or
// with more than kMaxDownloads addresses gives only the Problem.
UpdateInfo ParseUpdateInfo(std::string_view info);

// A month/day/year text split at its first two "/"; a text that does not make a date gives today.
TDateTime VersionDateValue(std::string_view text, TDateTime today);
// A newer release: this build's date is earlier than the file's and there is something to fetch.
bool IsNewerRelease(const UpdateInfo& info, std::string_view versionDate, TDateTime today);

}  // namespace tessel::update
