// tessel-tool sync DIR [--time-limit MS]: one real sync, as the program runs it at start-up, with DIR as the
// program's folder: the service's calendars when DIR holds an account (account.xml with a name;
// its profile.xml's hosts element then names the service) and every shown subscription and
// CalDAV calendar of its subscriptions.xml. The caches are read first and written there. Prints today's events, one
// line each; when a source failed, the status text (exit 1), with each failure on standard
// error ("failed: Work: the address answered 404") and the service's own cause, if any.
// --time-limit sets each request's time limit (the program's own is ten minutes), so that a
// script can try a slow server without waiting that long.
#include <cstdio>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/errors.h"
#include "base/file_io.h"
#include "base/strict_int.h"
#include "base/text.h"
#include "calendar/account.h"
#include "calendar/balloon_sink.h"
#include "calendar/calendar.h"
#include "calendar/event_sources.h"
#include "calendar/http.h"
#include "calendar/locale_format.h"
#include "calendar/service_hosts.h"
#include "calendar/subscriptions.h"
#include "command.h"
#include "xml/xdata_document.h"
#include "xml/xml_parser.h"

namespace {

class NoBalloons final : public tessel::IBalloonSink {
public:
    void ShowBalloon(const std::u16string&, const std::u16string&, int) override {}
};

// A text with CR line breaks as LF-ended lines.
void PrintLines(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\r' ? '\n' : c;
    out += '\n';
    std::fwrite(out.data(), 1, out.size(), stdout);
}

int RunSync(const std::vector<std::string>& args) {
    if (args.size() != 1 && (args.size() != 3 || args[1] != "--time-limit")) throw tessel::tool::UsageError();
    std::u16string folder = tessel::Utf8ToUtf16(args[0]);
    if (folder.empty() || (folder.back() != u'/' && folder.back() != tessel::kPathSeparator))
        folder += tessel::kPathSeparator;

    tessel::TAccount account(folder);
    account.Load();
    tessel::TSubscriptions subscriptions(folder);
    subscriptions.Load();
    if (account.UserName.empty() && subscriptions.Items.empty() && subscriptions.Accounts.empty())
        throw tessel::EError("Neither an account nor a subscription in " + args[0]);

    // Without its hosts element the profile would send the account to the shipped default
    // service; the tool insists on being told where to go.
    tessel::ServiceHosts hosts;
    if (!account.UserName.empty()) {
        const std::u16string profilePath = folder + u"profile.xml";
        if (!tessel::FileExists(profilePath)) throw tessel::EFileError("No profile.xml in " + args[0]);
        const auto profile = tessel::LoadXmlDocument(profilePath);
        if (!profile->FindNode(u"hosts")) throw tessel::EError(args[0] + "/profile.xml has no hosts element");
        hosts = tessel::ReadServiceHosts(*profile);
    }

    tessel::THttp http;
    tessel::SystemClock clock;
    const auto locale = tessel::CreateSystemLocaleFormat();
    NoBalloons balloons;
    tessel::TCalendar calendar(http, &account, clock, hosts, folder);
    if (args.size() == 3) calendar.ServiceTimeLimitMs = tessel::StrToInt(args[2]);
    account.SetClient(&calendar);
    calendar.SetCredentials(account.UserName, account.Password);
    tessel::TEventSources sources(calendar, account, subscriptions, http, clock, *locale, balloons, folder);
    sources.Reload();

    std::string lastStatus;
    sources.OnStatus = [&](const std::string& message) { lastStatus = message; };
    const tessel::TDateTime now = clock.Now();
    sources.LoadCache(now, false);
    sources.Sync(now);
    if (lastStatus != tessel::kStatusClose) {
        PrintLines(lastStatus);
        std::fflush(stdout);
        for (const std::string& failure : sources.Failures) {
            std::string line = failure;
            for (char& c : line)
                if (c == '\r') c = ' ';
            std::fprintf(stderr, "failed: %s\n", line.c_str());
        }
        if (!calendar.SyncFailure.empty()) std::fprintf(stderr, "cause: %s\n", calendar.SyncFailure.c_str());
        if (!calendar.CacheFailure.empty()) std::fprintf(stderr, "cause: %s\n", calendar.CacheFailure.c_str());
        return 1;
    }
    PrintLines(tessel::Utf16ToUtf8(sources.DayText(now)));
    return 0;
}

const tessel::tool::Registration kSync{"sync", "sync DIR [--time-limit MS]", RunSync};

}  // namespace
