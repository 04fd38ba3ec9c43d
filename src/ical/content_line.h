#pragma once
// Content lines (RFC 5545 section 3.1): unfolded, the name in upper case, the few parameters the
// reader uses, the value. Internal to the library.
#include <cstdint>
#include <string>
#include <string_view>

namespace tessel::ical {

struct ContentLine {
    char Name[32] = {};  // upper case; names longer than this are none we read
    std::string_view Tzid, ValueType, Range;  // unquoted; every other parameter is passed over
    std::string_view Value;
    uint32_t Line = 0;        // where it begins
    const char* Problem = nullptr;  // a damaged line: why; the rest is unset
};

bool SameUpper(std::string_view text, std::string_view upper);

class LineReader {
public:
    explicit LineReader(std::string_view bytes);

    // The next content line, blank lines passed over; false at the end. The views stay valid
    // until the next call.
    bool Next(ContentLine& line);

private:
    void Parse(std::string_view text, ContentLine& line) const;

    std::string_view bytes_;
    size_t pos_ = 0;
    uint32_t nextLine_ = 1;  // of the physical line at pos_
    std::string folded_;     // an unfolded line's text when it was folded
};

}  // namespace tessel::ical
