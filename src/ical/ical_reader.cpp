// The reader: content lines (unfolded, names in any case, parameters, text escapes), the
// components kept (VCALENDAR, VEVENT, VTIMEZONE with STANDARD and DAYLIGHT) and the values of
// the properties the expansion needs. Every other component and property is passed over.
#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "ical/ical.h"
#include "ical/ical_internal.h"

namespace tessel::ical {

namespace {

struct Param {
    std::string_view Name, Value;  // Value: the raw text after '=', quotes and all
};

struct ContentLine {
    char Name[32] = {};  // upper case; names longer than this are none we read
    std::vector<Param> Params;
    std::string_view Value;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; }

bool SameUpper(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (Upper(text[i]) != upper[i]) return false;
    return true;
}

// The text with every byte that is not part of a well-formed UTF-8 sequence replaced by U+FFFD.
void AppendUtf8(std::string& out, std::string_view in) {
    size_t i = 0;
    while (i < in.size()) {
        const auto c = static_cast<unsigned char>(in[i]);
        size_t n = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        bool ok = n != 0 && i + n <= in.size();
        for (size_t k = 1; ok && k < n; ++k) ok = (static_cast<unsigned char>(in[i + k]) & 0xC0) == 0x80;
        if (ok && n >= 3) {  // no overlong forms, surrogates or values above U+10FFFF
            const auto c1 = static_cast<unsigned char>(in[i + 1]);
            if (c == 0xE0 && c1 < 0xA0) ok = false;
            if (c == 0xED && c1 > 0x9F) ok = false;
            if (c == 0xF0 && c1 < 0x90) ok = false;
            if (c == 0xF4 && c1 > 0x8F) ok = false;
        }
        if (ok) {
            out.append(in.data() + i, n);
            i += n;
        } else {
            out.append("\xEF\xBF\xBD");
            ++i;
        }
    }
}

class Reader {
public:
    Reader(std::string_view bytes, const std::string& fileName) : bytes_(bytes), fileName_(fileName) {}

    Calendar Read();

private:
    [[noreturn]] void Fail(const std::string& message) const {
        throw EIcalError(fileName_ + ", line " + std::to_string(line_) + ": " + message);
    }

    bool NextLine(ContentLine& line);
    void ParseLine(std::string_view text, ContentLine& line);
    std::string_view ParamValue(const ContentLine& line, std::string_view upperName) const;

    TextRef KeepText(std::string_view value, bool unescape);
    int16_t ZoneRef(std::string_view tzid);
    Time ParseTime(std::string_view text, const ContentLine& line, bool forceDate);
    Time ParseTimeProperty(const ContentLine& line);
    void ParseTimeList(const ContentLine& line, std::vector<Time>* times, std::vector<RecurDate>* dates);
    Duration ParseDuration(std::string_view text);
    int32_t ParseOffset(std::string_view text);
    Recur ParseRecur(std::string_view text);
    int64_t Number(std::string_view text, int64_t lo, int64_t hi, const char* what);

    void ReadEvent(Calendar& calendar);
    void ReadTimeZone(std::vector<std::pair<std::string, std::vector<Observance>>>& zones);
    void ReadObservance(Observance& observance);
    void SkipComponent(std::string_view name);

