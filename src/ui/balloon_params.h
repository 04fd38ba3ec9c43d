#pragma once
// The balloon's parameter text: how the show routine hands the layout values to the content
// builder. Entries read 'Name=Value', each in single quotes with a quote inside doubled, joined
// by ";".
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace tessel {

// 'Name=Value' with the value's quotes doubled.
std::string QuoteBalloonParam(std::string_view name, std::string_view value);
// Adds an entry; after a ";" unless the text is still empty.
void AppendBalloonParam(std::string& params, std::string_view name, std::string_view value);

// The entries by name; a later entry of a name replaces an earlier one. Text outside quotes is
// ignored, so a damaged text gives fewer entries rather than an error.
std::map<std::string, std::string> ParseBalloonParams(std::string_view params);

// The entry as a decimal integer. A missing or non-numeric value raises the conversion error
// "'%s' is not a valid integer value".
int32_t BalloonParamInteger(const std::map<std::string, std::string>& params, const std::string& name);

// The icon resource of a balloon kind: "INFO" (0), "ERROR" (1), "WARNING" (2), else none.
std::string BalloonIconName(int kind);

}  // namespace tessel
