#pragma once
// TSettingFm, "Options": the modal dialog for start with Windows, the calendar's transparency
// and the sync interval, which also serves as the About box (the version, a picture and the
// home page link). Its rules are in settings_dialog_logic.h; this class shows them.
#include <windows.h>

#include <memory>
#include <string>

#include "dialogs/settings_dialog_logic.h"
#include "dialogs/win32_banded_dialog.h"

namespace tessel {

class TProfile;
struct ServiceHosts;

// The start-up entry in the registry: the value "Tessel Desktop" under the current user's Run
// key, whose data is the program file's path. Failures are swallowed.
class TRegistryStartupEntry final : public IStartupEntry {
public:
    static constexpr char16_t kRunKey[] = u"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    static constexpr char16_t kValueName[] = u"Tessel Desktop";
    void Write(const std::u16string& programPath) override;
    void Remove() override;
};

class TSettingFm final : public TBandedDialog {
public:
    // The controls' identifiers; tests find the controls by them.
    enum ControlId : int {
        kToolButton1 = 1101,
        kToolButton3 = 1102,
        kStartupCheck = 1110,
        kTranBar1 = 1111,
        kPercentLabel = 1112,
        kIntervalEd = 1113,
        kIntervalSpin = 1114,
        kEventDaysEd = 1115,
        kEventDaysSpin = 1116,
        kVersionLabel = 1120,
        kImage1 = 1121,
        kHomeLabel = 1122,
        kSaveBtn = IDOK,
        kCancelbtn = IDCANCEL,
    };
    static constexpr SIZE kClientSize{460, 357};

    // startup null: the registry's entry. mainWindow gives the icon of the top band; may be null.
    TSettingFm(TProfile& profile, const ServiceHosts& hosts, HWND mainWindow, IStartupEntry* startup = nullptr);
    ~TSettingFm() override;

    // The About box: the About page, the Save button as a centred "OK", no Cancel, no tool bar.
    // Call before ShowModal.
    void SetAboutForm() { about_ = true; }

protected:
    SIZE ClientSize() const override { return kClientSize; }
    const wchar_t* Caption() const override { return L"Options"; }
    void FormCreate() override;
    void Command(int id, int code, HWND control) override;
    void HScroll(HWND control) override;
    HBRUSH StaticBrush(HWND control, HDC dc) override;
    bool SetCursorFor(HWND control) override;
    void DpiChanged() override;

private:
    void SetAboutArt();
    HWND AddSpin(int editId, int spinId, const TSpinRange& range, int32_t value, int x, int y, bool onPage);
    void ReloadProfile();
    void FillControls();
    void TranBar1Change();
    void SaveBtnClick();
    void HomelabelClick();

    TProfile& profile_;
    const ServiceHosts& hosts_;
    HWND mainWindow_;
    TRegistryStartupEntry registry_;
    IStartupEntry& startup_;
    bool about_ = false;
    win32::BitmapHandle picture_;
    win32::FontHandle linkFont_;
};

}  // namespace tessel