    std::string_view bytes_;
    const std::string& fileName_;
    size_t pos_ = 0;
    uint32_t line_ = 0;      // of the content line read last
    uint32_t nextLine_ = 1;  // of the physical line at pos_
    std::string folded_;     // an unfolded line's text when it was folded
    std::string scratch_;
    std::vector<std::string> zoneNames_;
    std::unordered_map<std::string, int16_t> zoneIndex_;
    std::vector<uint32_t> zoneLines_;
    Calendar* calendar_ = nullptr;
};

bool Reader::NextLine(ContentLine& line) {
    for (;;) {
        if (pos_ >= bytes_.size()) return false;
        line_ = nextLine_;
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
        ParseLine(text, line);
        return true;
    }
}

void Reader::ParseLine(std::string_view text, ContentLine& line) {
    size_t i = 0;
    while (i < text.size() && text[i] != ';' && text[i] != ':') ++i;
    if (i == text.size()) Fail("a line without ':'");
    if (i == 0) Fail("a line without a property name");
    const size_t n = std::min(i, sizeof line.Name - 1);
    for (size_t k = 0; k < n; ++k) line.Name[k] = Upper(text[k]);
    line.Name[n] = 0;
    if (i >= sizeof line.Name) line.Name[0] = '~';  // longer than any name we read
    line.Params.clear();
    while (text[i] == ';') {
        const size_t nameStart = ++i;
        while (i < text.size() && text[i] != '=' && text[i] != ';' && text[i] != ':') ++i;
        if (i == text.size() || text[i] != '=') Fail("a parameter without '='");
        const std::string_view name = text.substr(nameStart, i - nameStart);
        const size_t valueStart = ++i;
        for (;;) {  // param-value *("," param-value), each quoted or not
            if (i < text.size() && text[i] == '"') {
                const size_t close = text.find('"', i + 1);
                if (close == std::string_view::npos) Fail("a parameter value without its closing quote");
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
        if (i == text.size() || (text[i] != ';' && text[i] != ':')) Fail("a damaged parameter");
        line.Params.push_back({name, text.substr(valueStart, i - valueStart)});
    }
    line.Value = text.substr(i + 1);
}

std::string_view Reader::ParamValue(const ContentLine& line, std::string_view upperName) const {
    for (const Param& p : line.Params) {
        if (!SameUpper(p.Name, upperName)) continue;
        std::string_view v = p.Value;
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
        return v;
    }
    return {};
}

TextRef Reader::KeepText(std::string_view value, bool unescape) {
    scratch_.clear();
    if (unescape) {
        for (size_t i = 0; i < value.size(); ++i) {
            char c = value[i];
            if (c == '\\' && i + 1 < value.size()) {
                const char e = value[++i];
                c = e == 'n' || e == 'N' ? '\n' : e;
                if (e != 'n' && e != 'N' && e != '\\' && e != ';' && e != ',') scratch_ += '\\';
            }
            scratch_ += c;
        }
        value = scratch_;
    }
    std::string& texts = calendar_->Texts;
    const size_t offset = texts.size();
    AppendUtf8(texts, value);
    if (texts.size() > UINT32_MAX) Fail("the file is too large");
    return {uint32_t(offset), uint32_t(texts.size() - offset)};
}

int64_t Reader::Number(std::string_view text, int64_t lo, int64_t hi, const char* what) {
    bool negative = false;
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size() || text.size() - i > 12) Fail(std::string("a bad ") + what + " '" + std::string(text) + "'");
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (!IsDigit(text[i])) Fail(std::string("a bad ") + what + " '" + std::string(text) + "'");
        v = v * 10 + (text[i] - '0');
    }
    if (negative) v = -v;
    if (v < lo || v > hi) Fail(std::string("a ") + what + " out of range '" + std::string(text) + "'");
    return v;
}

int16_t Reader::ZoneRef(std::string_view tzid) {
    std::string name(tzid);
    const auto found = zoneIndex_.find(name);
    if (found != zoneIndex_.end()) return found->second;
    if (zoneNames_.size() >= 1000) Fail("too many time zones");
    const auto index = int16_t(zoneNames_.size());
    zoneNames_.push_back(name);
    zoneLines_.push_back(line_);
    zoneIndex_.emplace(std::move(name), index);
    return index;
}

Time Reader::ParseTime(std::string_view text, const ContentLine& line, bool forceDate) {
    auto digits = [&](size_t at, size_t n) {
        int v = 0;
        for (size_t k = at; k < at + n; ++k) {
            if (k >= text.size() || !IsDigit(text[k])) Fail("a bad date or time '" + std::string(text) + "'");
            v = v * 10 + (text[k] - '0');
        }
        return v;
    };
    if (text.size() != 8 && text.size() != 15 && text.size() != 16) Fail("a bad date or time '" + std::string(text) + "'");
    const int year = digits(0, 4), month = digits(4, 2), day = digits(6, 2);
    if (month < 1 || month > 12 || day < 1 || day > DaysIn(year, month))
        Fail("a date that does not exist '" + std::string(text) + "'");
    Time t;
    t.Wall = DaysFromCivil(year, month, day) * kSecondsPerDay;
    if (text.size() == 8) {
        t.Kind = TimeKind::Date;
        return t;
    }
    if (text[8] != 'T' || (text.size() == 16 && text[15] != 'Z' && text[15] != 'z'))
        Fail("a bad date-time '" + std::string(text) + "'");
    const int hour = digits(9, 2), minute = digits(11, 2), second = digits(13, 2);
    if (hour > 23 || minute > 59 || second > 60) Fail("a time that does not exist '" + std::string(text) + "'");
    if (forceDate) {  // VALUE=DATE with a time: the date is what was meant
        t.Kind = TimeKind::Date;
        return t;
    }
    t.Wall += hour * 3600 + minute * 60 + std::min(second, 59);
    if (text.size() == 16) {
        t.Kind = TimeKind::Utc;
    } else {
        const std::string_view tzid = ParamValue(line, "TZID");
        if (!tzid.empty()) {
            t.Kind = TimeKind::Zoned;
            t.ZoneIndex = ZoneRef(tzid);
        }
    }
    return t;
}

Time Reader::ParseTimeProperty(const ContentLine& line) {
    const bool date = SameUpper(ParamValue(line, "VALUE"), "DATE");
    return ParseTime(line.Value, line, date);
}

void Reader::ParseTimeList(const ContentLine& line, std::vector<Time>* times, std::vector<RecurDate>* dates) {
    const std::string_view type = ParamValue(line, "VALUE");
    const bool date = SameUpper(type, "DATE");
    const bool period = SameUpper(type, "PERIOD");
    std::string_view rest = line.Value;
    while (!rest.empty()) {
        const size_t comma = rest.find(',');
        std::string_view item = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        if (item.empty()) continue;
        const size_t slash = item.find('/');
        if (slash != std::string_view::npos && !dates) Fail("a period where a date-time belongs");
        RecurDate rd;
        rd.Start = ParseTime(item.substr(0, slash), line, date);
        if (slash != std::string_view::npos) {
            const std::string_view second = item.substr(slash + 1);
            if (!second.empty() && (second[0] == 'P' || second[0] == '+' || second[0] == '-')) {
                rd.HasDuration = true;
                rd.Length = ParseDuration(second);
            } else {
                rd.HasEnd = true;
                rd.End = ParseTime(second, line, false);
            }
        } else if (period) {
            Fail("a period without its end");
        }
        if (times) times->push_back(rd.Start);
        else dates->push_back(rd);
        if ((times ? times->size() : dates->size()) > 100000) Fail("too many dates");
    }
}

Duration Reader::ParseDuration(std::string_view text) {
    const std::string bad = "a bad duration '" + std::string(text) + "'";
    size_t i = 0;
    int sign = 1;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) sign = text[i++] == '-' ? -1 : 1;
    if (i >= text.size() || Upper(text[i]) != 'P') Fail(bad);
    ++i;
    Duration d;
    bool inTime = false, any = false;
    while (i < text.size()) {
        if (Upper(text[i]) == 'T') {
            if (inTime) Fail(bad);
            inTime = true;
            ++i;
            continue;
        }
        int64_t n = 0;
        size_t digits = 0;
        while (i < text.size() && IsDigit(text[i])) {
            if (++digits > 9) Fail(bad);
            n = n * 10 + (text[i++] - '0');
        }
        if (digits == 0 || i == text.size()) Fail(bad);
        const char unit = Upper(text[i++]);
        if (!inTime && unit == 'W') d.Days += 7 * n;
        else if (!inTime && unit == 'D') d.Days += n;
        else if (inTime && unit == 'H') d.Seconds += 3600 * n;
        else if (inTime && unit == 'M') d.Seconds += 60 * n;
        else if (inTime && unit == 'S') d.Seconds += n;
        else Fail(bad);
        any = true;
    }
    if (!any) Fail(bad);
    d.Days *= sign;
    d.Seconds *= sign;
    return d;
}

int32_t Reader::ParseOffset(std::string_view text) {
    if ((text.size() != 5 && text.size() != 7) || (text[0] != '+' && text[0] != '-'))
        Fail("a bad UTC offset '" + std::string(text) + "'");
    int v[3] = {0, 0, 0};
    for (size_t k = 1; k < text.size(); ++k) {
        if (!IsDigit(text[k])) Fail("a bad UTC offset '" + std::string(text) + "'");
        v[(k - 1) / 2] = v[(k - 1) / 2] * 10 + (text[k] - '0');
    }
    if (v[0] > 23 || v[1] > 59 || v[2] > 59) Fail("a bad UTC offset '" + std::string(text) + "'");
    const int32_t s = v[0] * 3600 + v[1] * 60 + v[2];
    return text[0] == '-' ? -s : s;
}

int WeekdayCode(std::string_view code) {
    static const char* const kDays[] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};
    for (int d = 0; d < 7; ++d)
        if (SameUpper(code, kDays[d])) return d;
    return -1;
}

