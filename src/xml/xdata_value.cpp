#include "xml/xdata_value.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <new>

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

void* TxdataValue::operator new(std::size_t size) { return xml_detail::AllocateNodeMemory(size); }

void TxdataValue::operator delete(void* block, std::size_t size) noexcept { xml_detail::FreeNodeMemory(block, size); }

std::unique_ptr<TxdataValue> TxdataValue::FromBytes(std::string_view bytes, uint8_t kind) {
    const std::size_t size = sizeof(TxdataValue) + bytes.size();
    if (bytes.empty() || !xml_detail::PoolsSize(size)) return std::make_unique<TxdataValue>(bytes, kind);
    // Freed as a TxdataValue of its own size, which the pool allows (node_pool.h).
    void* block = xml_detail::AllocateNodeMemory(size);
    char* trailing = static_cast<char*>(block) + sizeof(TxdataValue);
    std::memcpy(trailing, bytes.data(), bytes.size());
    auto* piece = ::new (block) TxdataValue(kind);
    piece->text_.TakeTrailingBytes(trailing, bytes.size());
    return std::unique_ptr<TxdataValue>(piece);
}

std::string TxdataValue::Utf8Text() const { return Utf16ToUtf8(text_.Widened()); }
std::u16string TxdataValue::RawText() const { return text_.Widened(); }
TDateTime TxdataValue::AsDateTime() const { return ParseDateTimeOrZero(text_.Widened()); }

std::u16string TxdataValue::EscapedText() const {
    std::u16string out;
    out.reserve(text_.Size());
    if (text_.IsNarrow()) xml_entities::AppendEscaped(out, text_.Bytes());
    else xml_entities::AppendEscaped(out, text_.Units());
    return out;
}

std::u16string TxdataValue::Text() const { return text_.Widened(); }
double TxdataValue::AsFloat() const { return ParseFloatText(text_.Widened()); }
int32_t TxdataValue::AsInteger() const { return StrToInt(Trim(text_.Widened())); }

void TxdataValue::SetUtf8Text(std::string_view utf8) {
    NoteChange();
    text_.Assign(Utf8ToUtf16(utf8));
    kind_ = kXdataText;
}

void TxdataValue::SetCData(std::u16string_view text) {
    NoteChange();
    text_.Assign(text);
    kind_ = kXdataCData;
}

void TxdataValue::SetDateTime(TDateTime value) {
    NoteChange();
    text_.Assign(DateTimeText(value));
    kind_ = kXdataDateTime;
}

void TxdataValue::AppendXmlText(std::u16string_view xml) {
    NoteChange();
    text_.Append(xml_entities::DecodeText(xml));
}

void TxdataValue::SetText(std::u16string_view text) {
    NoteChange();
    text_.Assign(text);
    kind_ = kXdataText;
}

void TxdataValue::SetFloat(double value) {
    NoteChange();
    text_.Assign(FloatText(value));
    kind_ = kXdataFloat;
}

void TxdataValue::SetInteger(int32_t value) {
    NoteChange();
    text_.AssignBytes(std::to_string(value));
    kind_ = kXdataInteger;
}

std::u16string TxdataValue::XmlText() const { return WrittenForm(); }

std::u16string TxdataValue::WrittenForm() const {
    switch (kind_) {
        case kXdataCData: return u"<![CDATA[" + text_.Widened() + u"]]>";
        case kXdataComment:
            return Widen(xml_entities::CommentOpening(text_.Front())) + text_.Widened() + u"-->";
        default: return EscapedText();
    }
}

void TxdataValue::Clear() { text_.Clear(); }

}  // namespace tessel
