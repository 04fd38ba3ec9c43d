// Arbitrary bytes read as an iCalendar file, then expanded over three months in a zone an hour
// east of UTC. A damaged file may only raise EIcalError; a file read keeps no more warnings than
// it counts; every occurrence kept must overlap the window, end no earlier than it starts, and
// name an event of the file; every warning made into text names the file.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/date_time.h"
#include "ical/ical.h"

namespace {

class OneHourEast final : public tessel::ical::Zone {
public:
    int32_t OffsetAt(int64_t) const override { return 3600; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tessel::ical;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Calendar calendar;
    try {
        calendar = ReadCalendar(bytes, "fuzz.ics");
    } catch (const EIcalError& e) {
        if (e.Reason.empty()) __builtin_trap();
        return 0;
    }
    if (calendar.Warnings.size() > kMaxWarnings || calendar.Warnings.size() > calendar.WarningCount) __builtin_trap();
    std::vector<Warning> warnings = calendar.Warnings;
    const int64_t from = tessel::DaysFromCivil(2026, 1, 1), to = tessel::DaysFromCivil(2026, 4, 1);
    ExpandLimits limits;
    limits.MaxFileSteps = 2000000;  // a tenth of a file's share, so each input stays quick
    const OneHourEast zone;
    for (const Occurrence& o : Expand(calendar, from, to, zone, &warnings, limits)) {
        if (o.EventIndex >= calendar.Events.size() || o.End < o.Start) __builtin_trap();
        if (o.Start >= to * kSecondsPerDay || (o.End > o.Start ? o.End <= from * kSecondsPerDay : o.Start < from * kSecondsPerDay))
            __builtin_trap();
    }
    for (const Warning& w : warnings)
        if (w.Text("fuzz.ics").rfind("fuzz.ics", 0) != 0) __builtin_trap();
    return 0;
}
