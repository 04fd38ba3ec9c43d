#include "update/runner_plan.h"

#include <algorithm>

#include "base/text.h"
#include "update/download_names.h"

namespace tessel::update {
namespace {

struct Replaced {
    std::u16string Target;
    bool HadOld;
};

void RollBack(IInstallFiles& files, const std::vector<Replaced>& done) {
    for (auto it = done.rbegin(); it != done.rend(); ++it) {
        if (it->HadOld) files.Replace(it->Target + kBackupSuffix, it->Target);
        else files.Remove(it->Target);
    }
}

}  // namespace

std::u16string RunnerCommandLine(const std::u16string& runnerPath, const std::u16string& programPath,
                                 const std::u16string& restartParams, TUpgradeMethod method) {
    return runnerPath + u" " + programPath + u" +" + restartParams + static_cast<char16_t>(u'0' + int(method));
}

bool ParseRunnerCommandLine(std::u16string_view line, std::u16string_view runnerPath, RunnerCommand& command) {
    // The system may have quoted the runner's own path.
    if (!line.empty() && line.front() == u'"') {
        const size_t close = line.find(u'"', 1);
        if (close == std::u16string_view::npos) return false;
        line.remove_prefix(close + 1);
    } else if (line.size() >= runnerPath.size() && SameTextAscii(line.substr(0, runnerPath.size()), runnerPath)) {
        line.remove_prefix(runnerPath.size());
    } else {
        line.remove_prefix(std::min(line.size(), line.find(u' ')));
    }
    if (line.empty() || line.front() != u' ') return false;
    line.remove_prefix(1);
    const size_t plus = line.rfind(u" +");
    if (plus == std::u16string_view::npos || plus == 0) return false;
    std::u16string_view params = line.substr(plus + 2);
    while (!params.empty() && (params.back() == u' ' || params.back() == u'\r' || params.back() == u'\n'))
        params.remove_suffix(1);
    if (params.empty() || params.back() < u'0' || params.back() > u'2') return false;
    command.ProgramPath.assign(line.substr(0, plus));
    command.Method = static_cast<TUpgradeMethod>(params.back() - u'0');
    command.RestartParams.assign(params.substr(0, params.size() - 1));
    return true;
}

std::vector<std::u16string> InstallOrder(std::vector<std::u16string> downloads, std::u16string_view setupName) {
    std::sort(downloads.begin(), downloads.end());
    if (setupName.empty()) return downloads;
    const std::u16string setup = std::u16string(setupName) + kDownloadSuffix;
    const auto found = std::find_if(downloads.begin(), downloads.end(),
                                    [&](const std::u16string& name) { return SameTextAscii(name, setup); });
    if (found != downloads.end()) std::rotate(downloads.begin(), found, found + 1);
    return downloads;
}

InstallResult InstallDownloads(IInstallFiles& files, const std::u16string& folder,
                               const std::vector<std::u16string>& downloads) {
    InstallResult result;
    std::vector<Replaced> done;
    const std::u16string_view suffix = kDownloadSuffix;
    for (size_t i = 0; i < downloads.size(); ++i) {
        const std::u16string& download = downloads[i];
        const std::u16string source = folder + download;
        const std::u16string name =
            EndsWithNoCase(download, suffix) ? download.substr(0, download.size() - suffix.size()) : u"";
        if (!IsSafeFileName(name)) {
            files.Remove(source);
            continue;
        }
        const std::u16string target = folder + name;
        const bool hadOld = files.Exists(target);
        const bool ok = (!hadOld || files.Copy(target, target + kBackupSuffix)) && files.Replace(source, target);
        if (!ok) {
            RollBack(files, done);
            for (size_t j = i; j < downloads.size(); ++j) files.Remove(folder + downloads[j]);
            // A copy that could not be put back stays as the only old copy.
            if (hadOld) files.Remove(target + kBackupSuffix);
            result.Ok = false;
            result.Failed = target;
            result.Installed.clear();
            return result;
        }
        done.push_back({target, hadOld});
        result.Installed.push_back(target);
    }
    for (const auto& r : done)
        if (r.HadOld) files.Remove(r.Target + kBackupSuffix);
    return result;
}

}  // namespace tessel::update
