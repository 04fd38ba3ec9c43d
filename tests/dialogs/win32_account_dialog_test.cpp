// The account dialog under Wine, driven from inside its modal loop against the local calendar
// service (demo data; the ctest fixture starts it): what the pages, buttons and message panel
// show, and what account.xml holds afterwards, read back through the account store.
#include "dialogs/win32_account_dialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/file_io.h"
#include "base/text.h"
#include "calendar/account.h"
#include "calendar/balloon_sink.h"
#include "calendar/calendar.h"
#include "calendar/http.h"
#include "calendar/locale_format.h"
#include "calendar/service_hosts.h"
#include "support/loopback_service.h"
#include "support/temp_folder.h"
#include "win32/win32_text.h"
#include "win32_dialog_driver.h"

namespace tessel::testing {
namespace {

using Fm = TAccountFm;

class NoBalloons final : public IBalloonSink {
public:
    void ShowBalloon(const std::u16string&, const std::u16string&, int) override {}
};

std::u16string RowText(HWND list, int row) {
    wchar_t text[512] = {};
    ListView_GetItemText(list, row, 0, text, 512);
    return win32::FromW(text);
}

std::vector<std::string> SavedIds(const TAccount& account) {
    std::vector<std::string> ids;
    if (account.CalendarEntries)
        for (size_t i = 0; i < account.CalendarEntries->Count(); ++i)
            ids.push_back(Narrow(account.CalendarEntries->Node(i)->ReadValue(u"id")));
    return ids;
}

class AccountDialog : public ::testing::Test {
protected:
    void SetUp() override {
        service = FindLoopbackService();
        ASSERT_EQ(service.problem, "");
        Use("127.0.0.1:" + std::to_string(service.httpsPort));
        THttp clear;
        clear.Get(service.HttpUrl("/test/fault/clear"));
    }

    void Use(const std::string& host) {
        hosts.Service = host;
        calendar = std::make_unique<TCalendar>(http, &account, clock, locale, balloons, hosts, folder.Folder(), 0);
        account.SetClient(calendar.get());
        calendar->OnStatus = [this](TCalendar&, const std::string& text) { mainStatuses.push_back(text); };
    }

    void ArmFault(const std::string& query) {
        THttp control;
        ASSERT_TRUE(control.Get(service.HttpUrl("/test/fault?" + query))) << control.StatusCode;
    }

    std::unique_ptr<TAccount> Saved() const {
        auto saved = std::make_unique<TAccount>(folder.Folder());
        saved->Load();
        return saved;
    }

    // Name and password typed, then Enter on the first page: Next, and the sign-in.
    DialogScript& SignIn(DialogScript& script, Fm& dialog, const wchar_t* user, const wchar_t* password) {
        return script
            .Then("type",
                  [=](HWND d) {
                      Type(d, Fm::kUserEd, user);
                      Type(d, Fm::kPassEd, password);
                      SetFocus(GetDlgItem(d, Fm::kPassEd));
                      Press(d, VK_RETURN);
                      return true;
                  })
            .Then("signed in", [&dialog](HWND) {
                return dialog.Logic().CurrentPage() == TAccountDialogLogic::kCalendarPage && !dialog.Connecting();
            });
    }

