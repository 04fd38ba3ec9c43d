#include "xml/xdata_value.h"

#include <charconv>
#include <cmath>

#include "base/errors.h"
#include "base/strict_int.h"
#include "base/text.h"
#include "xml/xml_entities.h"

namespace tessel {

std::u16string FloatText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return Widen(std::string_view(buffer, result.ptr - buffer));
}

std::u16string DateTimeText(TDateTime value) { return Widen(FormatIsoDateTime(value)); }

double ParseFloatText(std::u16string_view text) {
    const std::string bytes = Trim(Narrow(text));
    double value = 0;
    const char* first = bytes.data();
    const char* last = first + bytes.size();
    if (first != last && *first == '+') ++first;
    const auto result = std::from_chars(first, last, value);
    if (bytes.empty() || result.ec != std::errc() || result.ptr != last || !std::isfinite(value))
        throw EConvertError("'" + Narrow(text) + "' is not a valid floating point value");
    return value;
}

TDateTime ParseDateTimeOrZero(std::u16string_view text) {
    TDateTime value = 0;
    return TryParseDateTimeText(Trim(Narrow(text)), value) ? value : 0;
}

std::string TxdataValue::Utf8Text() const { return Utf16ToUtf8(text_); }
std::u16string TxdataValue::RawText() const { return text_; }
TDateTime TxdataValue::AsDateTime() const { return ParseDateTimeOrZero(text_); }

std::u16string TxdataValue::EscapedText() const {
    std::u16string out;
    out.reserve(text_.size());
    xml_entities::AppendEscaped(out, text_);
    return out;
}

std::u16string TxdataValue::Text() const { return text_; }
double TxdataValue::AsFloat() const { return ParseFloatText(text_); }
int32_t TxdataValue::AsInteger() const { return StrToInt(Trim(text_)); }

void TxdataValue::SetUtf8Text(std::string_view utf8) {
    text_ = Utf8ToUtf16(utf8);
    kind_ = kXdataText;
}

void TxdataValue::SetCData(std::u16string_view text) {
    text_ = text;
    kind_ = kXdataCData;
}

void TxdataValue::SetDateTime(TDateTime value) {
    text_ = DateTimeText(value);
    kind_ = kXdataDateTime;
}

void TxdataValue::AppendXmlText(std::u16string_view xml) { text_ += xml_entities::DecodeText(xml); }

void TxdataValue::SetText(std::u16string_view text) {
    text_ = text;
    kind_ = kXdataText;
}

void TxdataValue::SetFloat(double value) {
    text_ = FloatText(value);
    kind_ = kXdataFloat;
}

void TxdataValue::SetInteger(int32_t value) {
    text_ = Widen(std::to_string(value));
    kind_ = kXdataInteger;
}

std::u16string TxdataValue::XmlText() const { return WrittenForm(); }

std::u16string TxdataValue::WrittenForm() const {
    switch (kind_) {
        case kXdataCData: return u"<![CDATA[" + text_ + u"]]>";
        case kXdataComment: return u"<!--" + text_ + u"-->";
        default: return EscapedText();
    }
}

void TxdataValue::Clear() { text_.clear(); }

}  // namespace tessel
