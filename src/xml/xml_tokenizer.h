#pragma once
// The grammar both tokenizers share, written once over the character type: bytes for the 8-bit
// tokenizer, UTF-16 code units for the UTF-16 one. Only the character classes differ. Tokens are
// views into the text, which must outlive the tokenizer.
//
// The scanner is lenient where stored files and feed replies rely on it (text after the top
// element's end is skipped; an attribute keeps its single quotes; white space before "=" stays
// in the attribute's name) and strict elsewhere: every error is raised at once.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "base/crlf_pieces.h"
#include "base/errors.h"
#include "xml/xml_chars.h"
#include "xml/xml_entities.h"
#include "xml/xml_parser.h"

namespace tessel::xml_detail {

template <class CharT>
struct CharClasses;

// The UTF-16 tokenizer also differs in its attributes: it removes single quotes as well as
// double ones, and refuses an attribute without a value.
template <>
struct CharClasses<char> {
    static uint8_t Of(char c) { return xml_chars::kByteClass[static_cast<unsigned char>(c)]; }
    static constexpr bool kStripsSingleQuotes = false;
};

template <>
struct CharClasses<char16_t> {
    static uint8_t Of(char16_t c) { return xml_chars::WideClass(c); }
    static constexpr bool kStripsSingleQuotes = true;
};

[[noreturn]] void RaiseParserError(const std::string& message, int line, int column);

// An attribute of a tag split as the tree stores it: the name is everything before the "="
// (white space before it included), the value what follows it without the blanks before it and
// with one pair of surrounding quotes removed (double quotes only for 8-bit text; either kind for
// UTF-16 text, which refuses an attribute without a value). The value is as written: one that
// holds an escaped double quote is decoded by DecodedAttributeValue.
template <class CharT>
struct AttributeSpan {
    std::basic_string_view<CharT> name;
    std::basic_string_view<CharT> value;
};

template <class CharT>
std::basic_string<CharT> DecodedAttributeValue(std::basic_string_view<CharT> value) {
    if (xml_entities::HoldsQuoteReference(value)) return xml_entities::DecodeQuotedValue(value);
    return std::basic_string<CharT>(value);
}

template <class CharT>
class Tokenizer {
public:
    using View = std::basic_string_view<CharT>;

    explicit Tokenizer(View text) : text_(text) {}
    // Over a text read in pieces (8-bit only): the items, their texts and errors are those of
    // the whole text. An item that runs past the end of what is held is read again from its
    // start once the next piece is in; what comes before the item is let go.
    explicit Tokenizer(CrLfPieces& pieces) : pieces_(&pieces) {}

    bool NextItem() {
        if constexpr (std::is_same_v<CharT, char>)
            if (pieces_) return NextItemOfPieces();
        return ReadItem();
    }
    // Changes whenever the text moves (a new piece): views of earlier items are then gone.
    unsigned Generation() const { return generation_; }

    TxmlItem Type() const { return type_; }
    View Name() const { return name_; }
    View Token() const { return token_; }
    bool EmptyElement() const { return empty_; }
    // The attributes of the current start tag or declaration.
    const std::vector<AttributeSpan<CharT>>& Attributes() const { return attributes_; }

    [[noreturn]] void Error(const std::string& message) const {
        // Within an item that has reached the end of a piece, an error may be only that end.
        if (partial_ && pos_ >= text_.size()) throw PieceEnd{};
        RaiseParserError(message, Line(), Column());
    }

    // Counted when asked for, so the scanning loops need not watch for line breaks; the text let
    // go of (read in pieces) has its count kept.
    int Line() const {
        uint64_t line = crsBefore_;
        const size_t end = std::min(pos_, text_.size());
        for (size_t i = 0; i < end; ++i)
            if (text_[i] == CharT('\r')) ++line;
        return static_cast<int>(line);
    }

    int Column() const {
        uint64_t lastCr = lastCrBefore_;  // 1-based position of the last CR before the error, 0 for none
        const size_t end = std::min(pos_, text_.size());
        for (size_t i = 0; i < end; ++i)
            if (text_[i] == CharT('\r')) lastCr = offset_ + i + 1;
        return static_cast<int>(offset_ + pos_ + 1 - lastCr);
    }

private:
    // Raised by Error where the end of a piece may be all that is wrong.
    struct PieceEnd {};

    bool ReadItem();
    bool NextItemOfPieces();
    void NextPiece(size_t keep);

    enum class Lexeme {
        None,
        Name,
        Attribute,
        EmptyTagClose,
        TagClose,
        DeclarationClose,
        CDataOpen,
        CommentOpen,
        DoctypeOpen,
        EntityOpen,
        EndTagOpen,
        DeclarationOpen,
        StartTagOpen,
        Text,
    };

