// The options dialog and the About box under Wine, driven from inside their modal loops: what
// the fields show for a profile.xml, and what profile.xml and the registry's Run value hold
// after Save, Esc and the About box's OK.
#include "dialogs/win32_settings_dialog.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "base/file_io.h"
#include "base/text.h"
#include "calendar/service_hosts.h"
#include "support/temp_folder.h"
#include "ui/profile.h"
#include "win32/win32_text.h"
#include "win32_dialog_driver.h"

namespace tessel::testing {
namespace {

using Fm = TSettingFm;

const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

std::optional<std::u16string> RunValue() {
    wchar_t data[1024] = {};
    DWORD bytes = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Tessel Desktop", RRF_RT_REG_SZ, nullptr, data, &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return win32::FromW(data);
}

void RemoveRunValue() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueW(key, L"Tessel Desktop");
    RegCloseKey(key);
}

std::u16string ThisProgram() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return win32::FromW(path);
}

class OptionsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveRunValue();
    }
    void TearDown() override { RemoveRunValue(); }

    void WriteProfile(const std::string& text) const { WriteFileAtomic(profile.FilePath(), text); }
    std::string Stored() const { return ReadFileBytes(profile.FilePath()); }
    std::string StoredValue(const char16_t* path) const {
        TxdataNode doc;
        doc.LoadFromBytes(Stored());
        return Narrow(doc.ReadValue(path));
    }

    TempFolder folder;
    TProfile profile{folder.Folder()};
    ServiceHosts hosts{"service.test", "accounts.test", "maker.test"};
};

// As the program writes it, so saving what it holds changes no byte.
constexpr char kProfile[] =
    "<profile>\r\n"
    "        <window left=\"0\" top=\"0\" height=\"0\" transparency=\"55\" visible=\"1\"/>\r\n"
    "        <update interval=\"3\" days=\"900\"/>\r\n"
    "        <run startup=\"0\"/>\r\n"
    "        <eventwindow left=\"0\" top=\"0\" height=\"0\" width=\"0\" visible=\"1\"/>\r\n"
    "</profile>\r\n";

TEST_F(OptionsDialog, FieldsShowTheFileEscChangesNothingAndSaveWritesFileAndRunValue) {
    WriteProfile(kProfile);
    {
        // Esc after changing fields: nothing reaches the file or the registry.
        Fm dialog(profile, hosts, nullptr);
        DialogScript script;
        script.Then("shown and changed, then Esc", [](HWND d) {
            EXPECT_EQ(WindowText(d), u"Options");
            EXPECT_EQ(IsDlgButtonChecked(d, Fm::kStartupCheck), UINT(BST_UNCHECKED));
            EXPECT_EQ(SendDlgItemMessageW(d, Fm::kTranBar1, TBM_GETPOS, 0, 0), 55);
            EXPECT_EQ(WindowText(GetDlgItem(d, Fm::kPercentLabel)), u"55%");
            EXPECT_EQ(WindowText(GetDlgItem(d, Fm::kIntervalEd)), u"5");     // 3 clamped
            EXPECT_EQ(WindowText(GetDlgItem(d, Fm::kEventDaysEd)), u"100");  // 900 clamped
            EXPECT_TRUE(Shown(d, Fm::kIntervalEd));
            EXPECT_FALSE(Shown(d, Fm::kEventDaysEd)) << "the events-in-days field is hidden";
            EXPECT_FALSE(Shown(d, Fm::kVersionLabel));
            Click(d, Fm::kStartupCheck);
            Type(d, Fm::kIntervalEd, L"45");
            SetFocus(GetDlgItem(d, Fm::kIntervalEd));
            Press(d, VK_ESCAPE);
            return true;
        });
        EXPECT_EQ(script.Run(dialog), IDCANCEL) << script.Unfinished();
        EXPECT_EQ(Stored(), kProfile);
        EXPECT_EQ(RunValue(), std::nullopt);
    }
    {
        Fm dialog(profile, hosts, nullptr);
        DialogScript script;
        script
            .Then("change every field",
                  [](HWND d) {
                      Click(d, Fm::kStartupCheck);
                      Type(d, Fm::kIntervalEd, L"45");
                      // The track bar moved with the keyboard to 7: the label keeps two places.
                      HWND bar = GetDlgItem(d, Fm::kTranBar1);
                      SendMessageW(bar, TBM_SETPOS, TRUE, 8);
                      SetFocus(bar);
                      Press(d, VK_LEFT);
                      return true;
                  })
            .Then("label follows", [](HWND d) {
                if (WindowText(GetDlgItem(d, Fm::kPercentLabel)) != u" 7%") return false;
                // The interval's arrow goes up by 5.
                SendDlgItemMessageW(d, Fm::kIntervalSpin, UDM_SETPOS32, 0, 45);
                PostMessageW(d, WM_NULL, 0, 0);
                return true;
            })
            .Then("painted", Pause(std::chrono::milliseconds(300)))
            .Then("save with Enter", [](HWND d) {
                SaveScreenshot(d, "options-general");
                SetFocus(GetDlgItem(d, Fm::kIntervalEd));
                Press(d, VK_RETURN);
                return true;
            });
        EXPECT_EQ(script.Run(dialog), IDOK) << script.Unfinished();
    }
    EXPECT_EQ(StoredValue(u"run/startup"), "1");
    EXPECT_EQ(StoredValue(u"update/interval"), "45");
    EXPECT_EQ(StoredValue(u"update/days"), "100");
    EXPECT_EQ(StoredValue(u"window/transparency"), "7");
    EXPECT_EQ(profile.UpdateInterval, 45);
    EXPECT_EQ(profile.Transparency, 7);
    EXPECT_EQ(RunValue(), ThisProgram());

    // Unticked again: the value goes, and the file says 0.
    Fm dialog(profile, hosts, nullptr);
    DialogScript script;
    script.Then("untick and save", [](HWND d) {
        EXPECT_EQ(IsDlgButtonChecked(d, Fm::kStartupCheck), UINT(BST_CHECKED));
        Click(d, Fm::kStartupCheck);
        Click(d, Fm::kSaveBtn);
        return true;
    });
    EXPECT_EQ(script.Run(dialog), IDOK) << script.Unfinished();
    EXPECT_EQ(StoredValue(u"run/startup"), "0");
    EXPECT_EQ(RunValue(), std::nullopt);
}

