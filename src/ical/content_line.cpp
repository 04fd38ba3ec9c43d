#include "ical/content_line.h"

#include <algorithm>
#include <cstring>

namespace tessel::ical {

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; }

std::string_view Unquoted(std::string_view v) {
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    return v;
}

}  // namespace

bool SameUpper(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (Upper(text[i]) != upper[i]) return false;
    return true;
}

LineReader::LineReader(std::string_view bytes) : bytes_(bytes) {
    if (bytes_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
}

bool LineReader::Next(ContentLine& line) {
    for (;;) {
        if (pos_ >= bytes_.size()) return false;
        line.Line = nextLine_;
        size_t start = pos_;
        bool folded = false;
        size_t end;
        for (;;) {
            const char* nl = static_cast<const char*>(std::memchr(bytes_.data() + pos_, '\n', bytes_.size() - pos_));
            end = nl ? size_t(nl - bytes_.data()) : bytes_.size();
            pos_ = nl ? end + 1 : bytes_.size();
            ++nextLine_;
            if (pos_ < bytes_.size() && (bytes_[pos_] == ' ' || bytes_[pos_] == '\t')) {
                if (!folded) folded_.clear();
                folded = true;
                size_t e = end;
                if (e > start && bytes_[e - 1] == '\r') --e;
                folded_.append(bytes_.data() + start, e - start);
                start = ++pos_;
                continue;
            }
            break;
        }
        if (end > start && bytes_[end - 1] == '\r') --end;
        std::string_view text = bytes_.substr(start, end - start);
        if (folded) {
            folded_.append(text);
            text = folded_;
        }
        if (text.empty()) continue;  // blank lines between content lines are tolerated
        Parse(text, line);
        return true;
    }
}

void LineReader::Parse(std::string_view text, ContentLine& line) const {
    line.Problem = nullptr;
    line.Tzid = line.ValueType = line.Range = {};
    size_t i = 0;
    while (i < text.size() && text[i] != ';' && text[i] != ':') ++i;
    if (i == text.size()) {
        line.Problem = "a line without ':'";
        return;
    }
    if (i == 0) {
        line.Problem = "a line without a property name";
        return;
    }
    const size_t n = std::min(i, sizeof line.Name - 1);
    for (size_t k = 0; k < n; ++k) line.Name[k] = Upper(text[k]);
    line.Name[n] = 0;
    if (i >= sizeof line.Name) line.Name[0] = '~';  // longer than any name we read
    while (text[i] == ';') {
        const size_t nameStart = ++i;
        while (i < text.size() && text[i] != '=' && text[i] != ';' && text[i] != ':') ++i;
        const std::string_view name = text.substr(nameStart, i - nameStart);
        if (i == text.size()) {
            line.Problem = "a line without ':'";
            return;
        }
        if (text[i] != '=') continue;  // a parameter without a value: nothing to read
        const size_t valueStart = ++i;
        for (;;) {  // param-value *("," param-value), each quoted or not
            if (i < text.size() && text[i] == '"') {
                const size_t close = text.find('"', i + 1);
                if (close == std::string_view::npos) {
                    line.Problem = "a parameter value without its closing quote";
                    return;
                }
                i = close + 1;
            } else {
                while (i < text.size() && text[i] != ',' && text[i] != ';' && text[i] != ':' && text[i] != '"') ++i;
            }
            if (i < text.size() && text[i] == ',') {
                ++i;
                continue;
            }
            break;
        }
        if (i == text.size() || (text[i] != ';' && text[i] != ':')) {
            line.Problem = "a damaged parameter";
            return;
        }
        const std::string_view value = Unquoted(text.substr(valueStart, i - valueStart));
        if (SameUpper(name, "TZID")) line.Tzid = value;
        else if (SameUpper(name, "VALUE")) line.ValueType = value;
        else if (SameUpper(name, "RANGE")) line.Range = value;
    }
    line.Value = text.substr(i + 1);
}

}  // namespace tessel::ical