// The BY parts that are lists of numbers: their range, and whether they count from the end too.
struct NumberPart {
    const char* Name;
    std::vector<int16_t> Recur::*List;
    int Low, High;
    bool Signed;
};

const NumberPart* FindNumberPart(std::string_view key) {
    static const NumberPart kParts[] = {
        {"BYMONTH", &Recur::ByMonth, 1, 12, false},      {"BYWEEKNO", &Recur::ByWeekNo, 1, 53, true},
        {"BYYEARDAY", &Recur::ByYearDay, 1, 366, true},  {"BYMONTHDAY", &Recur::ByMonthDay, 1, 31, true},
        {"BYHOUR", &Recur::ByHour, 0, 23, false},        {"BYMINUTE", &Recur::ByMinute, 0, 59, false},
        {"BYSECOND", &Recur::BySecond, 0, 60, false},    {"BYSETPOS", &Recur::BySetPos, 1, 366, true},
    };
    for (const NumberPart& part : kParts)
        if (SameUpper(key, part.Name)) return &part;
    return nullptr;
}

Recur Reader::ParseRecur(std::string_view text) {
    Recur r;
    bool hasFreq = false;
    ContentLine none;
    auto list = [&](std::string_view value, std::vector<int16_t>& out, int lo, int hi, bool signedOk, const char* what) {
        while (!value.empty()) {
            const size_t comma = value.find(',');
            const int64_t n = Number(value.substr(0, comma), signedOk ? -hi : lo, hi, what);
            if (signedOk && n == 0 && lo > 0) Fail(std::string("a ") + what + " of 0");
            out.push_back(int16_t(n));
            if (out.size() > 400) Fail(std::string("too many values in ") + what);
            value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
        }
    };
    while (!text.empty()) {
        const size_t semi = text.find(';');
        const std::string_view part = text.substr(0, semi);
        text = semi == std::string_view::npos ? std::string_view() : text.substr(semi + 1);
        if (part.empty()) continue;
        const size_t eq = part.find('=');
        if (eq == std::string_view::npos) Fail("a recurrence rule part without '=' '" + std::string(part) + "'");
        const std::string_view key = part.substr(0, eq), value = part.substr(eq + 1);
        if (SameUpper(key, "FREQ")) {
            static const char* const kFreqs[] = {"SECONDLY", "MINUTELY", "HOURLY", "DAILY", "WEEKLY", "MONTHLY", "YEARLY"};
            int f = 0;
            while (f < 7 && !SameUpper(value, kFreqs[f])) ++f;
            if (f == 7) Fail("an unknown FREQ '" + std::string(value) + "'");
            r.Frequency = Freq(f);
            hasFreq = true;
        } else if (SameUpper(key, "INTERVAL")) {
            r.Interval = int32_t(Number(value, 1, 1000000, "INTERVAL"));
        } else if (SameUpper(key, "COUNT")) {
            r.Count = Number(value, 1, 1000000000, "COUNT");
        } else if (SameUpper(key, "UNTIL")) {
            r.HasUntil = true;
            r.Until = ParseTime(value, none, false);
        } else if (SameUpper(key, "WKST")) {
            const int d = WeekdayCode(value);
            if (d < 0) Fail("a bad WKST '" + std::string(value) + "'");
            r.WeekStart = int8_t(d);
        } else if (const NumberPart* numbers = FindNumberPart(key)) {
            list(value, r.*(numbers->List), numbers->Low, numbers->High, numbers->Signed, numbers->Name);
            if (numbers->List == &Recur::BySecond)
                for (int16_t& s : r.BySecond) s = std::min<int16_t>(s, 59);  // a leap second is the 59th
        } else if (SameUpper(key, "BYDAY")) {
            std::string_view v = value;
            while (!v.empty()) {
                const size_t comma = v.find(',');
                const std::string_view item = v.substr(0, comma);
                v = comma == std::string_view::npos ? std::string_view() : v.substr(comma + 1);
                if (item.size() < 2) Fail("a bad BYDAY '" + std::string(value) + "'");
                const int d = WeekdayCode(item.substr(item.size() - 2));
                if (d < 0) Fail("a bad BYDAY '" + std::string(value) + "'");
                WeekdayNum w;
                w.Weekday = int8_t(d);
                if (item.size() > 2) {
                    w.Ordinal = int16_t(Number(item.substr(0, item.size() - 2), -53, 53, "BYDAY ordinal"));
                    if (w.Ordinal == 0) Fail("a BYDAY ordinal of 0");
                }
                r.ByDay.push_back(w);
                if (r.ByDay.size() > 400) Fail("too many values in BYDAY");
            }
        }  // other parts (X- names, RSCALE, SKIP) are passed over
    }
    if (!hasFreq) Fail("a recurrence rule without FREQ");
    auto sorted = [](std::vector<int16_t>& v) {
        std::sort(v.begin(), v.end());
        v.erase(std::unique(v.begin(), v.end()), v.end());
    };
    sorted(r.ByMonth), sorted(r.ByHour), sorted(r.ByMinute), sorted(r.BySecond);
    return r;
}

