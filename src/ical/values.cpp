#include "ical/values.h"

#include <algorithm>

#include "ical/content_line.h"
#include "ical/ical_internal.h"

namespace tessel::ical {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

[[noreturn]] void Bad(std::string reason) { throw ValueError{std::move(reason)}; }

std::string_view Trimmed(std::string_view v) {
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
    return v;
}

int64_t Number(std::string_view text, int64_t lo, int64_t hi, const char* what) {
    text = Trimmed(text);
    bool negative = false;
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size() || text.size() - i > 12) Bad(std::string("a bad ") + what + " '" + std::string(text) + "'");
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (!IsDigit(text[i])) Bad(std::string("a bad ") + what + " '" + std::string(text) + "'");
        v = v * 10 + (text[i] - '0');
    }
    if (negative) v = -v;
    if (v < lo || v > hi) Bad(std::string("a ") + what + " out of range '" + std::string(text) + "'");
    return v;
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

// Calls each(item) for every comma-separated item, blanks around it trimmed, empty ones skipped.
template <class Each>
void ForEachItem(std::string_view list, Each each) {
    while (!list.empty()) {
        const size_t comma = list.find(',');
        const std::string_view item = Trimmed(list.substr(0, comma));
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
        if (!item.empty()) each(item);
    }
}

}  // namespace

Time ParseTime(std::string_view text, bool dateOnly, bool* lenient) {
    auto bad = [&](const char* what) { Bad(std::string(what) + " '" + std::string(text) + "'"); };
    auto digits = [&](size_t at, size_t n) {
        int v = 0;
        for (size_t k = at; k < at + n; ++k) {
            if (k >= text.size() || !IsDigit(text[k])) bad("a bad date or time");
            v = v * 10 + (text[k] - '0');
        }
        return v;
    };
    size_t size = text.size();
    if (size == 9 && (text[8] == 'Z' || text[8] == 'z') && lenient) {  // a date written with a stray Z
        *lenient = true;
        size = 8;
    }
    if (size != 8 && size != 15 && size != 16) bad("a bad date or time");
    const int year = digits(0, 4), month = digits(4, 2), day = digits(6, 2);
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) bad("a date that does not exist");
    Time t;
    t.Wall = DaysFromCivil(year, month, day) * kSecondsPerDay;
    if (size == 8) {
        t.Kind = TimeKind::Date;
        return t;
    }
    if (text[8] != 'T' || (size == 16 && text[15] != 'Z' && text[15] != 'z')) bad("a bad date-time");
    const int hour = digits(9, 2), minute = digits(11, 2), second = digits(13, 2);
    if (hour > 23 || minute > 59 || second > 60) bad("a time that does not exist");
    if (dateOnly) {  // VALUE=DATE with a time: the date is what was meant
        t.Kind = TimeKind::Date;
        return t;
    }
    t.Wall += hour * 3600 + minute * 60 + std::min(second, 59);
    t.Kind = size == 16 ? TimeKind::Utc : TimeKind::Floating;
    return t;
}

Duration ParseDuration(std::string_view text) {
    auto bad = [&] { Bad("a bad duration '" + std::string(text) + "'"); };
    size_t i = 0;
    int sign = 1;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) sign = text[i++] == '-' ? -1 : 1;
    if (i >= text.size() || (text[i] != 'P' && text[i] != 'p')) bad();
    ++i;
    Duration d;
    bool inTime = false, any = false;
    while (i < text.size()) {
        if (text[i] == 'T' || text[i] == 't') {
            if (inTime) bad();
            inTime = true;
            ++i;
            continue;
        }
        int64_t n = 0;
        size_t digits = 0;
        while (i < text.size() && IsDigit(text[i])) {
            if (++digits > 9) bad();
            n = n * 10 + (text[i++] - '0');
        }
        if (digits == 0 || i == text.size()) bad();
        const char unit = char(text[i] >= 'a' && text[i] <= 'z' ? text[i] - 32 : text[i]);
        ++i;
        if (!inTime && unit == 'W') d.Days += 7 * n;
        else if (!inTime && unit == 'D') d.Days += n;
        else if (inTime && unit == 'H') d.Seconds += 3600 * n;
        else if (inTime && unit == 'M') d.Seconds += 60 * n;
        else if (inTime && unit == 'S') d.Seconds += n;
        else bad();
        any = true;
    }
    if (!any) bad();
    d.Days *= sign;
    d.Seconds *= sign;
    return d;
}

int32_t ParseOffset(std::string_view text) {
    auto bad = [&] { Bad("a bad UTC offset '" + std::string(text) + "'"); };
    if ((text.size() != 5 && text.size() != 7) || (text[0] != '+' && text[0] != '-')) bad();
    int v[3] = {0, 0, 0};
    for (size_t k = 1; k < text.size(); ++k) {
        if (!IsDigit(text[k])) bad();
        v[(k - 1) / 2] = v[(k - 1) / 2] * 10 + (text[k] - '0');
    }
    if (v[0] > 23 || v[1] > 59 || v[2] > 59) bad();
    const int32_t s = v[0] * 3600 + v[1] * 60 + v[2];
    return text[0] == '-' ? -s : s;
}

