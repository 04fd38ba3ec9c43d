#pragma once
// One XML element: a name, an ordered attribute list and an ordered list of children (content
// pieces and child elements, in document order). Every store owns one root and reads it by
// slash-separated paths ("window/left", "Calendars/entry", "link[@rel=alternate]").
//
// Children are owned by their parent; freeing a node frees its subtree (without recursion, so
// a hostile, deeply nested reply cannot exhaust the stack). The subtree of a long text parsed
// into a node of its own lies in an arena (node_pool.h) and, while nothing was taken out of it
// or put in, is freed by dropping the arena's pages, without visiting a node. Attributes are held as 8-bit
// entries name="value", matched case-insensitively, except in wide mode (trees read from UTF-16
// files), where each is a TWideAttribute matched exactly.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xml/child_list.h"
#include "xml/element_names.h"
#include "xml/packed_entries.h"
#include "xml/xdata_value.h"

namespace tessel {

class CrLfPieces;
class TxdataDocument;
class TxdataList;

struct TWideAttribute {
    std::u16string name;
    std::u16string value;

    // name="value", the value quote-escaped when it holds a double quote.
    std::u16string Rendered() const;
};

class TxdataNode : public TxdataValue {
public:
    TxdataNode();
    explicit TxdataNode(std::u16string name);
    ~TxdataNode() override;

    static std::unique_ptr<TxdataNode> Create();
    static std::unique_ptr<TxdataNode> CreateNamed(std::u16string_view name);

    const std::u16string& Name() const { return *name_; }
    void SetName(std::u16string_view name);
    void TakeName(std::u16string&& name);
    // For the tree builder: a name from SharedElementName. It takes no memory, so a tree's
    // arena stays whole.
    void ShareName(const std::u16string* shared) {
        if (ownsName_) ReleaseName();
        name_ = shared;
    }
    TxdataNode* Parent() const { return parent_; }
    bool WideMode() const { return wide_; }
    // Switches the attribute representation; existing attributes are converted.
    void SetWideMode(bool wide);

    // Children: content pieces and elements together.
    size_t ChildCount() const { return children_.size(); }
    TxdataValue* Child(size_t index) const { return children_[index]; }
    // Appends the node as the last child, takes ownership, and marks this node as element content.
    TxdataNode* AddChild(std::unique_ptr<TxdataNode> node);
    // Appends a content piece; the node's kind follows the piece's (or becomes 7 on a mix).
    TxdataValue* AddValue(std::unique_ptr<TxdataValue> piece);
    TxdataValue* AddValue(std::u16string_view text, uint8_t kind);
    TxdataValue* AddValue(std::string_view bytes, uint8_t kind);
    // Takes this node out of its parent's children; the caller owns it. Null when it has no parent.
    std::unique_ptr<TxdataNode> Detach();

    // Attributes.
    size_t AttributeCount() const {
        if (!attributes_) return 0;
        return wide_ ? attributes_->wide.size() : attributes_->entries.Count();
    }
    // The attribute entry as stored (8-bit mode) or rendered (wide mode): name="value".
    std::u16string AttributeEntry(size_t index) const;
    std::u16string GetAttribute(std::u16string_view name) const;
    // Replaces the value (keeping the attribute's place), appends a new attribute, or removes
    // the attribute when the value is empty.
    void SetAttribute(std::u16string_view name, std::u16string_view value);
    void AddAttribute(std::u16string_view name, std::u16string_view value);
    void ClearAttributes();

    // Path access. A path never names the node it is called on; FindNode creates nothing.
    TxdataNode* FindNode(std::u16string_view path);
    const TxdataNode* FindNode(std::u16string_view path) const;
    // The text at the path, else the attribute named by the last segment, else empty.
    std::u16string ReadValue(std::u16string_view path) const;
    // Narrow(ReadValue(path)) and Narrow(GetAttribute(name)) without the UTF-16 copies between:
    // what the feed readers take, whose texts are bytes (of a tree read from 8-bit text, the
    // bytes as read).
    std::string ReadValueBytes(std::u16string_view path) const;
    std::string GetAttributeBytes(std::u16string_view name) const;
    // The children of one name under the path's parent; null when the parent is not found.
    std::unique_ptr<TxdataList> SelectNodes(std::u16string_view path);

