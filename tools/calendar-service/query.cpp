#include "query.h"

namespace tessel::service {

QueryParams::QueryParams(std::string_view query) {
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = query.find('&', start);
        if (end == std::string_view::npos) end = query.size();
        const std::string_view pair = query.substr(start, end - start);
        if (!pair.empty()) {
            const size_t equals = pair.find('=');
            if (equals == std::string_view::npos)
                params_.emplace_back(PercentDecode(pair), std::string());
            else
                params_.emplace_back(PercentDecode(pair.substr(0, equals)), PercentDecode(pair.substr(equals + 1)));
        }
        start = end + 1;
    }
}

const std::string* QueryParams::Find(std::string_view name) const {
    for (const auto& [key, value] : params_)
        if (key == name) return &value;
    return nullptr;
}

bool ParseBoundedInt(std::string_view text, long long low, long long high, long long& value) {
    if (text.empty() || text.size() > 18) return false;
    long long result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        result = result * 10 + (c - '0');
    }
    if (result < low || result > high) return false;
    value = result;
    return true;
}

}  // namespace tessel::service
