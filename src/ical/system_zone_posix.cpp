// The C library's zones. An IANA name (or a Windows zone's name, through CLDR's table) is looked
// up in the zone database (TZDIR or /usr/share/zoneinfo) and its offsets read by switching TZ for a moment, then back; the
// answers are kept per hour, so a file's thousands of times cost few switches. Not for use
// from several threads at once, as TZ itself is not.
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <string>
#include <sys/stat.h>
#include <unordered_map>

#include "ical/ical_internal.h"

namespace tessel::ical {

namespace {

int32_t LocalOffset(int64_t utc) {
    const std::time_t t = static_cast<std::time_t>(utc);
    std::tm local{};
    if (!localtime_r(&t, &local)) return 0;
    return static_cast<int32_t>(local.tm_gmtoff);
}

class MachineRules final : public Zone {
public:
    MachineRules() { tzset(); }
    int32_t OffsetAt(int64_t utc) const override { return LocalOffset(utc); }
};

class NamedRules final : public Zone {
public:
    explicit NamedRules(std::string name) : name_(":" + std::move(name)) {}

    int32_t OffsetAt(int64_t utc) const override {
        const int64_t hour = FloorDiv(utc, 3600);
        const auto cached = cache_.find(hour);
        if (cached != cache_.end()) return cached->second;
        const char* was = std::getenv("TZ");
        const std::string saved = was ? was : "";
        setenv("TZ", name_.c_str(), 1);
        tzset();
        const int32_t offset = LocalOffset(utc);
        // Most zones change on the hour; an offset is kept for its hour only when the hour's
        // two ends agree.
        const bool wholeHour = LocalOffset(hour * 3600) == LocalOffset(hour * 3600 + 3599);
        if (was) setenv("TZ", saved.c_str(), 1);
        else unsetenv("TZ");
        tzset();
        if (wholeHour && cache_.size() < 100000) cache_[hour] = offset;
        return offset;
    }

private:
    std::string name_;
    mutable std::unordered_map<int64_t, int32_t> cache_;
};

bool InZoneDatabase(std::string_view name) {
    if (name.empty() || name.size() > 200 || name.front() == '/' || name.find("..") != std::string_view::npos)
        return false;
    for (char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '_' || c == '-' || c == '+')) return false;
    const char* dir = std::getenv("TZDIR");
    const std::string path = std::string(dir && *dir ? dir : "/usr/share/zoneinfo") + "/" + std::string(name);
    struct stat info{};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::unique_ptr<Zone> SystemZone(std::string_view name) {
    if (InZoneDatabase(name)) return std::make_unique<NamedRules>(std::string(name));
    const std::string_view iana = IanaZoneOf(name);  // a Windows zone's name
    if (!iana.empty() && InZoneDatabase(iana)) return std::make_unique<NamedRules>(std::string(iana));
    return nullptr;
}

std::unique_ptr<Zone> MachineZone() { return std::make_unique<MachineRules>(); }

}  // namespace tessel::ical