    // The text becomes this node: its top element's name, attributes (when it has any) and
    // content. Nothing is cleared first. Parse errors raise TxmlParserException (or EError for
    // a bad entity reference) and leave whatever was built.
    void LoadFromText(std::u16string_view text);
    // The same from 8-bit text, without a widening copy: the stores' and feeds' path.
    void LoadFromBytes(std::string_view bytes);
    // The same for a document too large to hold whole: takeChild is called with each element
    // directly under the top element once it is complete (an element, not its text or
    // comments); one it answers true for is freed at once and does not stay in the tree. The
    // parse, its errors and what stays are otherwise as above.
    void LoadFromBytes(std::string_view bytes, const std::function<bool(const TxdataNode& child)>& takeChild);
    // The same over a text read in pieces: only what the parse has not finished with and the
    // next piece are held at once. Items, errors (their lines and columns counted in the whole
    // text) and what stays are those of LoadFromBytes over the whole text. The empty blocks the
    // node pool keeps for the next tree are given back afterwards.
    void LoadFromPieces(CrLfPieces& pieces, const std::function<bool(const TxdataNode& child)>& takeChild);
    // The node and its subtree as indented 8-bit lines; the list's contents are replaced.
    void SaveToLines(std::vector<std::string>& lines) const;

    virtual TxdataDocument* OwnerDocument();
    // Top-level items the tree builder does not use itself (a document keeps its DOCTYPE).
    virtual void HandleItem(int itemType, std::u16string_view text);

    // TxdataValue, applied to the node's content pieces (child elements contribute nothing).
    std::string Utf8Text() const override;
    std::u16string RawText() const override;
    TDateTime AsDateTime() const override;
    std::u16string EscapedText() const override;
    std::u16string Text() const override;
    double AsFloat() const override;
    int32_t AsInteger() const override;
    void SetUtf8Text(std::string_view utf8) override;
    void SetCData(std::u16string_view text) override;
    void SetDateTime(TDateTime value) override;
    void AppendXmlText(std::u16string_view xml) override;
    void SetText(std::u16string_view text) override;
    void SetFloat(double value) override;
    void SetInteger(int32_t value) override;
    std::u16string XmlText() const override;
    std::u16string WrittenForm() const override;
    void Clear() override;

    // For the tree builder: appends 8-bit attribute entries name="value" without conversions,
    // a start tag's attributes together.
    void AddAttributeBytes(std::string_view name, std::string_view value);
    void AddAttributeBytes(const xml_detail::PackedEntries::Parts* parts, size_t count);
    // The 8-bit entries as stored (empty in wide mode) and the wide attributes (empty otherwise).
    const xml_detail::PackedEntries& AttributeEntries() const;
    const std::vector<TWideAttribute>& WideAttributes() const;

private:
    void ReplaceContent(std::u16string_view text, uint8_t kind);
    // The 8-bit entry's value as GetAttribute answers it, unwidened; false when there is none.
    bool FindEntryValue(std::u16string_view name, std::string_view& value) const;
    // Narrow(Text()).
    std::string TextBytes() const;
    void RequireKind(uint8_t kind) const;
    TxdataNode* FindChild(std::u16string_view segment) const;

    // Made on the first attribute: most elements of a feed have none.
    struct Attributes {
        xml_detail::PackedEntries entries;
        std::vector<TWideAttribute> wide;
        static void* operator new(std::size_t size) { return xml_detail::AllocateNodeMemory(size); }
        static void operator delete(void* block, std::size_t size) noexcept { xml_detail::FreeNodeMemory(block, size); }
    };
    Attributes& AttributeStore();

    void ReleaseName();
    // A change to what the node's subtree holds: it breaks the arena the node lies in and the
    // one it owns, unless the calling thread is building into them.
    void NoteSubtreeChange();
    void FreeChildren();
    // Whether a parse of a long text may build into an arena of this node's own.
    bool TakesArena();

    bool wide_ = false;
    // Points into the shared name table, or at a name of this node's own (then ownsName_).
    bool ownsName_ = false;
    const std::u16string* name_ = &xml_detail::EmptyElementName();
    TxdataNode* parent_ = nullptr;
    xml_detail::ChildList children_;
    std::unique_ptr<Attributes> attributes_;
    // Where the subtree a long text was parsed into lies (node_pool.h): set only on the top
    // node of that parse, which itself lies outside it.
    xml_detail::NodeArena* arena_ = nullptr;
};

}  // namespace tessel
