#include "ui/balloon_params.h"

#include "base/strict_int.h"

namespace tessel {

std::string QuoteBalloonParam(std::string_view name, std::string_view value) {
    std::string entry = "'";
    entry += name;
    entry += '=';
    for (char c : value) {
        entry += c;
        if (c == '\'') entry += '\'';
    }
    entry += '\'';
    return entry;
}

void AppendBalloonParam(std::string& params, std::string_view name, std::string_view value) {
    if (!params.empty()) params += ';';
    params += QuoteBalloonParam(name, value);
}

std::map<std::string, std::string> ParseBalloonParams(std::string_view params) {
    std::map<std::string, std::string> entries;
    size_t i = 0;
    while (i < params.size()) {
        if (params[i] != '\'') {
            ++i;
            continue;
        }
        // A quoted entry: two quotes in a row stand for one; a single quote ends it.
        std::string entry;
        for (++i; i < params.size(); ++i) {
            if (params[i] != '\'') {
                entry += params[i];
            } else if (i + 1 < params.size() && params[i + 1] == '\'') {
                entry += '\'';
                ++i;
            } else {
                ++i;
                break;
            }
        }
        const size_t eq = entry.find('=');
        if (eq != std::string::npos) entries[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    return entries;
}

int32_t BalloonParamInteger(const std::map<std::string, std::string>& params, const std::string& name) {
    const auto it = params.find(name);
    return StrToInt(it == params.end() ? std::string_view() : std::string_view(it->second));
}

std::string BalloonIconName(int kind) {
    switch (kind) {
    case 0: return "INFO";
    case 1: return "ERROR";
    case 2: return "WARNING";
    default: return "";
    }
}

}  // namespace tessel
