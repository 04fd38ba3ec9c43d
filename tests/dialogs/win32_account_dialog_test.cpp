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
#include "calendar/subscriptions.h"
#include "dialogs/win32_add_address_dialog.h"
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

// The "Add address" dialog open over the account dialog, or null.
HWND AddDialogOver(HWND dialog) {
    HWND over = MessageBoxOver(dialog);
    return over && GetDlgItem(over, TAddAddressFm::kAddressEd) ? over : nullptr;
}

std::vector<std::u16string> Rows(HWND list) {
    std::vector<std::u16string> rows;
    for (int i = 0; i < ListView_GetItemCount(list); ++i) rows.push_back(RowText(list, i));
    return rows;
}

std::vector<bool> Ticks(HWND list) {
    std::vector<bool> ticks;
    for (int i = 0; i < ListView_GetItemCount(list); ++i) ticks.push_back(ListView_GetCheckState(list, i) != FALSE);
    return ticks;
}

void Select(HWND list, int row) {
    ListView_SetItemState(list, row, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
}

// A calendar file as a provider publishes it, calling itself name.
std::string CalendarFile(const std::string& name) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Tessel tests//EN\r\nX-WR-CALNAME:" + name +
           "\r\nBEGIN:VEVENT\r\nUID:away-1@tests\r\nDTSTAMP:20100101T000000Z\r\nDTSTART;VALUE=DATE:20100115\r\n"
           "DTEND;VALUE=DATE:20100116\r\nSUMMARY:Away day\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
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
        clear.Send(THttpRequest{.Url = service.HttpUrl("/test/fault/clear")});
    }

    void Use(const std::string& host) {
        hosts.Service = host;
        hosts.Certificate = service.certificate;
        calendar = std::make_unique<TCalendar>(http, &account, clock, hosts, folder.Folder(), 0);
        account.SetClient(calendar.get());
        calendar->OnStatus = [this](TCalendar&, const std::string& text) { mainStatuses.push_back(text); };
    }

    void ArmFault(const std::string& query) {
        THttp control;
        ASSERT_TRUE(control.Send(THttpRequest{.Url = service.HttpUrl("/test/fault?" + query)}).Ok());
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
    TSubscriptions subscriptions{folder.Folder()};
    std::unique_ptr<TCalendar> calendar;
    std::vector<std::string> mainStatuses;
};

