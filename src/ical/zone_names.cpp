// IANA zone names and Windows zone names, both ways, from CLDR's table (generated at build time).
#include <algorithm>
#include <vector>

#include "ical/ical_internal.h"

namespace tessel::ical {

namespace {

struct ZoneName {
    std::string_view Iana, Windows;
    bool Primary;  // the Windows zone's own IANA name
};

const ZoneName kZoneNames[] = {
#include "windows_zones.inc"
};

const std::vector<ZoneName>& ByIana() {
    static const std::vector<ZoneName> sorted = [] {
        std::vector<ZoneName> v(std::begin(kZoneNames), std::end(kZoneNames));
        std::stable_sort(v.begin(), v.end(), [](const ZoneName& a, const ZoneName& b) { return a.Iana < b.Iana; });
        return v;
    }();
    return sorted;
}

}  // namespace

std::string_view WindowsZoneOf(std::string_view iana) {
    const auto& v = ByIana();
    const auto it = std::lower_bound(v.begin(), v.end(), iana, [](const ZoneName& z, std::string_view n) { return z.Iana < n; });
    return it != v.end() && it->Iana == iana ? it->Windows : std::string_view();
}

std::string_view IanaZoneOf(std::string_view windows) {
    for (const ZoneName& z : kZoneNames)
        if (z.Primary && z.Windows == windows) return z.Iana;
    return {};
}

}  // namespace tessel::ical