Recur ParseRecur(std::string_view text, std::string* note) {
    Recur r;
    bool hasFreq = false;
    std::string badCount;
    if (Trimmed(text).empty()) Bad("an empty recurrence rule");
    auto list = [&](std::string_view value, std::vector<int16_t>& out, int lo, int hi, bool signedOk, const char* what) {
        ForEachItem(value, [&](std::string_view item) {
            const int64_t n = Number(item, signedOk ? -hi : lo, hi, what);
            if (signedOk && n == 0 && lo > 0) Bad(std::string("a ") + what + " of 0");
            out.push_back(int16_t(n));
            if (out.size() > 400) Bad(std::string("too many values in ") + what);
        });
    };
    while (!text.empty()) {
        const size_t semi = text.find(';');
        const std::string_view part = Trimmed(text.substr(0, semi));
        text = semi == std::string_view::npos ? std::string_view() : text.substr(semi + 1);
        if (part.empty()) continue;
        const size_t eq = part.find('=');
        if (eq == std::string_view::npos) Bad("a recurrence rule part without '=' '" + std::string(part) + "'");
        const std::string_view key = Trimmed(part.substr(0, eq)), value = Trimmed(part.substr(eq + 1));
        if (SameUpper(key, "FREQ")) {
            static const char* const kFreqs[] = {"SECONDLY", "MINUTELY", "HOURLY", "DAILY", "WEEKLY", "MONTHLY", "YEARLY"};
            int f = 0;
            while (f < 7 && !SameUpper(value, kFreqs[f])) ++f;
            if (f == 7) Bad("an unknown FREQ '" + std::string(value) + "'");
            r.Frequency = Freq(f);
            hasFreq = true;
        } else if (SameUpper(key, "INTERVAL")) {
            r.Interval = int32_t(Number(value, 1, 1000000, "INTERVAL"));
        } else if (SameUpper(key, "COUNT")) {
            try {
                r.Count = Number(value, 1, 1000000000, "COUNT");
            } catch (const ValueError& e) {
                badCount = e.Reason;  // an UNTIL beside it governs
            }
        } else if (SameUpper(key, "UNTIL")) {
            r.HasUntil = true;
            r.Until = ParseTime(value, false);
        } else if (SameUpper(key, "WKST")) {
            const int d = WeekdayCode(value);
            if (d < 0) Bad("a bad WKST '" + std::string(value) + "'");
            r.WeekStart = int8_t(d);
        } else if (const NumberPart* numbers = FindNumberPart(key)) {
            list(value, r.*(numbers->List), numbers->Low, numbers->High, numbers->Signed, numbers->Name);
            if (numbers->List == &Recur::BySecond)
                for (int16_t& s : r.BySecond) s = std::min<int16_t>(s, 59);  // a leap second is the 59th
        } else if (SameUpper(key, "BYDAY")) {
            ForEachItem(value, [&](std::string_view item) {
                const int d = item.size() < 2 ? -1 : WeekdayCode(item.substr(item.size() - 2));
                if (d < 0) Bad("a bad BYDAY '" + std::string(value) + "'");
                WeekdayNum w;
                w.Weekday = int8_t(d);
                if (item.size() > 2) {
                    w.Ordinal = int16_t(Number(item.substr(0, item.size() - 2), -53, 53, "BYDAY ordinal"));
                    if (w.Ordinal == 0) Bad("a BYDAY ordinal of 0");
                }
                r.ByDay.push_back(w);
                if (r.ByDay.size() > 400) Bad("too many values in BYDAY");
            });
        }  // other parts (X- names, RSCALE, SKIP) are passed over
    }
    if (!hasFreq) Bad("a recurrence rule without FREQ");
    if (!badCount.empty()) {
        if (!r.HasUntil) Bad(badCount);
        if (note) *note = badCount + " beside UNTIL, ignored";
    }
    auto sorted = [](std::vector<int16_t>& v) {
        std::sort(v.begin(), v.end());
        v.erase(std::unique(v.begin(), v.end()), v.end());
    };
    sorted(r.ByMonth), sorted(r.ByHour), sorted(r.ByMinute), sorted(r.BySecond);
    return r;
}

void AppendText(std::string& out, std::string_view value, bool unescape) {
    size_t i = 0;
    while (i < value.size()) {
        size_t plain = i;  // printable ASCII needs no look: taken as a run
        while (plain < value.size() && value[plain] >= 0x20 && value[plain] < 0x7F && value[plain] != '\\') ++plain;
        out.append(value.data() + i, plain - i);
        if ((i = plain) == value.size()) break;
        const auto c = static_cast<unsigned char>(value[i]);
        if (unescape && c == '\\' && i + 1 < value.size()) {
            const char e = value[i + 1];
            if (e == 'n' || e == 'N') out += '\n';
            else if (e == '\\' || e == ';' || e == ',') out += e;
            else out += '\\';  // not an escape: the backslash stays, the next byte is read as itself
            i += e == 'n' || e == 'N' || e == '\\' || e == ';' || e == ',' ? 2 : 1;
            continue;
        }
        if (c < 0x20 && c != '\t' && c != '\n') {  // NUL and other controls would end or garble a title
            ++i;
            continue;
        }
        size_t n = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        bool ok = n != 0 && i + n <= value.size();
        for (size_t k = 1; ok && k < n; ++k) ok = (static_cast<unsigned char>(value[i + k]) & 0xC0) == 0x80;
        if (ok && n >= 3) {  // no overlong forms, surrogates or values above U+10FFFF
            const auto c1 = static_cast<unsigned char>(value[i + 1]);
            if (c == 0xE0 && c1 < 0xA0) ok = false;
            if (c == 0xED && c1 > 0x9F) ok = false;
            if (c == 0xF0 && c1 < 0x90) ok = false;
            if (c == 0xF4 && c1 > 0x8F) ok = false;
        }
        if (ok) {
            out.append(value.data() + i, n);
            i += n;
        } else {
            out.append("\xEF\xBF\xBD");
            ++i;
        }
    }
}

}  // namespace tessel::ical
