#include "xml/xdata_value.h"

#include <charconv>
#include <cmath>

#include "base/errors.h"
#include "base/strict_int.h"
#include "base/text.h"
#include "xml/node_pool.h"
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

TxdataValue::TxdataValue(std::string_view bytes, uint8_t kind) : text_(bytes.size(), u'\0'), kind_(kind) {
    for (size_t i = 0; i < bytes.size(); ++i) text_[i] = static_cast<unsigned char>(bytes[i]);
}

void* TxdataValue::operator new(std::size_t size) { return xml_detail::AllocateNodeMemory(size); }

void TxdataValue::operator delete(void* block, std::size_t size) noexcept { xml_detail::FreeNodeMemory(block, size); }

std::string TxdataValue::Utf8Text() const { return Utf16ToUtf8(StoredText()); }
std::u16string TxdataValue::RawText() const { return std::u16string(StoredText()); }
TDateTime TxdataValue::AsDateTime() const { return ParseDateTimeOrZero(StoredText()); }

std::u16string TxdataValue::EscapedText() const {
    std::u16string out;
    out.reserve(text_.size());
    xml_entities::AppendEscaped(out, StoredText());
    return out;
}

std::u16string TxdataValue::Text() const { return std::u16string(StoredText()); }
double TxdataValue::AsFloat() const { return ParseFloatText(StoredText()); }
int32_t TxdataValue::AsInteger() const { return StrToInt(Trim(StoredText())); }

void TxdataValue::SetUtf8Text(std::string_view utf8) {
    const std::u16string text = Utf8ToUtf16(utf8);
    text_.assign(text.data(), text.size());
    kind_ = kXdataText;
}

void TxdataValue::SetCData(std::u16string_view text) {
    text_ = text;
    kind_ = kXdataCData;
}

void TxdataValue::SetDateTime(TDateTime value) {
    const std::u16string text = DateTimeText(value);
    text_.assign(text.data(), text.size());
    kind_ = kXdataDateTime;
}

void TxdataValue::AppendXmlText(std::u16string_view xml) {
    const std::u16string decoded = xml_entities::DecodeText(xml);
    text_.append(decoded.data(), decoded.size());
}

void TxdataValue::SetText(std::u16string_view text) {
    text_ = text;
    kind_ = kXdataText;
}

void TxdataValue::SetFloat(double value) {
    const std::u16string text = FloatText(value);
    text_.assign(text.data(), text.size());
    kind_ = kXdataFloat;
}

void TxdataValue::SetInteger(int32_t value) {
    const std::u16string text = Widen(std::to_string(value));
    text_.assign(text.data(), text.size());
    kind_ = kXdataInteger;
}

std::u16string TxdataValue::XmlText() const { return WrittenForm(); }

std::u16string TxdataValue::WrittenForm() const {
    switch (kind_) {
        case kXdataCData: return u"<![CDATA[" + std::u16string(StoredText()) + u"]]>";
        case kXdataComment:
            return Widen(xml_entities::CommentOpening(StoredText())) + std::u16string(StoredText()) + u"-->";
        default: return EscapedText();
    }
}

void TxdataValue::Clear() { text_.clear(); }

}  // namespace tessel