void Reader::SkipComponent(std::string_view name) {
    const uint32_t begun = line_;
    auto upper = [](std::string_view v) {
        std::string u(v);
        for (char& c : u) c = Upper(c);
        return u;
    };
    std::vector<std::string> open{upper(name)};
    ContentLine line;
    while (NextLine(line)) {
        const std::string_view n = line.Name;
        if (n == "BEGIN") {
            if (open.size() > 100) Fail("components nested too deeply");
            open.push_back(upper(line.Value));
        } else if (n == "END") {
            if (!SameUpper(line.Value, open.back())) Fail("END:" + std::string(line.Value) + " inside " + open.back());
            open.pop_back();
            if (open.empty()) return;
        }
    }
    line_ = begun;
    Fail("the file ends inside " + std::string(name) + " begun here");
}

void Reader::ReadEvent(Calendar& calendar) {
    Event event;
    event.Line = line_;
    bool hasStart = false;
    std::vector<Recur> rules;
    std::vector<RecurDate> rdates;
    std::vector<Time> exdates;
    ContentLine line;
    while (NextLine(line)) {
        const std::string_view n = line.Name;
        if (n == "BEGIN") {
            SkipComponent(line.Value);  // VALARM and any other
        } else if (n == "END") {
            if (!SameUpper(line.Value, "VEVENT")) Fail("END:" + std::string(line.Value) + " inside VEVENT");
            if (!hasStart) return;  // nothing to place on a calendar
            event.FirstRule = uint32_t(calendar.Rules.size());
            event.RuleCount = uint32_t(rules.size());
            for (Recur& r : rules) calendar.Rules.push_back(std::move(r));
            event.FirstRDate = uint32_t(calendar.RDates.size());
            event.RDateCount = uint32_t(rdates.size());
            calendar.RDates.insert(calendar.RDates.end(), rdates.begin(), rdates.end());
            event.FirstExDate = uint32_t(calendar.ExDates.size());
            event.ExDateCount = uint32_t(exdates.size());
            calendar.ExDates.insert(calendar.ExDates.end(), exdates.begin(), exdates.end());
            calendar.Events.push_back(event);
            return;
        } else if (n == "DTSTART") {
            event.Start = ParseTimeProperty(line);
            hasStart = true;
        } else if (n == "DTEND") {
            event.End = ParseTimeProperty(line);
            event.HasEnd = true;
        } else if (n == "DURATION") {
            event.Length = ParseDuration(line.Value);
            event.HasDuration = true;
        } else if (n == "SUMMARY") {
            event.Summary = KeepText(line.Value, true);
        } else if (n == "URL") {
            event.Url = KeepText(line.Value, false);
        } else if (n == "UID") {
            event.Uid = KeepText(line.Value, false);
        } else if (n == "RRULE") {
            if (rules.size() >= 16) Fail("too many RRULEs");
            rules.push_back(ParseRecur(line.Value));
        } else if (n == "RDATE") {
            ParseTimeList(line, nullptr, &rdates);
        } else if (n == "EXDATE") {
            ParseTimeList(line, &exdates, nullptr);
        } else if (n == "RECURRENCE-ID") {
            event.RecurrenceId = ParseTimeProperty(line);
            event.HasRecurrenceId = true;
        } else if (n == "STATUS") {
            event.Cancelled = SameUpper(line.Value, "CANCELLED");
        }
    }
    line_ = event.Line;
    Fail("the file ends inside VEVENT begun here");
}

