// The system's time zones on Windows. A zone is the registry's record of that key name (an IANA
// name is mapped to it through CLDR's table); its rules for a year come from
// GetTimeZoneInformationForYear, so years with other rules (the dynamic time-zone records) are
// read as they were, and SystemTimeToTzSpecificLocalTime applies them to an instant.
#include <windows.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <string>

#include "base/text.h"
#include "ical/ical_internal.h"

namespace tessel::ical {

namespace {

// Seconds from 1601-01-01 (FILETIME's origin) to 1970-01-01.
constexpr int64_t kFileTimeEpoch = 11644473600;

SYSTEMTIME SystemTimeOf(int64_t seconds) {
    const uint64_t ticks = uint64_t(seconds + kFileTimeEpoch) * 10000000u;
    FILETIME ft{DWORD(ticks), DWORD(ticks >> 32)};
    SYSTEMTIME st{};
    FileTimeToSystemTime(&ft, &st);
    return st;
}

int64_t SecondsOf(const SYSTEMTIME& st) {
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return int64_t(((uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) / 10000000u) - kFileTimeEpoch;
}

class SystemRules final : public Zone {
public:
    explicit SystemRules(const DYNAMIC_TIME_ZONE_INFORMATION& record) : record_(record) {}

    int32_t OffsetAt(int64_t utc) const override {
        // SYSTEMTIME reaches from 1601 to 30827; beyond the years the zone's rules can say
        // anything about, the nearest year's rules hold.
        const int64_t lo = -11644473600 + 366 * 86400, hi = 910000000000;
        utc = std::min(std::max(utc, lo), hi);
        const SYSTEMTIME st = SystemTimeOf(utc);
        TIME_ZONE_INFORMATION rules = RulesFor(st.wYear);
        SYSTEMTIME local{};
        if (!SystemTimeToTzSpecificLocalTime(&rules, &st, &local)) return int32_t(-rules.Bias * 60);
        return int32_t(SecondsOf(local) - utc);
    }

private:
    TIME_ZONE_INFORMATION RulesFor(USHORT year) const {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = years_.find(year);
        if (found != years_.end()) return found->second;
        TIME_ZONE_INFORMATION rules{};
        DYNAMIC_TIME_ZONE_INFORMATION record = record_;
        if (!GetTimeZoneInformationForYear(year, &record, &rules)) {
            rules.Bias = record_.Bias;  // the record's own rules
            rules.StandardBias = record_.StandardBias;
            rules.DaylightBias = record_.DaylightBias;
            rules.StandardDate = record_.StandardDate;
            rules.DaylightDate = record_.DaylightDate;
        }
        if (years_.size() < 1000) years_.emplace(year, rules);
        return rules;
    }

    DYNAMIC_TIME_ZONE_INFORMATION record_;
    mutable std::mutex mutex_;
    mutable std::map<USHORT, TIME_ZONE_INFORMATION> years_;
};

// The registry's record of a key name, through EnumDynamicTimeZoneInformation (Windows 8 on;
// looked up at run time, as the program still starts on Windows 7), else by asking for the
// current year's rules of that key directly.
bool FindRecord(const std::u16string& key, DYNAMIC_TIME_ZONE_INFORMATION& record) {
    using EnumZones = DWORD(WINAPI*)(DWORD, PDYNAMIC_TIME_ZONE_INFORMATION);
    const auto enumZones = reinterpret_cast<EnumZones>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"advapi32.dll"), "EnumDynamicTimeZoneInformation")));
    if (enumZones) {
        for (DWORD i = 0;; ++i) {
            DYNAMIC_TIME_ZONE_INFORMATION candidate{};
            if (enumZones(i, &candidate) != ERROR_SUCCESS) return false;
            if (key == reinterpret_cast<const char16_t*>(candidate.TimeZoneKeyName)) {
                record = candidate;
                return true;
            }
        }
    }
    if (key.size() >= sizeof record.TimeZoneKeyName / sizeof(WCHAR)) return false;
    record = {};
    key.copy(reinterpret_cast<char16_t*>(record.TimeZoneKeyName), key.size());
    SYSTEMTIME now{};
    GetSystemTime(&now);
    TIME_ZONE_INFORMATION rules{};
    if (!GetTimeZoneInformationForYear(now.wYear, &record, &rules)) return false;
    record.Bias = rules.Bias;
    record.StandardBias = rules.StandardBias;
    record.DaylightBias = rules.DaylightBias;
    record.StandardDate = rules.StandardDate;
    record.DaylightDate = rules.DaylightDate;
    return true;
}

}  // namespace

std::unique_ptr<Zone> SystemZone(std::string_view name) {
    const std::string_view mapped = WindowsZoneOf(name);
    const std::u16string key = Utf8ToUtf16(mapped.empty() ? name : mapped);
    DYNAMIC_TIME_ZONE_INFORMATION record{};
    if (key.empty() || !FindRecord(key, record)) return nullptr;
    return std::make_unique<SystemRules>(record);
}

std::unique_ptr<Zone> MachineZone() {
    DYNAMIC_TIME_ZONE_INFORMATION record{};
    if (GetDynamicTimeZoneInformation(&record) == TIME_ZONE_ID_INVALID) record = {};
    return std::make_unique<SystemRules>(record);
}

}  // namespace tessel::ical