TEST_F(OptionsDialog, AboutBoxShowsVersionAndPictureWithOneCentredOkThatSavesTheSame) {
    WriteProfile(kProfile);
    Fm dialog(profile, hosts, nullptr);
    dialog.SetAboutForm();
    DialogScript script;
    script
        .Then("about page",
              [](HWND d) {
                  EXPECT_TRUE(Shown(d, Fm::kVersionLabel));
                  EXPECT_TRUE(Shown(d, Fm::kImage1));
                  EXPECT_EQ(WindowText(GetDlgItem(d, Fm::kHomeLabel)), u"http://maker.test");
                  EXPECT_FALSE(Shown(d, Fm::kStartupCheck));
                  EXPECT_FALSE(Shown(d, Fm::kCancelbtn));
                  EXPECT_FALSE(Shown(d, TBandedDialog::kToolBarId));
                  HWND ok = GetDlgItem(d, Fm::kSaveBtn);
                  EXPECT_EQ(WindowText(ok), u"OK");
                  EXPECT_TRUE(IsWindowVisible(ok));
                  EXPECT_EQ(WindowText(GetDlgItem(d, Fm::kVersionLabel)), u"Version :1.0.0.0");
                  RECT r;
                  GetWindowRect(ok, &r);
                  MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&r), 2);
                  EXPECT_EQ(r.left, (460 - (r.right - r.left)) / 2);
                  RECT client;
                  GetClientRect(d, &client);
                  EXPECT_EQ(client.right, 460);
                  EXPECT_EQ(client.bottom, 357);
                  return true;
              })
        .Then("painted", Pause(std::chrono::milliseconds(300)))
        .Then("ok with Enter", [](HWND d) {
            SaveScreenshot(d, "about");
            Press(d, VK_RETURN);
            return true;
        });
    EXPECT_EQ(script.Run(dialog), IDOK) << script.Unfinished();
    // The same settings, rewritten: 3 and 900 went in clamped, as the fields showed them.
    EXPECT_EQ(StoredValue(u"update/interval"), "5");
    EXPECT_EQ(StoredValue(u"update/days"), "100");
    EXPECT_EQ(StoredValue(u"window/transparency"), "55");
    EXPECT_EQ(StoredValue(u"run/startup"), "0");
    EXPECT_EQ(RunValue(), std::nullopt);
}

TEST_F(OptionsDialog, ProfileWithoutRunAndUpdateShowsDefaultsAndSavesQuietlyAndWhole) {
    WriteProfile("<profile>\r\n  <window left=\"0\" top=\"0\" height=\"0\" transparency=\"70\" visible=\"1\"/>\r\n"
                 "</profile>\r\n");
    Fm dialog(profile, hosts, nullptr);
    DialogScript script;
    script.Then("defaults, then save", [](HWND d) {
        EXPECT_FALSE(MessageBoxOver(d)) << "an error was shown";
        EXPECT_EQ(IsDlgButtonChecked(d, Fm::kStartupCheck), UINT(BST_UNCHECKED));
        EXPECT_EQ(WindowText(GetDlgItem(d, Fm::kIntervalEd)), u"10");
        EXPECT_EQ(SendDlgItemMessageW(d, Fm::kTranBar1, TBM_GETPOS, 0, 0), 70);
        Click(d, Fm::kSaveBtn);
        return true;
    });
    EXPECT_EQ(script.Run(dialog), IDOK) << script.Unfinished();
    TxdataNode doc;
    doc.LoadFromBytes(Stored());
    // The file written is whole: the missing elements hold what the fields showed.
    EXPECT_EQ(Narrow(doc.ReadValue(u"run/startup")), "0");
    EXPECT_EQ(Narrow(doc.ReadValue(u"update/interval")), "10");
    EXPECT_EQ(Narrow(doc.ReadValue(u"update/days")), "7");
    EXPECT_EQ(Narrow(doc.ReadValue(u"window/transparency")), "70");
}

}  // namespace
}  // namespace tessel::testing
