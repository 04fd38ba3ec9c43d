// tessel-tool account FILE [--password]: what an account.xml holds, one field a line:
//   user<TAB>NAME, calendar<TAB>ID per selected calendar (cleaned as the client compares them),
//   and pass<TAB>PASSWORD only when asked for.
// tessel-tool account-write FILE --user NAME [--password PASS] [--calendar ID]...: writes one,
// as the account dialog would (the demo and the scripts need an account without the dialog).
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/file_io.h"
#include "base/text.h"
#include "calendar/account.h"
#include "calendar/event.h"
#include "command.h"

namespace {

void PrintField(const char* name, const std::string& value) {
    std::fwrite(name, 1, std::char_traits<char>::length(name), stdout);
    std::fputc('\t', stdout);
    std::fwrite(value.data(), 1, value.size(), stdout);
    std::fputc('\n', stdout);
}

int RunAccount(const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2) throw tessel::tool::UsageError();
    bool showPassword = false;
    if (args.size() == 2) {
        if (args[1] != "--password") throw tessel::tool::UsageError();
        showPassword = true;
    }
    const std::u16string path = tessel::Utf8ToUtf16(args[0]);
    // The store treats a missing file as "no account yet"; here it is a mistake in the command.
    if (!tessel::FileExists(path)) {
        // A device or a folder: the reader says what it is.
        if (std::filesystem::exists(std::filesystem::path(path))) tessel::ReadFileBytes(path);
        throw tessel::EFileError("Cannot open file \"" + args[0] + "\". No such file");
    }
    tessel::TAccount account(tessel::FolderOf(path));
    account.LoadFrom(path);
    PrintField("user", account.UserName);
    if (account.CalendarEntries) {
        for (size_t i = 0; i < account.CalendarEntries->Count(); ++i)
            PrintField("calendar", tessel::CleanText(tessel::Narrow(account.CalendarEntries->Node(i)->ReadValue(u"id"))));
    }
    if (showPassword) PrintField("pass", account.Password);
    return 0;
}

int RunAccountWrite(const std::vector<std::string>& args) {
    if (args.empty()) throw tessel::tool::UsageError();
    std::string user;
    std::string password;
    bool haveUser = false;
    std::vector<std::string> calendars;
    for (size_t i = 1; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) throw tessel::tool::UsageError();
        const std::string& option = args[i];
        const std::string& value = args[i + 1];
        if (option == "--user") {
            user = value;
            haveUser = true;
        } else if (option == "--password") {
            password = value;
        } else if (option == "--calendar") {
            calendars.push_back(value);
        } else {
            throw tessel::tool::UsageError();
        }
    }
    if (!haveUser) throw tessel::tool::UsageError();
    const std::u16string path = tessel::Utf8ToUtf16(args[0]);
    tessel::TAccount account(tessel::FolderOf(path));
    account.SetCredentials(user, password);
    account.SetCalendars(calendars);
    account.SaveTo(path);
    return 0;
}

const tessel::tool::Registration kAccount{"account", "account FILE [--password]", RunAccount};
const tessel::tool::Registration kAccountWrite{
    "account-write", "account-write FILE --user NAME [--password PASS] [--calendar ID]...", RunAccountWrite};

}  // namespace
