#pragma once
// The upgrade runner's work, apart from the operating system: its command line, and putting the
// downloaded files in place with a way back.
//
// The checker starts the runner with its own path, the program's path and "+" + the restart
// parameters + the method digit, joined by single blanks ("C:\T\Upgrader3.exe C:\P\tessel.exe
// +/afterupgrade0"). Paths may hold blanks, so the line is read from both ends: the runner knows
// its own path, and the last word starting with "+" is the parameter word.
//
// Each downloaded "name.uTMP" in the program's folder replaces "name": the old file is first
// copied to "name.uBAK", then the download is renamed over it (one atomic rename, so a crash
// leaves the old file or the new one). When any replacement fails, every file already replaced
// is put back from its copy, files that did not exist before are removed again, and the
// remaining downloads are deleted: the program is left as it was. For the external-setup method
// the setup is the file of the information file's first address, which the runner then runs.
#include <string>
#include <string_view>
#include <vector>

#include "update/update_info.h"

namespace tessel::update {

struct RunnerCommand {
    std::u16string ProgramPath;
    std::u16string RestartParams;
    TUpgradeMethod Method = TUpgradeMethod::umSelfUpgrade;
};

std::u16string RunnerCommandLine(const std::u16string& runnerPath, const std::u16string& programPath,
                                 const std::u16string& restartParams, TUpgradeMethod method);
// false when the line does not have the runner's form.
bool ParseRunnerCommandLine(std::u16string_view commandLine, std::u16string_view runnerPath, RunnerCommand& command);

// The file operations the installation needs; each answers whether it succeeded.
class IInstallFiles {
public:
    virtual ~IInstallFiles() = default;
    virtual bool Exists(const std::u16string& path) = 0;
    virtual bool Copy(const std::u16string& from, const std::u16string& to) = 0;
    // Renames from over to, replacing it in one step.
    virtual bool Replace(const std::u16string& from, const std::u16string& to) = 0;
    virtual bool Remove(const std::u16string& path) = 0;
};

struct InstallResult {
    bool Ok = true;
    std::vector<std::u16string> Installed;  // full paths, in order
    std::u16string Failed;                  // the file whose replacement failed
};

// For the external-setup method the checker names the setup (the file of the first address) in
// this environment variable of the runner, and the setup's parameters in the second.
inline constexpr char16_t kSetupVariable[] = u"TESSEL_UPGRADE_SETUP";
inline constexpr char16_t kSetupParamsVariable[] = u"TESSEL_UPGRADE_SETUP_PARAMS";

// The downloads in the order they are installed: the setup's download (setupName + ".uTMP", in
// any letter case) first when there is one, the others after it sorted by name.
std::vector<std::u16string> InstallOrder(std::vector<std::u16string> downloads, std::u16string_view setupName);

// folder ends with a separator; downloads are the names found in it that end in ".uTMP". Names
// that are not safe file names are deleted and not installed.
InstallResult InstallDownloads(IInstallFiles& files, const std::u16string& folder,
                               const std::vector<std::u16string>& downloads);

}  // namespace tessel::update
