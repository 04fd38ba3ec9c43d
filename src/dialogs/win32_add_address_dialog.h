#pragma once
// TAddAddressFm, "Add address": the small modal dialog of the account dialog's "Add address…"
// button. The user gives a calendar's address (https, http, webcal, or a file picked with
// Browse…) or a CalDAV server's (a bare host will do), a title (left empty, the calendar's own
// name is taken) and a colour (a preset, or any colour through the system's colour picker), and
// for a server that asks, a user name and password. OK tries the address once: a failure, or a
// server that asks for a password not given, stays on the dialog's message panel and the dialog
// stays open; a calendar file that came closes it with the subscription in Added(), a server's
// calendars with the account in AddedAccount(). The address is shown in this dialog only.
#include <windows.h>

#include <string>
#include <vector>

#include "base/colors.h"
#include "calendar/subscriptions.h"
#include "dialogs/win32_dialog.h"
#include "dialogs/win32_message_panel.h"

namespace tessel {

class THttp;

class TAddAddressFm final : public TDialog {
public:
    enum ControlId : int {
        kAddressEd = 1201,
        kBrowseBtn = 1202,
        kTitleEd = 1203,
        kColorCb = 1204,
        kMsgPanel = 1205,
        kUserEd = 1206,
        kPassEd = 1207,
        kOkBtn = IDOK,
        kCancelBtn = IDCANCEL,
    };
    static constexpr SIZE kClientSize{420, 316};
    // The colour list's item data of its last item, which opens the colour picker.
    static constexpr LPARAM kMoreColors = -1;

    // existing: the subscriptions the calendars page lists (an address among them is refused);
    // color: the colour selected at the start; used: the colours the page's calendars have.
    TAddAddressFm(THttp& http, std::vector<TSubscription> existing, TColor color, std::vector<TColor> used = {});

    // What to add once the dialog ended with OK: a subscription, or (with calendars) an account.
    const TSubscription& Added() const { return added_; }
    const TDavAccount& AddedAccount() const { return addedAccount_; }
    // The one fetch of the address is running (the transport may let messages run meanwhile).
    bool Checking() const { return checking_; }
    TColor SelectedColor() const { return color_; }

protected:
    SIZE ClientSize() const override { return kClientSize; }
    const wchar_t* Caption() const override { return L"Add address"; }
    void FormCreate() override;
    void Command(int id, int code, HWND control) override;
    bool FormCloseQuery() override { return !checking_; }
    bool MeasureItem(MEASUREITEMSTRUCT& item) override;
    bool DrawItem(const DRAWITEMSTRUCT& item) override;

private:
    void OkClick();
    void BrowseClick();
    void ColorChosen();
    // Selects the colour's item, adding a "Custom" item before the last one when no preset has it.
    void SelectColor(TColor color);
    void ShowPanel(const std::string& text);

    THttp& http_;
    std::vector<TSubscription> existing_;
    TColor color_;
    std::vector<TColor> used_;
    TSubscription added_;
    TDavAccount addedAccount_;
    TMessagePanel msgpanel_;
    COLORREF customColors_[16] = {};
    bool checking_ = false;
};

}  // namespace tessel