    static bool Is(CharT c, uint8_t flag) { return (CharClasses<CharT>::Of(c) & flag) != 0; }

    bool AtEnd() const { return pos_ >= text_.size(); }
    CharT CurrentChar() const { return AtEnd() ? CharT(0) : text_[pos_]; }
    void Advance() {
        if (!AtEnd()) ++pos_;
    }
    void SkipBlanks() {
        if (AtEnd() || !Is(text_[pos_], xml_chars::kBlank)) return;
        if constexpr (sizeof(CharT) == 1) {
            pos_ = xml_chars::SkipByteBlanks(text_.data(), pos_ + 1, text_.size());
        } else {
            while (!AtEnd() && Is(text_[pos_], xml_chars::kBlank)) ++pos_;
        }
    }
    View ReadNameChars() {
        const size_t start = pos_;
        while (!AtEnd() && Is(text_[pos_], xml_chars::kNameChar)) ++pos_;
        return text_.substr(start, pos_ - start);
    }
    bool ReadName(View& name) {
        if (AtEnd() || !Is(text_[pos_], xml_chars::kNameStart)) return false;
        name = ReadNameChars();
        return true;
    }
    bool ReadAttribute();
    // The name straight after "<" or "</" into name_, the common case; false, having read
    // nothing, where the general way must look.
    bool ReadNameAfterOpen() {
        SkipBlanks();
        if (AtEnd() || !Is(text_[pos_], xml_chars::kNameStart)) return false;
        name_ = ReadNameChars();
        return true;
    }
    // Moves past the next occurrence of the delimiter; the token runs from here to its start.
    bool ScanPast(std::basic_string_view<CharT> delimiter) {
        const size_t at = text_.find(delimiter, pos_);
        if (at == text_.npos) {
            pos_ = text_.size();
            return false;
        }
        token_ = text_.substr(pos_, at - pos_);
        pos_ = at + delimiter.size();
        return true;
    }
    static bool SameWord(View word, std::string_view expected) {
        if (word.size() != expected.size()) return false;
        for (size_t i = 0; i < expected.size(); ++i)
            if (word[i] != CharT(expected[i])) return false;
        return true;
    }
    static std::basic_string_view<CharT> Delimiter(const CharT* text) { return text; }

    Lexeme NextLexeme();
    void ReadTagAttributes(Lexeme closing);

    View text_;
    size_t pos_ = 0;
    int state_ = 0;  // 0 outside a tag, 1 where a name is expected, 2 where attributes are
    View token_;
    View name_;
    TxmlItem type_ = TxmlItem::Text;
    bool empty_ = false;
    std::vector<AttributeSpan<CharT>> attributes_;
    AttributeSpan<CharT> attribute_;  // the one ReadAttribute read last

