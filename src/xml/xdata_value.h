#pragma once
// One piece of XML content: a wide text and the kind of content it came from or was set as.
// Element nodes (TxdataNode) derive from it and use the kind for the node as a whole.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/date_time.h"
#include "xml/node_pool.h"
#include "xml/piece_text.h"

namespace tessel {

// The kind byte of a piece or a node.
enum TxdataKind : uint8_t {
    kXdataParsedText = 0,  // text read from a document, references already decoded
    kXdataText = 1,        // text set through the API
    kXdataInteger = 2,
    kXdataFloat = 3,
    kXdataDateTime = 4,    // "yyyy-mm-dd hh:nn:ss"
    kXdataCData = 5,
    kXdataComment = 6,
    kXdataElements = 7,    // a node holding child elements or pieces of several kinds
};

class TxdataValue {
public:
    TxdataValue() = default;
    TxdataValue(std::u16string_view text, uint8_t kind) : kind_(kind) { text_.Assign(text); }
    // From 8-bit text through the system code page: byte b becomes unit b.
    TxdataValue(std::string_view bytes, uint8_t kind) : kind_(kind) { text_.AssignBytes(bytes); }
    // The same, with the bytes in the piece's own block when they fit there: a parsed feed holds
    // tens of thousands of short texts, each then one allocation.
    static std::unique_ptr<TxdataValue> FromBytes(std::string_view bytes, uint8_t kind);
    virtual ~TxdataValue() = default;
    TxdataValue(const TxdataValue&) = delete;
    TxdataValue& operator=(const TxdataValue&) = delete;

    virtual std::string Utf8Text() const;
    virtual std::u16string RawText() const;
    // "yyyy-mm-dd hh:nn:ss" or m/d/yyyy with an optional time; 0 when the text is unreadable.
    virtual TDateTime AsDateTime() const;
    virtual std::u16string EscapedText() const;
    virtual std::u16string Text() const;
    // Raises EConvertError when the text is not a number.
    virtual double AsFloat() const;
    // The trimmed text; raises EConvertError when it is not an integer.
    virtual int32_t AsInteger() const;
    virtual void SetUtf8Text(std::string_view utf8);
    virtual void SetCData(std::u16string_view text);
    virtual void SetDateTime(TDateTime value);
    // Appends the text with its entity references decoded; raises EError on an unknown reference.
    virtual void AppendXmlText(std::u16string_view xml);
    virtual void SetText(std::u16string_view text);
    virtual void SetFloat(double value);
    virtual void SetInteger(int32_t value);
    uint8_t Kind() const { return kind_; }
    virtual std::u16string XmlText() const;
    // CDATA and comments wrapped in their delimiters, every other kind escaped.
    virtual std::u16string WrittenForm() const;
    virtual void Clear();

    // Nodes and pieces come from a pool of fixed-size blocks (node_pool.h).
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size) noexcept;

    bool IsNode() const { return isNode_; }
    // The piece's own text as it is held, 8-bit or wide, without copying.
    const xml_detail::PieceText& Stored() const { return text_; }
    // The same as units.
    std::u16string StoredText() const { return text_.Widened(); }

protected:
    struct NodeTag {};
    explicit TxdataValue(NodeTag) : isNode_(true) {}
    explicit TxdataValue(uint8_t kind) : kind_(kind) {}

    // Every change that could put memory from elsewhere into a tree, or take some out of it,
    // tells the arena the object lies in (node_pool.h); `foreign` when the change holds memory
    // the arena cannot give back, even while the tree is being built.
    void NoteChange(bool foreign = false) const {
        if (fromArena_) xml_detail::NoteArenaChange(this, foreign);
    }
    bool fromArena() const { return fromArena_; }

    xml_detail::PieceText text_;
    uint8_t kind_ = kXdataParsedText;

private:
    bool isNode_ = false;
    const bool fromArena_ = xml_detail::FromArena(this);
};

// The texts numbers and dates are stored as.
std::u16string FloatText(double value);
std::u16string DateTimeText(TDateTime value);
double ParseFloatText(std::u16string_view text);
TDateTime ParseDateTimeOrZero(std::u16string_view text);

}  // namespace tessel