TEST_F(AccountDialog, SignsInListsEveryCalendarTickedAndSavesTheTickedOnes) {
    Fm dialog(account, subscriptions, *calendar, http, hosts, nullptr);
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

// Without a name there is no account to sign in to: the calendars page asks nothing of the
// service and says nothing failed.
TEST_F(AccountDialog, BlankNameIsRefusedAndThenOnlySaveCloses) {
    Fm dialog(account, subscriptions, *calendar, http, hosts, nullptr);
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
        .Then("no sign-in", [&](HWND d) {
            if (dialog.Connecting() || dialog.Logic().CurrentPage() != TAccountDialogLogic::kCalendarPage) return false;
            EXPECT_FALSE(Shown(d, Fm::kMsgPanel)) << Narrow(WindowText(GetDlgItem(d, Fm::kMsgPanel)));
            EXPECT_EQ(ListView_GetItemCount(GetDlgItem(d, Fm::kListView1)), 0);
            EXPECT_EQ(calendar->CalendarEntries, nullptr) << "the client signed in";
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
        Fm dialog(account, subscriptions, *calendar, http, hosts, nullptr);
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
    Fm dialog(account, subscriptions, *calendar, http, hosts, nullptr);
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

// "Add address…" on the calendars page: what cannot be a calendar stays on the small dialog's
// panel with the dialog open; a calendar file comes in as a row after the service's calendars,
// named by itself, ticked, in the colour chosen with the keys; Save writes it beside account.xml.
TEST_F(AccountDialog, AddsAnAddressAfterTheServicesCalendarsInItsColourAndSavesIt) {
    const std::u16string good = folder.File(u"team.ics");
    const std::u16string page = folder.File(u"portal.ics");
    WriteFileAtomic(good, CalendarFile("Team holidays"));
    WriteFileAtomic(page, "<!DOCTYPE html><html><head><title>Sign in</title></head><body>Sign in</body></html>");
    struct Bad {
        const char* name;
        std::u16string address;
        std::string panelHas;
    };
    const Bad bad[] = {
        {"nothing typed", u"", kAddressEmptyText},
        {"no calendar's scheme", u"ftp://127.0.0.1/private-token/basic.ics", ""},
        {"a file that is not there", folder.File(u"gone-private-token.ics"), ""},
        {"a web page", page, "The calendar could not be added:"},
    };
    const TColor chosen = SubscriptionPresetColors()[1].Color;
    Fm dialog(account, subscriptions, *calendar, http, hosts, nullptr);
    DialogScript script;
    std::vector<std::u16string> panels;
    std::vector<std::u16string> rows;
    std::vector<bool> ticks;
    double swatchShare = 0;
    SignIn(script, dialog, L"demo@localhost", L"demo").Then("add", [](HWND d) {
        HWND list = GetDlgItem(d, Fm::kListView1);
        EXPECT_EQ(ListView_GetItemCount(list), 4);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, Fm::kRemoveBtn))) << "a service calendar cannot be removed";
        ListView_SetCheckState(list, 1, FALSE);  // "Home" unticked; the list made again keeps that
        Click(d, Fm::kAddAddressBtn);
        return true;
    });
    for (const Bad& b : bad) {
        script
            .Then(std::string("type ") + b.name,
                  [&b](HWND d) {
                      HWND add = AddDialogOver(d);
                      if (!add) return false;
                      Type(add, TAddAddressFm::kAddressEd, win32::W(b.address));
                      Click(add, TAddAddressFm::kOkBtn);
                      return true;
                  })
            .Then(std::string("told ") + b.name, [&](HWND d) {
                HWND add = AddDialogOver(d);
                EXPECT_NE(add, nullptr) << "the dialog closed";
                if (!add) return true;
                HWND panel = GetDlgItem(add, TAddAddressFm::kMsgPanel);
                if (!IsWindowVisible(panel)) return false;
                panels.push_back(WindowText(panel));
                if (std::string(b.name) == "a web page") SaveScreenshot(add, "add-address-failed");
                return true;
            });
    }
    script
        .Then("a calendar file, a colour with the keys",
              [&](HWND d) {
                  HWND add = AddDialogOver(d);
                  Type(add, TAddAddressFm::kAddressEd, win32::W(good));
                  Type(add, TAddAddressFm::kTitleEd, L"");
                  SetFocus(GetDlgItem(add, TAddAddressFm::kColorCb));
                  Press(add, VK_DOWN);
                  return true;
              })
        .Then("shot", [&](HWND d) {
            SaveScreenshot(AddDialogOver(d), "add-address");
            Click(AddDialogOver(d), TAddAddressFm::kOkBtn);
            return true;
        })
        .Then("listed", [&](HWND d) {
            HWND list = GetDlgItem(d, Fm::kListView1);
            if (AddDialogOver(d) || ListView_GetItemCount(list) != 5) return false;
            rows = Rows(list);
            ticks = Ticks(list);
            EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 4);
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, Fm::kRemoveBtn)));
            RECT icon{};
            ListView_GetItemRect(list, 4, &icon, LVIR_ICON);
            MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&icon), 2);
            RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            const e2e::Image image = e2e::CaptureScreen(icon);
            swatchShare = e2e::ShareNear(image, RECT{0, 0, image.Width, image.Height}, COLORREF(chosen));
            SaveScreenshot(d, "account-4-subscription");
            Click(d, Fm::kSaveBtn);
            return true;
        });
    EXPECT_EQ(script.Run(dialog), IDOK) << script.Unfinished();
    ASSERT_EQ(panels.size(), std::size(bad));
    for (size_t i = 0; i < panels.size(); ++i) {
        SCOPED_TRACE(bad[i].name);
        const std::string panel = Utf16ToUtf8(panels[i]);
        EXPECT_FALSE(panel.empty());
        EXPECT_NE(panel.find(bad[i].panelHas), std::string::npos) << panel;
        EXPECT_EQ(panel.find("private-token"), std::string::npos) << "the address is shown in full: " << panel;
    }
    EXPECT_EQ(rows, (std::vector<std::u16string>{u"Work", u"Home", u"Birthdays & Holidays", u"Caf\u00e9 & Termine",
                                                 u"Team holidays"}));
    EXPECT_EQ(ticks, (std::vector<bool>{true, false, true, true, true}));
    EXPECT_GT(swatchShare, 0.2) << "the row's swatch is not in the chosen colour";

    TSubscriptions saved(folder.Folder());
    saved.Load();
    ASSERT_EQ(saved.Items.size(), 1u);
    EXPECT_EQ(saved.Items[0].Address, Utf16ToUtf8(good));
    EXPECT_EQ(saved.Items[0].Title, "Team holidays");
    EXPECT_EQ(saved.Items[0].Color, chosen);
    EXPECT_TRUE(saved.Items[0].Shown);
    EXPECT_EQ(SavedIds(*Saved()).size(), 3u);
}