    LoopbackService service;
    TempFolder folder;
    THttp http;
    FixedClock clock{EncodeDateTime(2010, 1, 13, 12, 0)};
    DefaultLocaleFormat locale;
    NoBalloons balloons;
    ServiceHosts hosts;
    TAccount account{folder.Folder()};
    std::unique_ptr<TCalendar> calendar;
    std::vector<std::string> mainStatuses;
};

TEST_F(AccountDialog, SignsInListsEveryCalendarTickedAndSavesTheTickedOnes) {
    Fm dialog(account, *calendar, hosts, nullptr);
    DialogScript script;
    std::vector<std::u16string> rows;
    bool allTicked = true;
    script.Then("painted", Pause(std::chrono::milliseconds(300))).Then("first page", [&](HWND d) {
        EXPECT_EQ(WindowText(d), u"Gmail Account");
        EXPECT_TRUE(Shown(d, Fm::kUserEd));
        EXPECT_TRUE(Shown(d, Fm::kNextBtn));
        EXPECT_FALSE(Shown(d, Fm::kSaveBtn));
        EXPECT_FALSE(Shown(d, Fm::kListView1));
        EXPECT_FALSE(Shown(d, Fm::kMsgPanel));
        EXPECT_EQ(GetFocus(), GetDlgItem(d, Fm::kUserEd));
        RECT client;
        GetClientRect(d, &client);
        EXPECT_EQ(client.right, 460);
        EXPECT_EQ(client.bottom, 359);
        SaveScreenshot(d, "account-1-user");
        return true;
    });
    SignIn(script, dialog, L"demo@localhost", L"demo")
        .Then("listed", [&](HWND d) {
            HWND list = GetDlgItem(d, Fm::kListView1);
            for (int i = 0; i < ListView_GetItemCount(list); ++i) {
                rows.push_back(RowText(list, i));
                allTicked = allTicked && ListView_GetCheckState(list, i);
            }
            EXPECT_TRUE(Shown(d, Fm::kSaveBtn));
            EXPECT_FALSE(Shown(d, Fm::kNextBtn));
            EXPECT_FALSE(Shown(d, Fm::kMsgPanel)) << Narrow(WindowText(GetDlgItem(d, Fm::kMsgPanel)));
            // The user unticks "Home" (the second row) and keeps the rest.
            ListView_SetCheckState(list, 1, FALSE);
            return true;
        })
        .Then("painted", Pause(std::chrono::milliseconds(300)))
        .Then("save with Enter", [&](HWND d) {
            SaveScreenshot(d, "account-2-calendars");
            SetFocus(GetDlgItem(d, Fm::kListView1));
            Press(d, VK_RETURN);
            return true;
        });
    EXPECT_EQ(script.Run(dialog), IDOK) << script.Unfinished();
    EXPECT_EQ(rows, (std::vector<std::u16string>{u"Work", u"Home", u"Birthdays & Holidays", u"Caf\u00e9 & Termine"}));
    EXPECT_TRUE(allTicked);

    const auto saved = Saved();
    EXPECT_EQ(saved->UserName, "demo@localhost");
    EXPECT_EQ(saved->Password, "demo");
    const std::vector<std::string> ids = SavedIds(*saved);
    ASSERT_EQ(ids.size(), 3u);
    EXPECT_NE(ids[0].find("/work"), std::string::npos);
    EXPECT_NE(ids[1].find("/days"), std::string::npos);
    EXPECT_NE(ids[2].find("/cafe"), std::string::npos);
    // The main window's status handler is back in place.
    calendar->ReportStatus("after");
    EXPECT_EQ(mainStatuses, std::vector<std::string>{"after"});
}

TEST_F(AccountDialog, BlankNameIsRefusedAndThenOnlySaveCloses) {
    Fm dialog(account, *calendar, hosts, nullptr);
    DialogScript script;
    std::u16string boxText;
    script
        .Then("next with blanks",
              [](HWND d) {
                  Type(d, Fm::kUserEd, L"   ");
                  Click(d, Fm::kNextBtn);
                  return true;
              })
        .Then("message box", [&](HWND d) {
            HWND box = MessageBoxOver(d);
            if (!box) return false;
            boxText = WindowText(GetDlgItem(box, 0xFFFF));
            EndDialog(box, IDOK);
            return true;
        })
        .Then("esc, cancel and the close box", [](HWND d) {
            Press(d, VK_ESCAPE);
            Click(d, Fm::kCancelbtn);
            PostMessageW(d, WM_CLOSE, 0, 0);
            return true;
        })
        .Then("still open", Pause(std::chrono::milliseconds(400)))
        .Then("calendars with the blank name", [&](HWND d) {
            EXPECT_TRUE(IsWindowVisible(d));
            EXPECT_EQ(dialog.Logic().CurrentPage(), TAccountDialogLogic::kAccountPage);
            ClickTool(d, Fm::kCalendarBtn);
            return true;
        })
        .Then("refused by the service", [&](HWND d) {
            if (dialog.Connecting() || dialog.Logic().CurrentPage() != TAccountDialogLogic::kCalendarPage) return false;
            EXPECT_TRUE(Shown(d, Fm::kMsgPanel));
            EXPECT_EQ(WindowText(GetDlgItem(d, Fm::kMsgPanel)), WithCrLf(Widen(kAccountAuthFailedText)));
            Click(d, Fm::kSaveBtn);
            return true;
        });
    EXPECT_EQ(script.Run(dialog), IDOK) << script.Unfinished();
    EXPECT_NE(boxText.find(u"Username is empty!"), std::u16string::npos) << Narrow(boxText);
    // Saved with an empty choice: the element is there, with no calendar in it.
    const auto saved = Saved();
    EXPECT_NE(saved->Doc.FindNode(u"Calendars"), nullptr);
    EXPECT_TRUE(SavedIds(*saved).empty());
}

TEST_F(AccountDialog, FailuresStayOnThePanelTheDialogStaysUsableAndNothingIsWritten) {
    struct Case {
        const char* name;
        const char* fault;  // armed on the service, or empty
        bool unreachable;
        const char* panelHas;
    };
    const Case cases[] = {
        {"wrong password", "", false, "Gmail Authenticate failed!"},
        {"403 on sign-in", "path=/accounts/ClientLogin&status=403", false, "Gmail Authenticate failed!"},
        {"garbage list", "path=/calendar/feeds/default/allcalendars&status=malformed", false, "sent no list"},
        {"service unreachable", "", true, "127.0.0.1:1 did not answer"},
    };
    const std::u16string keptUser = u"kept@localhost";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        account.SetCredentials(Narrow(keptUser), "kept");
        Use(c.unreachable ? "127.0.0.1:1" : "127.0.0.1:" + std::to_string(service.httpsPort));
        if (*c.fault) ArmFault(c.fault);
        Fm dialog(account, *calendar, hosts, nullptr);
        DialogScript script;
        std::u16string panel;
        SignIn(script, dialog, L"demo@localhost", *c.fault || c.unreachable ? L"demo" : L"wrong")
            .Then("failure shown",
                  [&](HWND d) {
                      panel = WindowText(GetDlgItem(d, Fm::kMsgPanel));
                      EXPECT_TRUE(Shown(d, Fm::kMsgPanel));
                      EXPECT_EQ(ListView_GetItemCount(GetDlgItem(d, Fm::kListView1)), 0);
                      if (std::string(c.name) == "service unreachable") SaveScreenshot(d, "account-3-unreachable");
                      ClickTool(d, Fm::kAccountbtn);
                      return true;
                  })
            .Then("back on the first page", [&](HWND d) {
                EXPECT_TRUE(Shown(d, Fm::kUserEd));
                EXPECT_TRUE(Shown(d, Fm::kNextBtn));
                EXPECT_FALSE(Shown(d, Fm::kMsgPanel));
                Click(d, Fm::kCancelbtn);
                return true;
            });
        EXPECT_EQ(script.Run(dialog), IDCANCEL) << script.Unfinished();
        EXPECT_FALSE(panel.empty());
        EXPECT_NE(Narrow(panel).find(c.panelHas), std::string::npos) << Narrow(panel);
        EXPECT_FALSE(FileExists(account.FilePath())) << "written before Save";
        // Cancel gave the store and the client what they had.
        EXPECT_EQ(account.UserName, Narrow(keptUser));
        EXPECT_EQ(calendar->UserName, Narrow(keptUser));
    }
}

TEST_F(AccountDialog, NoSignInStartsWhileTheMainWindowsSyncRuns) {
    calendar->Syncing = true;
    Fm dialog(account, *calendar, hosts, nullptr);
    DialogScript script;
    std::u16string panel;
    SignIn(script, dialog, L"demo@localhost", L"demo").Then("told to wait", [&](HWND d) {
        panel = WindowText(GetDlgItem(d, Fm::kMsgPanel));
        EXPECT_TRUE(Shown(d, Fm::kMsgPanel));
        EXPECT_EQ(ListView_GetItemCount(GetDlgItem(d, Fm::kListView1)), 0);
        Press(d, VK_ESCAPE);
        return true;
    });
    EXPECT_EQ(script.Run(dialog), IDCANCEL) << script.Unfinished();
    EXPECT_EQ(panel, WithCrLf(Widen(Fm::kSyncRunningText)));
    EXPECT_EQ(calendar->CalendarEntries, nullptr) << "the client signed in";
    EXPECT_EQ(account.UserName, "");
}

}  // namespace
}  // namespace tessel::testing