    CrLfPieces* pieces_ = nullptr;
    bool partial_ = false;  // reading an item in a piece that is not the text's last
    unsigned generation_ = 0;
    size_t lastOpen_ = View::npos;  // the last "<" of a piece's text
    uint64_t offset_ = 0;        // the text let go of before text_
    uint64_t crsBefore_ = 0;     // the CRs in it
    uint64_t lastCrBefore_ = 0;  // 1-based position of its last CR, 0 for none
};

template <class CharT>
bool Tokenizer<CharT>::NextItemOfPieces() {
    for (;;) {
        const size_t start = pos_;
        if (pieces_->Whole()) return ReadItem();
        // An item that starts (after its blanks) at or after the last "<" held runs to the end of
        // what is held: the next piece is read before it, rather than the item tried, failed and
        // tried again (a failure is an exception, which costs under Wine).
        SkipBlanks();
        if (lastOpen_ == text_.npos || pos_ >= lastOpen_) {
            NextPiece(start);
            continue;
        }
        partial_ = true;
        try {
            const bool read = ReadItem();
            partial_ = false;
            if (read) return true;
        } catch (const PieceEnd&) {
            partial_ = false;
        }
        // Between items nothing is inside a tag; the item is read again from its start.
        state_ = 0;
        NextPiece(start);
    }
}

template <class CharT>
void Tokenizer<CharT>::NextPiece(size_t keep) {
    // What is let go of is counted from what stays: the pieces count the CRs read, and what
    // stays is at most one item.
    uint64_t crsKept = 0;
    for (size_t i = keep; i < text_.size(); ++i)
        if (text_[i] == CharT('\r')) ++crsKept;
    for (size_t i = keep; i > 0; --i)
        if (text_[i - 1] == CharT('\r')) {
            lastCrBefore_ = offset_ + i;
            break;
        }
    crsBefore_ = pieces_->CrCount() - crsKept;
    pieces_->Next(keep);
    offset_ = pieces_->Offset();
    text_ = pieces_->Text();
    lastOpen_ = text_.rfind(CharT('<'));
    pos_ = 0;
    ++generation_;
}

template <class CharT>
bool Tokenizer<CharT>::ReadAttribute() {
    // Every start tag of a feed holds a few: read with a local cursor, stored back on each way out.
    const CharT* const text = text_.data();
    const CharT* const end = text + text_.size();
    const CharT* const start = text + pos_;
    const CharT* at = start;
    const auto leave = [&](bool read) {
        pos_ = static_cast<size_t>(at - text);
        return read;
    };
    if (at == end || !Is(*at, xml_chars::kNameStart)) return leave(false);
    ++at;
    while (at != end && Is(*at, xml_chars::kNameChar)) ++at;
    while (at != end && Is(*at, xml_chars::kBlank)) ++at;
    if (at == end || *at != CharT('=')) return leave(false);
    const CharT* const eq = at++;
    while (at != end && Is(*at, xml_chars::kBlank)) ++at;
    const CharT* const valueStart = at;
    View value;
    if (at != end && (*at == CharT('"') || *at == CharT('\''))) {
        const CharT quote = *at;
        const CharT* const close = std::char_traits<CharT>::find(at + 1, static_cast<size_t>(end - at - 1), quote);
        if (!close) {
            at = end;
            return leave(false);
        }
        at = close + 1;
        // 8-bit text keeps single quotes around a value; the stores have always read it so.
        if (quote == CharT('"') || CharClasses<CharT>::kStripsSingleQuotes)
            value = View(valueStart + 1, static_cast<size_t>(close - valueStart - 1));
        else
            value = View(valueStart, static_cast<size_t>(at - valueStart));
    } else {
        while (at != end && Is(*at, xml_chars::kValueChar)) ++at;
        value = View(valueStart, static_cast<size_t>(at - valueStart));
        // The UTF-16 attribute store refuses an attribute without a value as it takes it.
        if constexpr (CharClasses<CharT>::kStripsSingleQuotes)
            if (value.empty()) {
                leave(true);
                throw EError("Invalid attribute format");
            }
    }
    attribute_ = {View(start, static_cast<size_t>(eq - start)), value};
    return leave(true);
}

template <class CharT>
typename Tokenizer<CharT>::Lexeme Tokenizer<CharT>::NextLexeme() {
    SkipBlanks();
    if (AtEnd()) return Lexeme::None;
    const CharT c = text_[pos_];
    if (state_ != 0) {
        if (c == CharT('/') || c == CharT('?')) {
            Advance();
            if (CurrentChar() != CharT('>') || AtEnd()) Error("Unexpected char");
            Advance();
            state_ = 0;
            return c == CharT('/') ? Lexeme::EmptyTagClose : Lexeme::DeclarationClose;
        }
        if (c == CharT('>')) {
            Advance();
            state_ = 0;
            return Lexeme::TagClose;
        }
        if (state_ == 1) {
            if (!ReadName(token_)) Error("Name expected");
            return Lexeme::Name;
        }
        if (!ReadAttribute()) Error("Bad attribute");
        return Lexeme::Attribute;
    }
    if (c != CharT('<')) {
        // Text runs to the next "<"; leading blanks were skipped, trailing ones belong to it.
        const size_t start = pos_;
        const size_t open = text_.find(CharT('<'), pos_);
        if (open == text_.npos) {
            pos_ = text_.size();
            Error("Invalid comment");
        }
        token_ = text_.substr(start, open - start);
        pos_ = open;
        return Lexeme::Text;
    }
    Advance();
    switch (AtEnd() ? CharT(0) : text_[pos_]) {
        case CharT('!'): {
            Advance();
            if (CurrentChar() == CharT('[') && !AtEnd()) {
                Advance();
                if (!SameWord(ReadNameChars(), "CDATA")) Error("Invalid data");
                Advance();  // the second "["
                return Lexeme::CDataOpen;
            }
            const View run = ReadNameChars();
            if (run.size() >= 2 && run[0] == CharT('-') && run[1] == CharT('-')) return Lexeme::CommentOpen;
            if (SameWord(run, "DOCTYPE")) return Lexeme::DoctypeOpen;
            if (SameWord(run, "ENTITY")) return Lexeme::EntityOpen;
            Error("Invalid comment");
        }
        case CharT('/'):
            Advance();
            state_ = 1;
            return Lexeme::EndTagOpen;
        case CharT('?'): {
            Advance();
            View name;
            if (!ReadName(name) || !SameWord(name, "xml")) Error("Invalid XML code");
            state_ = 2;
            return Lexeme::DeclarationOpen;
        }
        default:
            state_ = 1;
            return Lexeme::StartTagOpen;
    }
}

template <class CharT>
void Tokenizer<CharT>::ReadTagAttributes(Lexeme closing) {
    for (;;) {
        // The common cases first: an attribute, or the end of a start tag. Anything else takes
        // the general way, which also raises every error.
        SkipBlanks();
        if (!AtEnd()) {
            const CharT c = text_[pos_];
            if (Is(c, xml_chars::kNameStart)) {
                if (!ReadAttribute()) Error("Bad attribute");
                attributes_.push_back(attribute_);
                continue;
            }
            if (closing == Lexeme::TagClose) {
                if (c == CharT('>')) {
                    ++pos_;
                    state_ = 0;
                    return;
                }
                if (c == CharT('/') && pos_ + 1 < text_.size() && text_[pos_ + 1] == CharT('>')) {
                    pos_ += 2;
                    state_ = 0;
                    empty_ = true;
                    return;
                }
            }
        }
        const Lexeme lexeme = NextLexeme();
        if (lexeme == Lexeme::Attribute) {
            attributes_.push_back(attribute_);
        } else if (lexeme == closing) {
            return;
        } else if (closing == Lexeme::TagClose && lexeme == Lexeme::EmptyTagClose) {
            empty_ = true;
            return;
        } else {
            Error("Unexpected token");
        }
    }
}

template <class CharT>
bool Tokenizer<CharT>::ReadItem() {
    static constexpr CharT kCommentEnd[] = {'-', '-', '>', 0};
    static constexpr CharT kDoctypeEnd[] = {']', '>', 0};
    static constexpr CharT kCDataEnd[] = {']', ']', '>', 0};

    switch (NextLexeme()) {
        case Lexeme::None:
            return false;
        case Lexeme::StartTagOpen:
            attributes_.clear();
            empty_ = false;
            if (ReadNameAfterOpen()) token_ = name_;
            else if (NextLexeme() != Lexeme::Name) Error("Name expected");
            name_ = token_;
            token_ = name_;
            state_ = 2;
            ReadTagAttributes(Lexeme::TagClose);
            token_ = name_;
            type_ = TxmlItem::ElementStart;
            return true;
        case Lexeme::EndTagOpen:
            if (ReadNameAfterOpen()) token_ = name_;
            else if (NextLexeme() != Lexeme::Name) Error("Unexpected token");
            name_ = token_;
            SkipBlanks();
            if (CurrentChar() == CharT('>') && !AtEnd()) {
                ++pos_;
                state_ = 0;
            } else if (NextLexeme() != Lexeme::TagClose) {
                Error("Unexpected token");
            }
            token_ = name_;
            type_ = TxmlItem::ElementEnd;
            return true;
        case Lexeme::CommentOpen: {
            // The comment ends where the three characters just passed are "-->"; its text starts
            // where the name characters after "<!" stopped.
            const size_t textStart = pos_;
            const size_t at = text_.find(Delimiter(kCommentEnd), pos_ - 2);
            if (at == text_.npos) {
                pos_ = text_.size();
                Error("Invalid comment");
            }
            token_ = text_.substr(textStart, at > textStart ? at - textStart : 0);
            pos_ = at + 3;
            type_ = TxmlItem::Comment;
            return true;
        }
        case Lexeme::DoctypeOpen:
            if (!ScanPast(Delimiter(kDoctypeEnd))) Error("Invalid comment");
            type_ = TxmlItem::Doctype;
            return true;
        case Lexeme::CDataOpen:
            if (!ScanPast(Delimiter(kCDataEnd))) Error("Invalid comment");
            type_ = TxmlItem::CData;
            return true;
        case Lexeme::Text: {
            bool blank = true;
            for (CharT c : token_)
                if (static_cast<std::make_unsigned_t<CharT>>(c) > ' ') {
                    blank = false;
                    break;
                }
            type_ = blank ? TxmlItem::BlankText : TxmlItem::Text;
            return true;
        }
        case Lexeme::DeclarationOpen:
            attributes_.clear();
            ReadTagAttributes(Lexeme::DeclarationClose);
            name_ = View();
            token_ = name_;
            type_ = TxmlItem::Declaration;
            return true;
        default:
            Error("Unexpected token");
    }
}

}  // namespace tessel::xml_detail
