#pragma once
// TAddAddressFm, "Add address": the small modal dialog of the account dialog's "Add address…"
// button. The user gives a calendar's address (https, http, webcal, or a file picked with
// Browse…), a title (left empty, the calendar's own name is taken) and a colour (a preset, or
// any colour through the system's colour picker). OK fetches the address once: a failure stays
// on the dialog's message panel and the dialog stays open; a calendar that came closes it with
// the subscription in Added(). The address is shown in this dialog only.
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
        kOkBtn = IDOK,
        kCancelBtn = IDCANCEL,
    };
    static constexpr SIZE kClientSize{420, 250};
    // The colour list's item data of its last item, which opens the colour picker.
    static constexpr LPARAM kMoreColors = -1;

    // existing: the subscriptions the calendars page lists (an address among them is refused);
    // color: the colour selected at the start.
    TAddAddressFm(THttp& http, std::vector<TSubscription> existing, TColor color);

    // The subscription to add, once the dialog ended with OK.
    const TSubscription& Added() const { return added_; }
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
    TSubscription added_;
    TMessagePanel msgpanel_;
    COLORREF customColors_[16] = {};
    bool checking_ = false;
};

}  // namespace tessel
