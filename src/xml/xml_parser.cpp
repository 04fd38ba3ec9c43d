#include "xml/xml_parser.h"

#include "base/text.h"
#include "xml/node_pool.h"
#include "xml/xdata_node.h"
#include "xml/xml_builder.h"
#include "xml/xml_tokenizer.h"

namespace tessel {

namespace {

std::string DescribeError(const std::string& message, int line, int column) {
    return message + " (line " + std::to_string(line) + ", column " + std::to_string(column) + ")";
}

}  // namespace

TxmlParserException::TxmlParserException(const std::string& message, int line, int column)
    : EError(DescribeError(message, line, column)), message_(message), line_(line), column_(column) {}

namespace xml_detail {

void RaiseParserError(const std::string& message, int line, int column) {
    throw TxmlParserException(message, line, column);
}

}  // namespace xml_detail

// One tokenizer over text it owns; the per-item calls go through this interface, the scanning
// inside a tokenizer does not.
class TxmlParser::Engine {
public:
    virtual ~Engine() = default;
    virtual bool NextItem() = 0;
    virtual TxmlItem Type() const = 0;
    virtual std::u16string Name() const = 0;
    virtual std::u16string Token() const = 0;
    virtual bool EmptyElement() const = 0;
    virtual size_t AttributeCount() const = 0;
    virtual void Attribute(size_t index, std::u16string& name, std::u16string& value) const = 0;
    virtual int Line() const = 0;
    virtual int Column() const = 0;
    virtual void Build(TxdataNode& node, const xml_detail::BuildContext& context) = 0;
};

namespace {

template <class CharT>
class EngineFor final : public TxmlParser::Engine {
public:
    explicit EngineFor(std::basic_string<CharT> text) : text_(std::move(text)), tokenizer_(text_) {}

    bool NextItem() override { return tokenizer_.NextItem(); }
    TxmlItem Type() const override { return tokenizer_.Type(); }
    std::u16string Name() const override { return xml_detail::WideText(tokenizer_.Name()); }
    std::u16string Token() const override { return xml_detail::WideText(tokenizer_.Token()); }
    bool EmptyElement() const override { return tokenizer_.EmptyElement(); }
    size_t AttributeCount() const override { return tokenizer_.Attributes().size(); }
    void Attribute(size_t index, std::u16string& name, std::u16string& value) const override {
        const auto& attribute = tokenizer_.Attributes()[index];
        name = xml_detail::WideText(attribute.name);
        value = xml_detail::WideText(xml_detail::DecodedAttributeValue(attribute.value));
    }
    int Line() const override { return tokenizer_.Line(); }
    int Column() const override { return tokenizer_.Column(); }
    void Build(TxdataNode& node, const xml_detail::BuildContext& context) override {
        if (std::is_same_v<CharT, char16_t>) node.SetWideMode(true);
        xml_detail::BuildTopLevel(tokenizer_, node, context);
    }

private:
    std::basic_string<CharT> text_;  // the tokenizer's views point into it
    xml_detail::Tokenizer<CharT> tokenizer_;
};

}  // namespace

TxmlParser::TxmlParser(std::string text) : engine_(std::make_unique<EngineFor<char>>(std::move(text))) {}
TxmlParser::TxmlParser(std::unique_ptr<Engine> engine) : engine_(std::move(engine)) {}
TxmlParser::~TxmlParser() = default;

bool TxmlParser::NextItem() {
    attributeCursor_ = 0;
    return engine_->NextItem();
}

TxmlItem TxmlParser::ItemType() const { return engine_->Type(); }
std::u16string TxmlParser::ItemName() const { return engine_->Name(); }
std::u16string TxmlParser::TokenText() const { return engine_->Token(); }
bool TxmlParser::EmptyElement() const { return engine_->EmptyElement(); }

bool TxmlParser::ResetAttributes() {
    attributeCursor_ = 0;
    return engine_->AttributeCount() > 0;
}

bool TxmlParser::NextAttribute(std::u16string& name, std::u16string& value) {
    if (attributeCursor_ >= engine_->AttributeCount()) return false;
    engine_->Attribute(attributeCursor_++, name, value);
    return true;
}

int TxmlParser::Line() const { return engine_->Line(); }
int TxmlParser::Column() const { return engine_->Column(); }

void TxmlParser::SetBaseDirectory(std::u16string folder) { baseDirectory_ = std::move(folder); }
const std::u16string& TxmlParser::BaseDirectory() const { return baseDirectory_; }

void TxmlParser::ReadInto(TxdataNode& node) {
    xml_detail::BuildContext context;
    context.followIncludes = !baseDirectory_.empty();
    context.maxElementDepth =
        context.followIncludes ? xml_detail::kMaxFileElementDepth : xml_detail::kMaxTextElementDepth;
    context.baseDirectory = baseDirectory_;
    engine_->Build(node, context);
}

TxmlUnicodeParser::TxmlUnicodeParser(std::u16string text)
    : TxmlParser(std::make_unique<EngineFor<char16_t>>(std::move(text))) {}

void TxdataNode::LoadFromBytes(std::string_view bytes) { LoadFromBytes(bytes, nullptr); }

namespace {

// A text parse: no includes, the text parse's depth, and the taker when there is one.
void BuildText(xml_detail::Tokenizer<char>& tokenizer, TxdataNode& node,
               const std::function<bool(const TxdataNode&)>& takeChild) {
    xml_detail::BuildContext context;
    context.maxElementDepth = xml_detail::kMaxTextElementDepth;
    if (takeChild) context.takeTopChild = &takeChild;
    xml_detail::BuildTopLevel(tokenizer, node, context);
}

}  // namespace

void TxdataNode::LoadFromBytes(std::string_view bytes, const std::function<bool(const TxdataNode&)>& takeChild) {
    xml_detail::Tokenizer<char> tokenizer(bytes);
    // A long text's tree goes to an arena, so that it is freed at once. Not with a taker: the
    // children it lets go would leave their room in the arena unused until the whole tree goes.
    if (!takeChild && bytes.size() >= xml_detail::kArenaTextBytes && TakesArena()) {
        xml_detail::ArenaScope scope(arena_);
        BuildText(tokenizer, *this, takeChild);
        return;
    }
    BuildText(tokenizer, *this, takeChild);
}

void TxdataNode::LoadFromPieces(CrLfPieces& pieces, const std::function<bool(const TxdataNode&)>& takeChild) {
    // The children let go leave the pool's spare blocks behind: they go back to the system too.
    struct ReleaseSpares {
        ~ReleaseSpares() { xml_detail::ReleaseSpareNodeMemory(); }
    } releaseSpares;
    xml_detail::Tokenizer<char> tokenizer(pieces);
    BuildText(tokenizer, *this, takeChild);
}

void TxdataNode::LoadFromText(std::u16string_view text) { LoadFromBytes(Narrow(text)); }

}  // namespace tessel
