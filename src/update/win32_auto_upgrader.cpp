// The checker's states: idle, fetching the information file, asking, downloading file i of n,
// handing over. An abort (the wizard's button, or "no" to skipping a file) removes the wizard
// and every partial or finished download and returns to idle. The wizard is freed through a
// posted message, because an abort arrives from inside the wizard's own window procedure.
#include "update/win32_auto_upgrader.h"

#include <shellapi.h>

#include "base/clock.h"
#include "base/errors.h"
#include "base/file_io.h"
#include "base/text.h"
#include "update/download_names.h"
#include "update/runner_plan.h"
#include "update/transfer_figures.h"
#include "update/win32_update_transfer.h"
#include "update/win32_upgrade_question.h"
#include "update/win32_upgrade_wizard.h"
#include "win32/win32_text.h"

namespace tessel::update {

namespace {

using win32::W;

constexpr UINT kFreeWizard = WM_APP + 0x53;
constexpr wchar_t kMessageWindowClass[] = L"TauAutoUpgraderMessages";
// The information file must arrive within this time.
constexpr DWORD kInfoDeadlineMs = 60000;

}  // namespace

std::u16string RunnerTempPath() {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return {};
    return win32::FromW(folder) + win32::FromW(kRunnerFileName);
}

TauAutoUpgrader::TauAutoUpgrader(HWND owner)
    : owner_(owner), texts_(TextsForLanguage(GetSystemDefaultLangID())), programPath_(ExecutablePath()),
      programFolder_(FolderOf(programPath_)) {
    const wchar_t* cls = RegisterClassOnce(kMessageWindowClass, 0);
    Create(0, cls, L"", 0, 0, 0, 0, 0, HWND_MESSAGE);
    http_ = std::make_unique<TauCustomHTTP>(Handle());
    // The runner of the last upgrade has done its work by now.
    if (const std::u16string runner = RunnerTempPath(); !runner.empty()) DeleteFileW(W(runner));
}

TauAutoUpgrader::~TauAutoUpgrader() {
    // The program is ending: a transfer is stopped (not waited for) and an upgrade that was not
    // handed over leaves nothing of its downloads.
    http_.reset();
    if (state_ == State::Downloading) DeleteDownloads();
}

void TauAutoUpgrader::CheckUpdate() {
    if (state_ != State::Idle || http_->Busy() || InfoFileURL.empty()) return;
    TransferRequest request;
    request.Url = InfoFileURL;
    request.MaxBytes = kMaxInfoFileSize;
    request.DeadlineMs = kInfoDeadlineMs;
    if (http_->Start(std::move(request))) state_ = State::FetchingInfo;
}

LRESULT TauAutoUpgrader::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case kTransferDone:
        if (state_ == State::FetchingInfo) {
            // Busy until the answer is settled, so that a second "Check Update" arriving while a
            // message box or the question is open starts nothing.
            state_ = State::Asking;
            InfoFetched();
            if (state_ == State::Asking) state_ = State::Idle;
        } else if (state_ == State::Downloading) {
            FileFetched();
        }
        return 0;
    case kTransferProgress:
        if (state_ == State::Downloading && wizard_)
            wizard_->ShowFigures(ComputeTransferFigures(http_->Total(), http_->Received(), GetTickCount() - fileStarted_));
        return 0;
    case kFreeWizard:
        if (state_ != State::Downloading) wizard_.reset();
        return 0;
    default:
        return DefaultProc(msg, wp, lp);
    }
}

void TauAutoUpgrader::ShowMessage(TUpgraderMessage which, const char16_t* text) {
    if (ShowMessages & which) win32::ShowMessageBox(owner_, text, texts_.Caption, MB_OK | MB_ICONERROR);
}

void TauAutoUpgrader::ShowRefusedInfo(const std::string& problem) {
    // The server offers something this check cannot read: that is said whatever ShowMessages
    // holds, with the reason in the file's own terms.
    win32::ShowMessageBox(owner_, std::u16string(texts_.NoInfoFile) + u"\r\r(" + Widen(problem) + u")", texts_.Caption,
                          MB_OK | MB_ICONERROR);
}

void TauAutoUpgrader::InfoFetched() {
    const TransferResult& result = http_->Result();
    switch (result.Status) {
    case TransferStatus::Ok: break;
    case TransferStatus::HostUnreachable: return ShowMessage(mHostUnreachable, texts_.HostUnreachable);
    case TransferStatus::ConnectionLost: return ShowMessage(mConnLost, texts_.ConnLost);
    // An information file that came but is larger than any the check reads: it is not cut.
    case TransferStatus::Refused:
        return ShowRefusedInfo("the file is larger than " + std::to_string(kMaxInfoFileSize) + " bytes");
    default: return ShowMessage(mNoInfoFile, texts_.NoInfoFile);
    }
    info_ = ParseUpdateInfo(result.Body);
    if (!info_.Problem.empty()) return ShowRefusedInfo(info_.Problem);
    const TDateTime today = Clock ? Clock->Now() : SystemClock().Now();
    if (!IsNewerRelease(info_, VersionDate, today)) return ShowMessage(mNoUpdateAvailable, texts_.NoUpdateAvailable);

    if ((ShowMessages & mAskUpgrade) &&
        !AskUpgradeQuestion(owner_, texts_, AskUpgradeText(texts_, AppTitle, Widen(info_.Message))))
        return;
    if (info_.Method == TUpgradeMethod::umRedirectToURL) {
        // Only a web page is opened: the address comes from the network.
        if (IsWebAddress(info_.Files.front().Url))
            ShellExecuteW(owner_, L"open", W(Widen(info_.Files.front().Url)), nullptr, nullptr, SW_SHOWNORMAL);
        return;
    }
    DeleteDownloads();  // what an interrupted upgrade left behind must not be installed
    state_ = State::Downloading;
    fileIndex_ = 0;
    filesReceived_ = 0;
    firstReceived_ = false;
    wizard_ = std::make_unique<TauAutoUpgraderWizardForm>(texts_, [this] { Abort(); });
    wizard_->Show(owner_);
    StartNextFile();
}

