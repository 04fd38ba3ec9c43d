#include "data_file.h"

#include "base/text.h"
#include "query.h"

namespace tessel::service {

namespace {

enum class Section { None, Account, Calendar, Event };

bool IsValidUtf8(std::string_view text) {
    return Utf16ToUtf8(Utf8ToUtf16(text)) == text;
}

std::string Unescape(std::string_view value) {
    std::string result;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            result += value[i];
            continue;
        }
        switch (value[++i]) {
        case 'n': result += '\n'; break;
        case 'r': result += '\r'; break;
        case 't': result += '\t'; break;
        case '\\': result += '\\'; break;
        default: result += '\\'; result += value[i]; break;
        }
    }
    return result;
}

class Reader {
public:
    ServiceData Read(std::string_view text) {
        size_t position = 0;
        while (position <= text.size()) {
            size_t end = text.find('\n', position);
            if (end == std::string_view::npos) end = text.size();
            ++line_;
            ReadLine(Trim(text.substr(position, end - position)));
            position = end + 1;
        }
        FinishEvent();
        const std::string problem = CheckData(data_);
        if (!problem.empty()) throw EDataError(problem);
        return std::move(data_);
    }

private:
    [[noreturn]] void Fail(const std::string& reason) const {
        throw EDataError("line " + std::to_string(line_) + ": " + reason);
    }

    void ReadLine(const std::string& line) {
        if (line.empty() || line[0] == '#') return;
        if (!IsValidUtf8(line)) Fail("the text is not UTF-8");
        if (line.front() == '[') return OpenSection(line);
        const size_t equals = line.find('=');
        if (equals == std::string::npos) Fail("expected key = value");
        const std::string key = LowerAscii(Trim(std::string_view(line).substr(0, equals)));
        const std::string value = Unescape(Trim(std::string_view(line).substr(equals + 1)));
        switch (section_) {
        case Section::None: Fail("a value before the first section");
        case Section::Account: return AccountValue(key, value);
        case Section::Calendar: return CalendarValue(key, value);
        case Section::Event: return EventValue(key, value);
        }
    }

    void OpenSection(const std::string& line) {
        FinishEvent();
        if (line == "[account]") {
            data_.accounts.emplace_back();
            section_ = Section::Account;
        } else if (line == "[calendar]") {
            if (data_.accounts.empty()) Fail("a calendar before any account");
            data_.accounts.back().calendars.emplace_back();
            section_ = Section::Calendar;
        } else if (line == "[event]") {
            if (data_.accounts.empty() || data_.accounts.back().calendars.empty()) Fail("an event before any calendar");
            section_ = Section::Event;
            event_ = EventRecord{};
            eventLine_ = line_;
            hasStart_ = false;
            hasEnd_ = false;
        } else {
            Fail("unknown section " + line);
        }
    }

    void AccountValue(const std::string& key, const std::string& value) {
        AccountRecord& account = data_.accounts.back();
        if (key == "email")
            account.email = value;
        else if (key == "password")
            account.password = value;
        else if (key == "name")
            account.name = value;
        else if (key == "gsessionid")
            account.gsessionid = ReadFlag(value);
        else
            Fail("unknown account key " + key);
    }

    void CalendarValue(const std::string& key, const std::string& value) {
        CalendarRecord& calendar = data_.accounts.back().calendars.back();
        if (key == "id")
            calendar.id = value;
        else if (key == "title")
            calendar.title = value;
        else if (key == "color" || key == "colour")
            calendar.color = value;
        else
            Fail("unknown calendar key " + key);
    }

    void EventValue(const std::string& key, const std::string& value) {
        if (key == "id") {
            event_.id = value;
        } else if (key == "title") {
            event_.title = value;
        } else if (key == "content") {
            event_.content = value;
        } else if (key == "where") {
            event_.where = value;
        } else if (key == "link") {
            event_.link = value;
        } else if (key == "start") {
            bool dateOnly = false;
            if (!ParseWallText(value, event_.start, dateOnly)) Fail("start is not a date or date and time: " + value);
            event_.allDay = dateOnly;
            hasStart_ = true;
        } else if (key == "end") {
            bool dateOnly = false;
            if (!ParseWallText(value, event_.end, dateOnly)) Fail("end is not a date or date and time: " + value);
            endDateOnly_ = dateOnly;
            hasEnd_ = true;
        } else if (key == "repeat") {
            ReadRepeat(value);
        } else {
            Fail("unknown event key " + key);
        }
    }

    bool ReadFlag(const std::string& value) const {
        const std::string flag = LowerAscii(value);
        if (flag == "yes" || flag == "true" || flag == "1") return true;
        if (flag == "no" || flag == "false" || flag == "0") return false;
        Fail("expected yes or no: " + value);
    }

    void ReadRepeat(const std::string& value) {
        const size_t blank = value.find(' ');
        const std::string kind = LowerAscii(value.substr(0, blank));
        long long count = 0;
        if (blank == std::string::npos || !ParseBoundedInt(Trim(value.substr(blank + 1)), 1, kMaxRepeatCount, count))
            Fail("repeat needs daily or weekly and a count 1 to " + std::to_string(kMaxRepeatCount));
        if (kind == "daily")
            event_.repeat = Repeat::Daily;
        else if (kind == "weekly")
            event_.repeat = Repeat::Weekly;
        else
            Fail("repeat is daily or weekly, not " + kind);
        event_.count = static_cast<int>(count);
    }

    void FinishEvent() {
        if (section_ != Section::Event) return;
        section_ = Section::None;
        const int here = line_;
        line_ = eventLine_;  // errors about the whole event point at its header
        if (!hasStart_) Fail("the event has no start");
        if (hasEnd_ && endDateOnly_ != event_.allDay) Fail("start and end must both have a time, or neither");
        if (!hasEnd_) event_.end = event_.start + (event_.allDay ? kSecondsPerDay : 3600);
        const std::string problem = CheckEvent(event_);
        if (!problem.empty()) Fail(problem);
        auto& events = data_.accounts.back().calendars.back().events;
        if (event_.id.empty()) event_.id = "e" + std::to_string(events.size() + 1);
        events.push_back(event_);
        line_ = here;
    }

    ServiceData data_;
    Section section_ = Section::None;
    EventRecord event_;
    int line_ = 0;
    int eventLine_ = 0;
    bool hasStart_ = false;
    bool hasEnd_ = false;
    bool endDateOnly_ = false;
};

}  // namespace

ServiceData ParseDataFile(std::string_view text) {
    return Reader().Read(text);
}

}  // namespace tessel::service