// A user without an account: Next goes on with the subscriptions, the account page's "Add
// address…" leads to the calendars page, Remove and Del take rows out, and no sign-in is ever
// tried (the service's address answers nothing, which a sign-in would report).
TEST_F(AccountDialog, SubscriptionsAloneNeedNoAccountAndRemoveTakesThemOut) {
    Use("127.0.0.1:1");
    for (const char16_t* name : {u"a.ics", u"b.ics", u"c.ics"})
        WriteFileAtomic(folder.File(name), CalendarFile("File " + Utf16ToUtf8(name)));
    subscriptions.Items = {{Utf16ToUtf8(folder.File(u"a.ics")), "A", 0x4F9E2E, true},
                           {Utf16ToUtf8(folder.File(u"b.ics")), "B", 0x3A43D0, false}};
    Fm dialog(account, subscriptions, *calendar, http, hosts, nullptr);
    DialogScript script;
    std::vector<std::u16string> afterAdd, afterRemove, afterDelete;
    std::vector<bool> ticksAfterAdd;
    bool panelEver = false;
    const auto watchPanel = [&](HWND d) { panelEver = panelEver || Shown(d, Fm::kMsgPanel); };
    script
        .Then("next without a name",
              [](HWND d) {
                  Click(d, Fm::kNextBtn);
                  return true;
              })
        .Then("calendars without asking", [&](HWND d) {
            EXPECT_EQ(MessageBoxOver(d), nullptr) << "Username is empty! came";
            if (dialog.Logic().CurrentPage() != TAccountDialogLogic::kCalendarPage) return false;
            watchPanel(d);
            EXPECT_EQ(Rows(GetDlgItem(d, Fm::kListView1)), (std::vector<std::u16string>{u"A", u"B"}));
            ClickTool(d, Fm::kAccountbtn);
            return true;
        })
        .Then("add from the account page", [&](HWND d) {
            if (!Shown(d, Fm::kAddressOnlyBtn)) return false;
            Click(d, Fm::kAddressOnlyBtn);
            return true;
        })
        // The address typed is the file's path; the title typed wins over the file's own name.
        .Then("address and title",
              [&](HWND d) {
                  HWND add = AddDialogOver(d);
                  if (!add) return false;
                  Type(add, TAddAddressFm::kAddressEd, win32::W(folder.File(u"c.ics")));
                  Type(add, TAddAddressFm::kTitleEd, L"Mine");
                  SetFocus(GetDlgItem(add, TAddAddressFm::kTitleEd));
                  Press(add, VK_RETURN);
                  return true;
              })
        .Then("on the calendars page", [&](HWND d) {
            HWND list = GetDlgItem(d, Fm::kListView1);
            if (AddDialogOver(d) || dialog.Logic().CurrentPage() != TAccountDialogLogic::kCalendarPage ||
                ListView_GetItemCount(list) != 3)
                return false;
            watchPanel(d);
            afterAdd = Rows(list);
            ticksAfterAdd = Ticks(list);
            Select(list, 0);
            Click(d, Fm::kRemoveBtn);
            return true;
        })
        .Then("removed", [&](HWND d) {
            HWND list = GetDlgItem(d, Fm::kListView1);
            if (ListView_GetItemCount(list) != 2) return false;
            afterRemove = Rows(list);
            Select(list, 1);
            SetFocus(list);
            Press(d, VK_DELETE);
            return true;
        })
        .Then("deleted", [&](HWND d) {
            HWND list = GetDlgItem(d, Fm::kListView1);
            if (ListView_GetItemCount(list) != 1) return false;
            afterDelete = Rows(list);
            ListView_SetCheckState(list, 0, TRUE);
            watchPanel(d);
            Click(d, Fm::kSaveBtn);
            return true;
        });
    EXPECT_EQ(script.Run(dialog), IDOK) << script.Unfinished();
    EXPECT_EQ(afterAdd, (std::vector<std::u16string>{u"A", u"B", u"Mine"}));
    EXPECT_EQ(ticksAfterAdd, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(afterRemove, (std::vector<std::u16string>{u"B", u"Mine"}));
    EXPECT_EQ(afterDelete, (std::vector<std::u16string>{u"B"}));
    EXPECT_FALSE(panelEver) << "the panel told of a sign-in";
    EXPECT_EQ(calendar->CalendarEntries, nullptr) << "the client signed in";

    TSubscriptions saved(folder.Folder());
    saved.Load();
    ASSERT_EQ(saved.Items.size(), 1u);
    EXPECT_EQ(saved.Items[0].Title, "B");
    EXPECT_TRUE(saved.Items[0].Shown);
    const auto savedAccount = Saved();
    EXPECT_EQ(savedAccount->UserName, "");
    EXPECT_TRUE(SavedIds(*savedAccount).empty());
}

// The program ending asks the open dialog to close, again and again until it goes: "Add address"
// goes first, then the account dialog, with nothing saved.
TEST_F(AccountDialog, AClosingRequestFromOutsideEndsAddAddressFirst) {
    Fm dialog(account, subscriptions, *calendar, http, hosts, nullptr);
    DialogScript script;
    bool accountStayed = false;
    script
        .Then("add",
              [](HWND d) {
                  Click(d, Fm::kAddressOnlyBtn);
                  return true;
              })
        .Then("asked to close", [](HWND d) {
            if (!AddDialogOver(d)) return false;
            PostMessageW(d, WM_CLOSE, 0, 0);
            return true;
        })
        .Then("add address gone", [&](HWND d) {
            if (AddDialogOver(d)) return false;
            accountStayed = IsWindowVisible(d) != FALSE;
            PostMessageW(d, WM_CLOSE, 0, 0);
            return true;
        });
    EXPECT_EQ(script.Run(dialog), IDCANCEL) << script.Unfinished();
    EXPECT_TRUE(accountStayed);
    EXPECT_FALSE(FileExists(subscriptions.FilePath()));
    EXPECT_FALSE(FileExists(account.FilePath()));
}

}  // namespace
}  // namespace tessel::testing
