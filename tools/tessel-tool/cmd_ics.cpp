// tessel-tool ics FILE --from YYYY-MM-DD --to YYYY-MM-DD: every occurrence of the file's events
// that overlaps [from 00:00, to 00:00) of the local zone (TZ), one a line, sorted as text:
//   START<TAB>END<TAB>SUMMARY
// a timed value as the local wall time YYYY-MM-DDTHH:MM, an all-day one as YYYY-MM-DD (the end
// exclusive); cancelled instances left out; a line break in a summary printed as \n. What was
// passed over (damaged lines, events cut short) is printed on stderr as warnings, one a line.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "command.h"
#include "ical/ical.h"

namespace {

int64_t DayArgument(const std::string& text) {
    int year = 0, month = 0, day = 0;
    char tail = 0;
    if (text.size() != 10 || std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) != 3 ||
        month < 1 || month > 12 || day < 1 || day > 31)
        throw tessel::tool::UsageError();
    return tessel::DaysFromCivil(year, month, day);
}

std::string WallText(int64_t wall, bool allDay) {
    int64_t year;
    int month, day;
    const int64_t days = tessel::FloorDiv(wall, tessel::ical::kSecondsPerDay);
    tessel::CivilFromDays(days, year, month, day);
    const int64_t t = wall - days * tessel::ical::kSecondsPerDay;
    char text[48];
    if (allDay) std::snprintf(text, sizeof text, "%04lld-%02d-%02d", static_cast<long long>(year), month, day);
    else
        std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02d:%02d", static_cast<long long>(year), month, day,
                      int(t / 3600), int(t / 60 % 60));
    return text;
}

int RunIcs(const std::vector<std::string>& args) {
    std::string file, from, to;
    for (size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == "--from" || args[i] == "--to") && i + 1 < args.size()) {
            std::string& target = args[i] == "--from" ? from : to;
            target = args[++i];
        } else if (file.empty()) file = args[i];
        else throw tessel::tool::UsageError();
    }
    if (file.empty() || from.empty() || to.empty()) throw tessel::tool::UsageError();
    const int64_t fromDay = DayArgument(from), toDay = DayArgument(to);

    std::vector<tessel::ical::Warning> warnings;
    std::vector<std::string> lines;
    {
        tessel::ical::Calendar calendar = tessel::tool::ReadNamingFile(file, [&] {
            const std::string bytes = tessel::tool::ReadInputFile(file);
            return tessel::ical::ReadCalendar(bytes, file);
        });
        warnings = calendar.Warnings;
        const auto local = tessel::ical::MachineZone();
        const auto occurrences = tessel::ical::Expand(calendar, fromDay, toDay, *local, &warnings);
        lines.reserve(occurrences.size());
        for (const auto& o : occurrences) {
            std::string line = WallText(o.Start, o.AllDay) + '\t' + WallText(o.End, o.AllDay) + '\t';
            for (char c : calendar.Text(calendar.Events[o.EventIndex].Summary)) {
                if (c == '\n') line += "\\n";
                else if (c != '\r') line += c;
            }
            lines.push_back(std::move(line));
        }
    }
    std::sort(lines.begin(), lines.end());
    for (const auto& w : warnings) std::fprintf(stderr, "warning: %s\n", w.Text(file).c_str());
    std::string out;
    for (const auto& line : lines) out.append(line).append("\n");
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

const tessel::tool::Registration kIcs{"ics", "ics FILE --from YYYY-MM-DD --to YYYY-MM-DD", RunIcs};

}  // namespace
