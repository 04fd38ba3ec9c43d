#pragma once
// TauAutoUpgrader: the update check behind "Check Update". It fetches the information file,
// decides by date whether a newer release exists, asks, downloads the listed files beside the
// program as NAME.uTMP with the wizard showing progress, and hands over to the upgrade runner
// (the resource AUUPG, written to the temporary folder as "Upgrader3.exe"), which puts the files
// in place and starts the program again. Transfers run in a worker thread; everything else runs
// on the user-interface thread, driven by the messages the worker posts to a hidden window.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "update/update_info.h"
#include "update/upgrader_texts.h"
#include "win32/win32_window.h"

namespace tessel {
class IClock;
}

namespace tessel::update {

class TauCustomHTTP;
class TauAutoUpgraderWizardForm;

// The situations reported to the user; the others pass silently.
enum TUpgraderMessage : unsigned {
    mAskUpgrade = 1,
    mConnLost = 2,
    mHostUnreachable = 4,
    mLostFile = 8,
    mNoUpdateAvailable = 16,
    mNoInfoFile = 32,
};

inline constexpr wchar_t kRunnerResource[] = L"AUUPG";
inline constexpr wchar_t kRunnerFileName[] = L"Upgrader3.exe";
// A downloaded file may be no larger than this.
inline constexpr uint64_t kMaxDownloadBytes = 256ull * 1024 * 1024;

class TauAutoUpgrader final : public win32::Window {
public:
    std::string InfoFileURL;
    std::string VersionDate = kVersionDate;
    unsigned ShowMessages = mAskUpgrade | mConnLost | mLostFile | mNoUpdateAvailable;
    std::u16string RestartParams = u"/afterupgrade";
    std::u16string AppTitle = u"Tessel Desktop";
    // Today's date for the comparison; the machine's clock when not set.
    const IClock* Clock = nullptr;
    // Called after the runner has started: the program closes its main form and ends.
    std::function<void()> OnHandOver;

    // Deletes a runner left in the temporary folder by the last upgrade.
    explicit TauAutoUpgrader(HWND owner);
    ~TauAutoUpgrader() override;

    // Starts the check unless one is already running; returns at once.
    void CheckUpdate();
    bool Busy() const { return state_ != State::Idle; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    enum class State { Idle, FetchingInfo, Asking, Downloading, HandingOver };

    void InfoFetched();
    void StartNextFile();
    void FileFetched();
    void FileFailed(unsigned long code);
    void Abort();
    void HandOver();
    void ShowMessage(TUpgraderMessage which, const char16_t* text);
    void ShowRefusedInfo(const std::string& problem);
    void DeleteDownloads();

    HWND owner_;
    const UpgraderTexts& texts_;
    std::u16string programPath_;
    std::u16string programFolder_;
    State state_ = State::Idle;
    UpdateInfo info_;
    size_t fileIndex_ = 0;
    size_t filesReceived_ = 0;
    bool firstReceived_ = false;
    DWORD fileStarted_ = 0;
    std::unique_ptr<TauCustomHTTP> http_;
    std::unique_ptr<TauAutoUpgraderWizardForm> wizard_;
};

// The temporary folder's copy of the runner.
std::u16string RunnerTempPath();

}  // namespace tessel::update