void Reader::ReadObservance(Observance& observance) {
    const uint32_t begun = line_;
    bool hasFrom = false, hasTo = false, hasStart = false;
    ContentLine line;
    while (NextLine(line)) {
        const std::string_view n = line.Name;
        if (n == "BEGIN") {
            SkipComponent(line.Value);
        } else if (n == "END") {
            if (!SameUpper(line.Value, "STANDARD") && !SameUpper(line.Value, "DAYLIGHT"))
                Fail("END:" + std::string(line.Value) + " inside a time zone's STANDARD or DAYLIGHT");
            if (!hasFrom || !hasTo || !hasStart) {
                line_ = begun;
                Fail("a time zone's STANDARD or DAYLIGHT without TZOFFSETFROM, TZOFFSETTO or DTSTART");
            }
            return;
        } else if (n == "TZOFFSETFROM") {
            observance.OffsetFrom = ParseOffset(line.Value);
            hasFrom = true;
        } else if (n == "TZOFFSETTO") {
            observance.OffsetTo = ParseOffset(line.Value);
            hasTo = true;
        } else if (n == "DTSTART") {
            observance.Start = ParseTime(line.Value, ContentLine(), false).Wall;
            hasStart = true;
        } else if (n == "RRULE") {
            if (observance.Rules.size() >= 16) Fail("too many RRULEs");
            observance.Rules.push_back(ParseRecur(line.Value));
        } else if (n == "RDATE") {
            std::vector<Time> dates;
            ParseTimeList(line, &dates, nullptr);
            for (const Time& t : dates) observance.Dates.push_back(t.Wall);
        }
    }
    line_ = begun;
    Fail("the file ends inside a time zone's STANDARD or DAYLIGHT begun here");
}

