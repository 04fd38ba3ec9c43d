#pragma once
// TauAutoUpgraderWizardForm: the download progress window. It shows the address being fetched,
// "Downloading i of n", the file's size, the transfer rate, the estimated time left and a
// progress bar; its abort button (and closing it) calls back into the checker.
#include <windows.h>

#include <functional>
#include <string>

#include "update/transfer_figures.h"
#include "update/upgrader_texts.h"
#include "win32/win32_window.h"

namespace tessel::update {

inline constexpr wchar_t kWizardClass[] = L"TauAutoUpgraderWizardForm";

class TauAutoUpgraderWizardForm final : public win32::Window {
public:
    TauAutoUpgraderWizardForm(const UpgraderTexts& texts, std::function<void()> onAbort)
        : texts_(texts), onAbort_(std::move(onAbort)) {}

    bool Show(HWND owner);
    void ShowFile(const std::string& url, int number, int count);
    void ShowFigures(const TransferFigures& figures);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    HWND Label(int index) const { return labels_[index]; }
    void SetText(HWND control, const std::u16string& text);

    const UpgraderTexts& texts_;
    std::function<void()> onAbort_;
    HWND labels_[5] = {};
    HWND progress_ = nullptr;
};

}  // namespace tessel::update
