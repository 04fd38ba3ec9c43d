#pragma once
// The service's data file: sections in order, each a header line and "key = value" lines.
//
//   # a comment
//   [account]
//   email = jane@localhost
//   password = secret
//   name = Jane Doe          (optional)
//   gsessionid = yes         (optional: hand out a gsessionid before the first feed)
//   [calendar]               (belongs to the account above it)
//   id = work
//   title = Work
//   color = #2952A3
//   [event]                  (belongs to the calendar above it)
//   id = standup             (optional; e1, e2 ... by position otherwise)
//   title = Stand-up
//   start = 2008-03-05 09:00 (a date alone makes an all-day event)
//   end = 2008-03-05 09:15   (optional: one hour later, or the next day for all-day events)
//   where = Room 1           (optional)
//   content = ...            (optional)
//   link = http://...        (optional)
//   repeat = weekly 4        (optional: daily or weekly, and the number of occurrences)
//
// Values are UTF-8; "\n", "\r", "\t" and "\\" in a value stand for those characters.
#include <string>
#include <string_view>

#include "base/errors.h"
#include "service_data.h"

namespace tessel::service {

// "line 12: ..." with the reason.
class EDataError : public EError {
public:
    using EError::EError;
};

ServiceData ParseDataFile(std::string_view text);

}  // namespace tessel::service
