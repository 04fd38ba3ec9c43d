#pragma once
// The parameters of a request's query part. Values are percent-decoded, but '+' stays '+': the
// client sends zone offsets such as "+08:00" and passwords unescaped, and a form decoder would
// turn them into blanks.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/percent_code.h"

namespace tessel::service {

class QueryParams {
public:
    explicit QueryParams(std::string_view query);

    // The first value of that name (exact match), or nullptr.
    const std::string* Find(std::string_view name) const;
    bool Has(std::string_view name) const { return Find(name) != nullptr; }
    const std::vector<std::pair<std::string, std::string>>& All() const { return params_; }

private:
    std::vector<std::pair<std::string, std::string>> params_;
};

// A decimal number within [low, high]; false for anything else (signs, blanks, overflow).
bool ParseBoundedInt(std::string_view text, long long low, long long high, long long& value);

}  // namespace tessel::service