void TauAutoUpgrader::StartNextFile() {
    if (fileIndex_ >= info_.Files.size()) return HandOver();
    const DownloadItem& item = info_.Files[fileIndex_];
    if (wizard_) wizard_->ShowFile(item.Url, static_cast<int>(fileIndex_ + 1), static_cast<int>(info_.Files.size()));
    std::u16string name;
    if (!DownloadFileName(item.Url, name)) return FileFailed(ERROR_INVALID_NAME);
    TransferRequest request;
    request.Url = item.Url;
    request.TargetFile = programFolder_ + name + kDownloadSuffix;
    request.Sha256 = item.Sha256;
    request.MaxBytes = kMaxDownloadBytes;
    fileStarted_ = GetTickCount();
    if (!http_->Start(std::move(request))) FileFailed(ERROR_BUSY);
}

void TauAutoUpgrader::FileFetched() {
    const TransferResult& result = http_->Result();
    if (result.Status == TransferStatus::Aborted) return;
    if (result.Status != TransferStatus::Ok) return FileFailed(result.ErrorCode);
    ++filesReceived_;
    if (fileIndex_ == 0) firstReceived_ = true;
    ++fileIndex_;
    StartNextFile();
}

void TauAutoUpgrader::FileFailed(unsigned long code) {
    const std::u16string text = FormatText(texts_.LostFile, {Widen(info_.Files[fileIndex_].Url)});
    const bool skip = (ShowMessages & mLostFile) &&
                      win32::ShowMessageBox(wizard_ ? wizard_->Handle() : owner_, text, FileErrorCaption(texts_, code),
                                            MB_YESNO | MB_ICONERROR) == IDYES;
    if (state_ != State::Downloading) return;  // aborted from the wizard meanwhile
    if (!skip) return Abort();
    ++fileIndex_;
    StartNextFile();
}

void TauAutoUpgrader::Abort() {
    if (state_ != State::Downloading) return;
    state_ = State::Idle;
    http_->Abort();
    if (wizard_) ShowWindow(wizard_->Handle(), SW_HIDE);
    PostMessageW(Handle(), kFreeWizard, 0, 0);
    // A running transfer removes its own partial file when it stops.
    DeleteDownloads();
}

void TauAutoUpgrader::DeleteDownloads() {
    WIN32_FIND_DATAW found;
    const std::u16string pattern = programFolder_ + u"*" + kDownloadSuffix;
    HANDLE search = FindFirstFileW(W(pattern), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW(W(programFolder_ + win32::FromW(found.cFileName)));
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void TauAutoUpgrader::HandOver() {
    // Every file was skipped, or the setup that the external-setup method runs: there is nothing
    // to install or run and no reason to restart.
    const bool externalSetup = info_.Method == TUpgradeMethod::umUseExternalSetup;
    if (filesReceived_ == 0 || (externalSetup && !firstReceived_)) return Abort();
    state_ = State::HandingOver;
    const std::u16string runner = RunnerTempPath();
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, kRunnerResource, MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    bool started = false;
    // The code the "Error #" caption shows: the failed call's own, read before anything else can
    // overwrite it.
    unsigned long code = bytes ? 0 : GetLastError();
    if (bytes && !runner.empty()) {
        try {
            WriteFileAtomic(runner, std::string_view(static_cast<const char*>(bytes), SizeofResource(module, resource)));
            std::u16string line = RunnerCommandLine(runner, programPath_, RestartParams, info_.Method);
            // The runner inherits the setup's name (the file of the first address) and parameters.
            std::u16string setup, params;
            if (externalSetup) {
                DownloadFileName(info_.Files.front().Url, setup);
                params = Widen(info_.SetupParams);
            }
            SetEnvironmentVariableW(W(std::u16string(kSetupVariable)), setup.empty() ? nullptr : W(setup));
            SetEnvironmentVariableW(W(std::u16string(kSetupParamsVariable)), params.empty() ? nullptr : W(params));
            STARTUPINFOW startup{sizeof startup};
            PROCESS_INFORMATION process{};
            started = CreateProcessW(W(runner), W(line), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                     &process) != FALSE;
            if (started) {
                CloseHandle(process.hThread);
                CloseHandle(process.hProcess);
            } else {
                code = GetLastError();
            }
        } catch (const EFileError& e) {
            code = e.Code;
        } catch (const std::exception&) {
        }
    }
    if (!started) {
        state_ = State::Downloading;
        win32::ShowMessageBox(owner_, FormatText(texts_.LostFile, {runner}), FileErrorCaption(texts_, code),
                              MB_OK | MB_ICONERROR);
        return Abort();
    }
    wizard_.reset();
    state_ = State::Idle;
    if (OnHandOver) OnHandOver();
}

}  // namespace tessel::update
