// The banded dialogs moved to a monitor of another resolution under Wine: WM_DPICHANGED is sent
// from inside the dialog's modal loop as the system sends it (the new resolution in wParam, the
// suggested window rectangle in lParam), and the dialog is read back by what it shows: its
// rectangle, its controls' places, the height of its fonts, its pictures and the white top band
// on the screen. Back at the first resolution everything is where it was.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "calendar/service_hosts.h"
#include "dialogs/win32_settings_dialog.h"
#include "support/temp_folder.h"
#include "ui/profile.h"
#include "win32/win32_dpi.h"
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

    RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    POINT origin{0, 0};
    ClientToScreen(d, &origin);
    const RECT area{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    const e2e::Image shot = e2e::CaptureScreen(area);
    // Down the client's right edge, past the product label: white until the band's etched line.
    const int x = shot.Width - 4;
    while (!shot.Empty() && look.WhiteBand < shot.Height && e2e::Near(shot.At(x, look.WhiteBand), RGB(255, 255, 255)))
        ++look.WhiteBand;
    return look;
}

// The system's suggestion: the client scaled, with the frame around it (which Wine draws at one
// size whatever the resolution).
RECT Suggested(HWND d, const Look& at, int from, int to) {
    RECT r{0, 0, MulDiv(at.Client.cx, to, from), MulDiv(at.Client.cy, to, from)};
    AdjustWindowRectEx(&r, DWORD(GetWindowLongPtrW(d, GWL_STYLE)), FALSE, DWORD(GetWindowLongPtrW(d, GWL_EXSTYLE)));
    OffsetRect(&r, at.Window.left - r.left, at.Window.top - r.top);
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
                  suggested = Suggested(d, before, base, scaled);
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

INSTANTIATE_TEST_SUITE_P(OptionsAndAbout, DialogDpi, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "About" : "Options"; });

}  // namespace
}  // namespace tessel::testing
