#pragma once
// The tokenizers and their error. TxmlParser reads 8-bit text (every store and feed goes through
// it, by TxdataNode::LoadFromText or LoadFromBytes); TxmlUnicodeParser reads UTF-16 text and
// serves documents loaded from UTF-16 files. Both run the same grammar.
#include <memory>
#include <string>
#include <string_view>

#include "base/errors.h"

namespace tessel {

class TxdataDocument;
class TxdataNode;

// The items a tokenizer delivers, numbered as the tree builder knows them.
enum class TxmlItem : int {
    CData = 0,
    Comment = 1,
    Doctype = 4,
    ElementStart = 5,
    ElementEnd = 6,
    Text = 14,
    BlankText = 15,
    Declaration = 16,
};

// A syntax error, with the line (the number of CR characters before the error, so the first line
// is 0) and the column (1-based on the first line; counted from the last CR after it).
class TxmlParserException : public EError {
public:
    TxmlParserException(const std::string& message, int line, int column);
    const std::string& Message() const { return message_; }
    int Line() const { return line_; }
    int Column() const { return column_; }

private:
    std::string message_;
    int line_;
    int column_;
};

class TxmlParser {
public:
    explicit TxmlParser(std::string text);
    virtual ~TxmlParser();
    TxmlParser(const TxmlParser&) = delete;
    TxmlParser& operator=(const TxmlParser&) = delete;

    // Advances to the next item; false at the end of the text. Raises TxmlParserException.
    bool NextItem();
    TxmlItem ItemType() const;
    std::u16string ItemName() const;
    std::u16string TokenText() const;
    // Set when the current start tag ended with "/>".
    bool EmptyElement() const;
    // Moves the attribute cursor before the first attribute of the current tag; false when the
    // tag has none.
    bool ResetAttributes();
    // The next attribute of the current tag, as the tree builder would store it.
    bool NextAttribute(std::u16string& name, std::u16string& value);
    int Line() const;
    int Column() const;

    // The folder relative includes are resolved against (empty for text parses, which follow
    // no includes).
    void SetBaseDirectory(std::u16string folder);
    const std::u16string& BaseDirectory() const;

    // Builds the rest of the text into the node: its top element becomes the node.
    void ReadInto(TxdataNode& node);

    class Engine;

protected:
    explicit TxmlParser(std::unique_ptr<Engine> engine);

private:
    std::unique_ptr<Engine> engine_;
    std::u16string baseDirectory_;
    size_t attributeCursor_ = 0;
};

class TxmlUnicodeParser : public TxmlParser {
public:
    explicit TxmlUnicodeParser(std::u16string text);
};

// Loads a file as a document. A file that starts with FF FE is UTF-16 little-endian text (read
// by the UTF-16 tokenizer into a wide-mode tree); any other file is 8-bit text. Raises EError
// "File is too small" below 2 bytes, "File is too large" above 4,294,967,280, and EFileError
// when the file cannot be read.
std::unique_ptr<TxdataDocument> LoadXmlDocument(const std::u16string& path);

}  // namespace tessel
