#pragma once
// The addresses the calendar client sends: the sign-in address, the feed query window, the
// gsessionid retry, and the domain an answer must mention to count as the service's.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/date_time.h"
#include "base/percent_code.h"

namespace tessel {

// The host setting without a ":port" and without its first label: "www.google.com" gives
// "google.com", "calendar.test:8443" gives "test". A host of a single label ("localhost") is its
// own domain, so the check never degenerates into matching every answer.
std::string ServiceDomain(std::string_view hostSetting);

// The value as it must stand in an address handed to THttp::Get. The transport splits the URL
// with escapes decoded once (as WinINet's splitter does), so a value is encoded twice: after
// the transport's decoding the server still receives it percent-encoded.
std::string EncodeQueryValueForTransport(std::string_view value);

// "https://HOST/accounts/ClientLogin?Email=..&Passwd=..&source=Tessel1&service=cl".
std::string SignInUrl(std::string_view hostSetting, std::string_view user, std::string_view password);

// "?start-min=yyyy-mm-ddT00:00:00-hh:00&start-max=yyyy-mm-ddT23:59:59-hh:00": from the first
// day of the month before the date's month to the last day of the month after it. The offset
// sign is "-" for zoneHours >= 0 (west of UTC, and UTC itself) and "+" east of it.
std::string FeedWindowQuery(TDateTime date, int32_t zoneHours);

// The gsessionid parameter an answer asks for: from "gsessionid" up to the next double quote.
// found is false when the answer does not mention it; the parameter is empty when no quote
// follows.
struct SessionParameter {
    bool found = false;
    std::string text;
};
SessionParameter FindSessionParameter(std::string_view answer);

// url + "?" + parameter, or url + "&" + parameter when url already has a query.
std::string AppendQueryParameter(const std::string& url, std::string_view parameter);

}  // namespace tessel
