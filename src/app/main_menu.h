#pragma once
// The main pop-up menu: its entries in order with their captions and command identifiers.
// The identifiers are also how tests drive the window (WM_COMMAND).
#include <array>
#include <cstdint>

namespace tessel {

enum MainCommand : uint16_t {
    kCmdShowCalendar = 101,  // Showm
    kCmdSync = 102,          // UpdateCanlendar1
    kCmdGotoCalendar = 103,  // GotoCalendar1
    kCmdAccount = 104,       // GmailAccount1
    kCmdOptions = 105,       // Options1
    kCmdHelp = 106,          // Help1
    kCmdCheckUpdate = 107,   // CheckUpdate1
    kCmdAbout = 108,         // About1
    kCmdExit = 109,          // Exit1
};

struct MainMenuEntry {
    uint16_t Command;  // 0 for a separator
    const char16_t* Caption;
};

inline constexpr std::array<MainMenuEntry, 13> kMainMenu{{
    {kCmdShowCalendar, u"Show Canlendar"},
    {0, u"-"},
    {kCmdSync, u"Sync Canlendar"},
    {kCmdGotoCalendar, u"Go to Web Calendar"},
    {0, u"-"},
    {kCmdAccount, u"Gmail Account ..."},
    {kCmdOptions, u"&Options ..."},
    {0, u"-"},
    {kCmdHelp, u"&Help"},
    {kCmdCheckUpdate, u"Check Update"},
    {kCmdAbout, u"&About"},
    {0, u"-"},
    {kCmdExit, u"&Exit"},
}};

}  // namespace tessel
