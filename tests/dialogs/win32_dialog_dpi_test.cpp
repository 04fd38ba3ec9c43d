// The banded dialogs moved to a monitor of another resolution under Wine: WM_DPICHANGED is sent
// from inside the dialog's modal loop as the system sends it (the new resolution in wParam, the
// suggested window rectangle in lParam), and the dialog is read back by what it shows: its
// rectangle, its controls' places, the height of its fonts, its pictures and the white top band
// on the screen. Back at the first resolution everything is where it was.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "base/clock.h"
#include "base/text.h"
#include "calendar/account.h"
#include "calendar/balloon_sink.h"
#include "calendar/calendar.h"
#include "calendar/http.h"
#include "calendar/locale_format.h"
#include "calendar/service_hosts.h"
#include "calendar/subscriptions.h"
#include "dialogs/win32_account_dialog.h"
#include "dialogs/win32_settings_dialog.h"
#include "support/temp_folder.h"
#include "ui/profile.h"
#include "win32/win32_dpi.h"
#include "win32/win32_handles.h"
#include "win32/win32_text.h"
#include "win32_dialog_driver.h"

namespace tessel::testing {
namespace {

using Fm = TSettingFm;

// What the dialog shows at one resolution.
struct Look {
    RECT Window{};
    SIZE Client{};
    RECT Save{};  // in client coordinates
    int FontHeight = 0;
    int ProductFontHeight = 0;
    int ToolImage = 0;
    SIZE Picture{};
    int WhiteBand = 0;  // the top band's height on the screen
};

int FontHeightOf(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return std::abs(font.lfHeight);
}

Look LookOf(HWND d) {
    Look look;
    GetWindowRect(d, &look.Window);
    RECT client{};
    GetClientRect(d, &client);
    look.Client = SIZE{client.right, client.bottom};
    GetWindowRect(GetDlgItem(d, Fm::kSaveBtn), &look.Save);
    MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&look.Save), 2);
    look.FontHeight = FontHeightOf(GetDlgItem(d, Fm::kSaveBtn));
    look.ProductFontHeight = FontHeightOf(GetDlgItem(d, TBandedDialog::kProductLabelId));
    int cx = 0, cy = 0;
    const auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(GetDlgItem(d, TBandedDialog::kToolBarId),
                                                                   TB_GETIMAGELIST, 0, 0));
    if (images && ImageList_GetIconSize(images, &cx, &cy)) look.ToolImage = cx;
    BITMAP picture{};
    const auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(GetDlgItem(d, Fm::kImage1), STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (bitmap && GetObjectW(bitmap, sizeof picture, &picture)) look.Picture = SIZE{picture.bmWidth, picture.bmHeight};

    POINT origin{0, 0};
    ClientToScreen(d, &origin);
    const RECT area{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    // The X server shows a window's new pixels a moment after it painted them: read again until
    // the band is there, for a second at most.
    for (int attempt = 0; attempt < 20 && look.WhiteBand == 0; ++attempt) {
        if (attempt > 0) Sleep(50);
        RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        const e2e::Image shot = e2e::CaptureScreen(area);
        // Down the client's right edge, past the product label: white until the band's etched line.
        const int x = shot.Width - 4;
        while (!shot.Empty() && look.WhiteBand < shot.Height &&
               e2e::Near(shot.At(x, look.WhiteBand), RGB(255, 255, 255)))
            ++look.WhiteBand;
    }
    return look;
}

// The system's suggestion: the client scaled, with the frame around it (which Wine draws at one
// size whatever the resolution).
RECT Suggested(HWND d, int from, int to) {
    RECT window{}, client{};
    GetWindowRect(d, &window);
    GetClientRect(d, &client);
    RECT r{0, 0, MulDiv(client.right, to, from), MulDiv(client.bottom, to, from)};
    AdjustWindowRectEx(&r, DWORD(GetWindowLongPtrW(d, GWL_STYLE)), FALSE, DWORD(GetWindowLongPtrW(d, GWL_EXSTYLE)));
    OffsetRect(&r, window.left - r.left, window.top - r.top);
    return r;
}

void ChangeDpi(HWND d, int dpi, const RECT& suggested) {
    SendMessageW(d, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

class DialogDpi : public ::testing::TestWithParam<bool> {
protected:
    TempFolder folder;
    TProfile profile{folder.Folder()};
    ServiceHosts hosts{"service.test", "accounts.test", "maker.test"};
};

// The options dialog (the General page, with the tool bar) and the About box (the picture, the
// one centred OK) at 1.5 times the resolution and back.
TEST_P(DialogDpi, ADpiChangeLaysTheDialogOutAgainAtTheSuggestedRectangle) {
    const bool about = GetParam();
    Fm dialog(profile, hosts, nullptr);
    if (about) dialog.SetAboutForm();
    const int base = win32::WindowDpi(nullptr);
    const int scaled = base * 3 / 2;
    Look before, after, back;
    RECT suggested{};
    DialogScript script;
    script.Then("painted", Pause(std::chrono::milliseconds(200)))
        .Then("at 1.5 times the resolution",
              [&](HWND d) {
                  before = LookOf(d);
                  suggested = Suggested(d, base, scaled);
                  ChangeDpi(d, scaled, suggested);
                  after = LookOf(d);
                  SaveScreenshot(d, about ? "about-dpi-changed" : "options-dpi-changed");
                  return true;
              })
        .Then("back", [&](HWND d) {
            ChangeDpi(d, base, before.Window);
            back = LookOf(d);
            Press(d, VK_ESCAPE);
            return true;
        });
    EXPECT_EQ(script.Run(dialog), IDCANCEL) << script.Unfinished();

    EXPECT_TRUE(EqualRect(&after.Window, &suggested));
    const auto grown = [](int value, int at96, int slack, const char* what) {
        EXPECT_NEAR(value, at96 * 1.5, slack) << what << ": " << at96 << " before";
    };
    grown(after.Client.cx, before.Client.cx, 3, "client width");
    grown(after.Client.cy, before.Client.cy, 3, "client height");
    grown(after.Save.left, before.Save.left, 2, "Save's left");
    grown(after.Save.top, before.Save.top, 2, "Save's top");
    grown(after.Save.right - after.Save.left, before.Save.right - before.Save.left, 2, "Save's width");
    grown(after.FontHeight, before.FontHeight, 1, "dialog font");
    grown(after.ProductFontHeight, before.ProductFontHeight, 1, "product font");
    grown(after.WhiteBand, before.WhiteBand, 2, "white top band");
    grown(after.Picture.cx, before.Picture.cx, 1, "About picture's width");
    grown(after.Picture.cy, before.Picture.cy, 1, "About picture's height");
    grown(after.ToolImage, before.ToolImage, 1, "tool bar images");

    EXPECT_TRUE(EqualRect(&back.Window, &before.Window));
    EXPECT_TRUE(EqualRect(&back.Save, &before.Save));
    EXPECT_EQ(back.FontHeight, before.FontHeight);
    EXPECT_EQ(back.WhiteBand, before.WhiteBand);
    EXPECT_EQ(back.Picture.cx, before.Picture.cx);
}

class NoBalloons final : public IBalloonSink {
public:
    void ShowBalloon(const std::u16string&, const std::u16string&, int) override {}
};

class AccountDialogDpi : public ::testing::Test {
protected:
    TempFolder folder;
    THttp http;
    FixedClock clock{0};
    DefaultLocaleFormat locale;
    NoBalloons balloons;
    ServiceHosts hosts;
    TAccount account{folder.Folder()};
    TCalendar calendar{http, &account, clock, hosts, folder.Folder(), 0};
    TSubscriptions subscriptions{folder.Folder()};
};

// The account dialog with its message panel up (a sync of the main window is running, so the
// second page is refused with a text): the panel and the calendar list's column follow the
// resolution.
TEST_F(AccountDialogDpi, TheMessagePanelAndTheListColumnFollowTheResolution) {
    // An account, so that the calendars page would sign in and is refused while the sync runs.
    account.SetCredentials("ana@example.org", "secret");
    calendar.Syncing = true;
    TAccountFm dialog(account, subscriptions, calendar, http, hosts, nullptr);
    const int base = win32::WindowDpi(nullptr);
    RECT panelBefore{}, panelAfter{}, nextBefore{}, nextAfter{};
    int columnBefore = 0, columnAfter = 0, fontBefore = 0, fontAfter = 0;
    const auto read = [](HWND d, RECT& panel, RECT& next, int& column, int& font) {
        GetWindowRect(GetDlgItem(d, TAccountFm::kMsgPanel), &panel);
        GetWindowRect(GetDlgItem(d, TAccountFm::kNextBtn), &next);
        column = ListView_GetColumnWidth(GetDlgItem(d, TAccountFm::kListView1), 0);
        font = FontHeightOf(GetDlgItem(d, TAccountFm::kUserEd));
    };
    DialogScript script;
    script.Then("painted", Pause(std::chrono::milliseconds(200)))
        .Then("calendars asked for", [](HWND d) {
            ClickTool(d, TAccountFm::kCalendarBtn);
            return true;
        })
        .Then("refused with a text", [](HWND d) { return IsWindowVisible(GetDlgItem(d, TAccountFm::kMsgPanel)) != FALSE; })
        .Then("at 1.5 times the resolution", [&](HWND d) {
            read(d, panelBefore, nextBefore, columnBefore, fontBefore);
            ChangeDpi(d, base * 3 / 2, Suggested(d, base, base * 3 / 2));
            read(d, panelAfter, nextAfter, columnAfter, fontAfter);
            SaveScreenshot(d, "account-dpi-changed");
            Press(d, VK_ESCAPE);
            return true;
        });
    script.Run(dialog);
    EXPECT_EQ(script.Unfinished(), "");
    EXPECT_TRUE(IsRectEmpty(&panelAfter) == FALSE);
    EXPECT_NEAR(panelAfter.right - panelAfter.left, (panelBefore.right - panelBefore.left) * 1.5, 2);
    EXPECT_NEAR(panelAfter.bottom - panelAfter.top, (panelBefore.bottom - panelBefore.top) * 1.5, 4)
        << "the panel is as high as its text in the new font";
    EXPECT_NEAR(nextAfter.right - nextAfter.left, (nextBefore.right - nextBefore.left) * 1.5, 2);
    EXPECT_NEAR(columnAfter, columnBefore * 1.5, 1);
    EXPECT_NEAR(fontAfter, fontBefore * 1.5, 1);
}

// The tool bar draws a caption centred in its button less an edge on either side, a pixel further
// right while the button is checked, and clips the rest: the caption's letters (its blanks may be
// clipped) must fit there, in the tool bar's font, at the first resolution and at 1.5 times it.
TEST_F(AccountDialogDpi, TheLeftBandsCaptionsFitTheirButtons) {
    TAccountFm dialog(account, subscriptions, calendar, http, hosts, nullptr);
    const int base = win32::WindowDpi(nullptr);
    const auto expectFit = [](HWND d, int dpi) {
        HWND bar = GetDlgItem(d, TBandedDialog::kToolBarId);
        win32::WindowDc dc(bar);
        win32::SelectGuard font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(bar, WM_GETFONT, 0, 0)));
        EXPECT_GE(FontHeightOf(bar), FontHeightOf(GetDlgItem(d, TAccountFm::kUserEd)) * 3 / 4) << dpi << " DPI";
        const int count = int(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0));
        EXPECT_EQ(count, 2);
        for (int i = 0; i < count; ++i) {
            TBBUTTON button{};
            RECT rect{};
            wchar_t text[64] = {};
            SendMessageW(bar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
            SendMessageW(bar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rect));
            SendMessageW(bar, TB_GETBUTTONTEXTW, button.idCommand, reinterpret_cast<LPARAM>(text));
            const std::u16string letters = Trim(win32::FromW(text));
            SIZE size{};
            GetTextExtentPoint32W(dc.get(), win32::W(letters), int(letters.size()), &size);
            EXPECT_LE(size.cx, rect.right - rect.left - 2 * GetSystemMetrics(SM_CXEDGE) - 1)
                << Narrow(letters) << " at " << dpi << " DPI";
        }
    };
    DialogScript script;
    script.Then("painted", Pause(std::chrono::milliseconds(200))).Then("measured", [&](HWND d) {
        for (const int dpi : {base, base * 3 / 2}) {
            if (dpi != base) ChangeDpi(d, dpi, Suggested(d, base, dpi));
            expectFit(d, dpi);
        }
        Press(d, VK_ESCAPE);
        return true;
    });
    EXPECT_EQ(script.Run(dialog), IDCANCEL) << script.Unfinished();
}

INSTANTIATE_TEST_SUITE_P(OptionsAndAbout, DialogDpi, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "About" : "Options"; });

}  // namespace
}  // namespace tessel::testing