void Reader::ReadTimeZone(std::vector<std::pair<std::string, std::vector<Observance>>>& zones) {
    const uint32_t begun = line_;
    std::string tzid;
    std::vector<Observance> observances;
    ContentLine line;
    while (NextLine(line)) {
        const std::string_view n = line.Name;
        if (n == "BEGIN") {
            if (SameUpper(line.Value, "STANDARD") || SameUpper(line.Value, "DAYLIGHT")) {
                if (observances.size() >= 1000) Fail("too many observances in a time zone");
                observances.emplace_back();
                ReadObservance(observances.back());
            } else {
                SkipComponent(line.Value);
            }
        } else if (n == "END") {
            if (!SameUpper(line.Value, "VTIMEZONE")) Fail("END:" + std::string(line.Value) + " inside VTIMEZONE");
            if (tzid.empty() || observances.empty()) {
                line_ = begun;
                Fail("a VTIMEZONE without TZID or observances");
            }
            zones.emplace_back(std::move(tzid), std::move(observances));
            return;
        } else if (n == "TZID") {
            tzid = std::string(line.Value);
        }
    }
    line_ = begun;
    Fail("the file ends inside VTIMEZONE begun here");
}

Calendar Reader::Read() {
    if (bytes_.size() > kMaxFileBytes)
        throw EIcalError(fileName_ + ": the file is larger than " + std::to_string(kMaxFileBytes >> 20) + " MB");
    if (bytes_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
    Calendar calendar;
    calendar_ = &calendar;
    // The events' list at its final size at once: growing it would hold two copies for a moment.
    size_t events = 0;
    for (size_t at = bytes_.find("BEGIN:VEVENT"); at != std::string_view::npos; at = bytes_.find("BEGIN:VEVENT", at + 12))
        ++events;
    calendar.Events.reserve(events);
    std::vector<std::pair<std::string, std::vector<Observance>>> zones;
    ContentLine line;
    if (!NextLine(line) || std::string_view(line.Name) != "BEGIN" || !SameUpper(line.Value, "VCALENDAR")) {
        if (line_ == 0) line_ = 1;
        Fail("not an iCalendar file (it does not begin with BEGIN:VCALENDAR)");
    }
    const uint32_t begun = line_;
    bool ended = false;
    while (!ended && NextLine(line)) {
        const std::string_view n = line.Name;
        if (n == "BEGIN") {
            if (SameUpper(line.Value, "VEVENT")) ReadEvent(calendar);
            else if (SameUpper(line.Value, "VTIMEZONE")) ReadTimeZone(zones);
            else SkipComponent(line.Value);
        } else if (n == "X-WR-CALNAME") {
            calendar.Name = KeepText(line.Value, true);
        } else if (n == "END") {
            if (!SameUpper(line.Value, "VCALENDAR")) Fail("END:" + std::string(line.Value) + " inside VCALENDAR");
            ended = true;
        }
    }
    if (!ended) {
        line_ = begun;
        Fail("the file ends inside VCALENDAR begun here");
    }
    // Whatever follows END:VCALENDAR is not read.

    // Each TZID named: its VTIMEZONE, else the platform's zone, else floating.
    StepBudget budget{ExpandLimits{}.MaxFileSteps, 0, false};
    std::vector<int16_t> resolved(zoneNames_.size(), -1);
    for (size_t i = 0; i < zoneNames_.size(); ++i) {
        auto defined = std::find_if(zones.begin(), zones.end(), [&](const auto& z) { return z.first == zoneNames_[i]; });
        std::unique_ptr<Zone> zone =
            defined != zones.end() ? DefinedZone(defined->second, budget) : SystemZone(zoneNames_[i]);
        if (!zone) {
            calendar.Warnings.push_back(fileName_ + ", line " + std::to_string(zoneLines_[i]) + ": unknown time zone '" +
                                        zoneNames_[i] + "', read as floating local time");
            continue;
        }
        resolved[i] = int16_t(calendar.Zones.size());
        calendar.Zones.push_back(std::move(zone));
    }
    auto fix = [&](Time& t) {
        if (t.Kind != TimeKind::Zoned) return;
        t.ZoneIndex = resolved[size_t(t.ZoneIndex)];
        if (t.ZoneIndex < 0) t.Kind = TimeKind::Floating;
    };
    for (Event& e : calendar.Events) fix(e.Start), fix(e.End), fix(e.RecurrenceId);
    for (RecurDate& d : calendar.RDates) fix(d.Start), fix(d.End);
    for (Time& t : calendar.ExDates) fix(t);
    for (Recur& r : calendar.Rules) fix(r.Until);
    return calendar;
}

}  // namespace

int DaysIn(int64_t year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && LeapYear(year) ? 29 : kDays[month - 1];
}

int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = FloorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t& year, int& month, int& day) {
    z += 719468;
    const int64_t era = FloorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = yoe + era * 400 + (month <= 2);
}

Calendar ReadCalendar(std::string_view bytes, const std::string& fileName) {
    return Reader(bytes, fileName).Read();
}

}  // namespace tessel::ical
