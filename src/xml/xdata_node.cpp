#include "xml/xdata_node.h"

#include <algorithm>
#include <new>
#include <utility>

#include "base/errors.h"
#include "base/strict_int.h"
#include "base/text.h"
#include "xml/xdata_document.h"
#include "xml/xml_entities.h"

namespace tessel {

namespace {

// The value of an 8-bit entry as GetAttribute answers it: the part after the first "=",
// trimmed, one pair of surrounding double quotes removed.
std::string_view EntryValue(std::string_view entry) {
    const size_t eq = entry.find('=');
    if (eq == entry.npos) return {};
    std::string_view value = entry.substr(eq + 1);
    while (!value.empty() && static_cast<unsigned char>(value.front()) <= ' ') value.remove_prefix(1);
    while (!value.empty() && static_cast<unsigned char>(value.back()) <= ' ') value.remove_suffix(1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return value;
}

std::string_view EntryName(std::string_view entry) { return entry.substr(0, entry.find('=')); }

// Compares a wide name with an 8-bit one as the system code page would narrow it.
bool SameNameAscii(std::u16string_view wide, std::string_view bytes) {
    if (wide.size() != bytes.size()) return false;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char16_t w = wide[i];
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (w > 0xFF) w = u'?';
        if (w >= u'A' && w <= u'Z') w += 32;
        if (b >= 'A' && b <= 'Z') b += 32;
        if (w != b) return false;
    }
    return true;
}

}  // namespace

std::u16string TWideAttribute::Rendered() const {
    std::u16string out = name + u"=\"";
    if (xml_entities::NeedsQuoteEscape<char16_t>(value)) out += xml_entities::EscapeQuotedValue<char16_t>(value);
    else out += value;
    out.push_back(u'"');
    return out;
}

TxdataNode::TxdataNode() : TxdataValue(NodeTag{}) {}

TxdataNode::TxdataNode(std::u16string name) : TxdataValue(NodeTag{}) { TakeName(std::move(name)); }

TxdataNode::~TxdataNode() {
    Clear();
    if (ownsName_) delete name_;
}

void TxdataNode::SetName(std::u16string_view name) { TakeName(std::u16string(name)); }

void TxdataNode::TakeName(std::u16string&& name) {
    if (const std::u16string* shared = xml_detail::SharedElementName(name)) {
        ShareName(shared);
        return;
    }
    NoteChange(true);  // a name of its own comes from the general heap
    auto owned = std::make_unique<std::u16string>(std::move(name));
    ReleaseName();
    name_ = owned.release();
    ownsName_ = true;
}

void TxdataNode::ReleaseName() {
    if (ownsName_) delete name_;
    ownsName_ = false;
    name_ = &xml_detail::EmptyElementName();
}

std::unique_ptr<TxdataNode> TxdataNode::Create() { return std::make_unique<TxdataNode>(); }

std::unique_ptr<TxdataNode> TxdataNode::CreateNamed(std::u16string_view name) {
    return std::make_unique<TxdataNode>(std::u16string(name));
}

void TxdataNode::NoteSubtreeChange() {
    NoteChange();
    if (arena_ && !xml_detail::BuildingInto(arena_)) xml_detail::BreakArena(arena_);
}

bool TxdataNode::TakesArena() {
    // A node inside another arena keeps to it; a node with children from elsewhere has none.
    if (parent_ || fromArena()) return false;
    if (!arena_ && children_.empty()) arena_ = xml_detail::NewNodeArena();
    return arena_ && xml_detail::ArenaWhole(arena_);
}

void TxdataNode::Clear() {
    xml_detail::NodeArena* arena = std::exchange(arena_, nullptr);
    if (arena && xml_detail::ArenaWhole(arena)) {
        // Everything below lies in the arena and holds nothing from elsewhere: it goes back with
        // the arena's pages, unvisited. The list's own block (taken while the tree was built)
        // is given back first.
        xml_detail::NodeMemoryBatch batch;
        children_.ReleaseEach([](TxdataValue*) {});
        xml_detail::DropArena(arena);
        return;
    }
    FreeChildren();
    if (arena) xml_detail::ReleaseArena(arena);
}

void TxdataNode::FreeChildren() {
    // Frees the subtree without recursion: content pieces go at once, child elements move to a
    // work list and each gives up its own children before it is freed, so its destructor finds
    // nothing left to free.
    if (children_.empty()) return;
    xml_detail::NodeMemoryBatch batch;
    std::vector<TxdataNode*> pending;
    const auto take = [&pending](TxdataValue* child) {
        if (child->IsNode()) pending.push_back(static_cast<TxdataNode*>(child));
        else delete child;
    };
    children_.ReleaseEach(take);
    while (!pending.empty()) {
        TxdataNode* node = pending.back();
        pending.pop_back();
        node->children_.ReleaseEach(take);
        delete node;
    }
}

TxdataNode::Attributes& TxdataNode::AttributeStore() {
    if (!attributes_) attributes_ = std::make_unique<Attributes>();
    return *attributes_;
}

const xml_detail::PackedEntries& TxdataNode::AttributeEntries() const {
    static const xml_detail::PackedEntries kNone;
    return attributes_ ? attributes_->entries : kNone;
}

const std::vector<TWideAttribute>& TxdataNode::WideAttributes() const {
    static const std::vector<TWideAttribute> kNone;
    return attributes_ ? attributes_->wide : kNone;
}

void TxdataNode::SetWideMode(bool wide) {
    if (wide == wide_) return;
    wide_ = wide;
    if (!attributes_) return;
    NoteChange(wide);  // wide attributes are held on the general heap
    if (wide) {
        std::string_view entry;
        for (auto cursor = attributes_->entries.Entries(); cursor.Next(entry);)
            attributes_->wide.push_back({Widen(EntryName(entry)), Widen(EntryValue(entry))});
        attributes_->entries.Clear();
    } else {
        for (const auto& attribute : attributes_->wide)
            attributes_->entries.AppendEntry(Narrow(attribute.name), Narrow(attribute.value));
        attributes_->wide.clear();
    }
}

TxdataNode* TxdataNode::AddChild(std::unique_ptr<TxdataNode> node) {
    NoteSubtreeChange();
    TxdataNode* added = node.get();
    added->parent_ = this;
    if (added->wide_ != wide_) added->SetWideMode(wide_);
    children_.push_back(std::move(node));
    kind_ = kXdataElements;
    return added;
}

TxdataValue* TxdataNode::AddValue(std::unique_ptr<TxdataValue> piece) {
    NoteSubtreeChange();
    const uint8_t pieceKind = piece->Kind() == kXdataParsedText ? uint8_t(kXdataText) : piece->Kind();
    if (children_.empty()) kind_ = pieceKind;
    else if (kind_ != pieceKind) kind_ = kXdataElements;
    TxdataValue* added = piece.get();
    children_.push_back(std::move(piece));
    return added;
}

TxdataValue* TxdataNode::AddValue(std::u16string_view text, uint8_t kind) {
    return AddValue(std::make_unique<TxdataValue>(text, kind));
}

TxdataValue* TxdataNode::AddValue(std::string_view bytes, uint8_t kind) {
    return AddValue(TxdataValue::FromBytes(bytes, kind));
}

std::unique_ptr<TxdataNode> TxdataNode::Detach() {
    if (!parent_) return nullptr;
    NoteChange(true);  // the node's memory leaves its tree, even while the tree is built
    std::unique_ptr<TxdataValue> taken = parent_->children_.Remove(this);
    if (!taken) return nullptr;
    std::unique_ptr<TxdataNode> self(static_cast<TxdataNode*>(taken.release()));
    // The old parent may be freed while this node lives on; ".." must not reach it.
    parent_ = nullptr;
    return self;
}

std::u16string TxdataNode::AttributeEntry(size_t index) const {
    return wide_ ? attributes_->wide[index].Rendered() : Widen(attributes_->entries.At(index));
}

std::u16string TxdataNode::GetAttribute(std::u16string_view name) const {
    if (!attributes_) return {};
    if (wide_) {
        for (const auto& attribute : attributes_->wide)
            if (attribute.name == name) return attribute.value;
        return {};
    }
    std::string_view value;
    return FindEntryValue(name, value) ? Widen(value) : std::u16string();
}

bool TxdataNode::FindEntryValue(std::u16string_view name, std::string_view& value) const {
    std::string_view entry;
    for (auto cursor = attributes_->entries.Entries(); cursor.Next(entry);) {
        if (SameNameAscii(name, EntryName(entry))) {
            value = EntryValue(entry);
            return true;
        }
    }
    return false;
}

std::string TxdataNode::GetAttributeBytes(std::u16string_view name) const {
    if (!attributes_) return {};
    if (wide_) return Narrow(GetAttribute(name));
    std::string_view value;
    return FindEntryValue(name, value) ? std::string(value) : std::string();
}

void TxdataNode::SetAttribute(std::u16string_view name, std::u16string_view value) {
    NoteChange(wide_);
    Attributes& store = AttributeStore();
    if (wide_) {
        auto& list = store.wide;
        auto it = std::find_if(list.begin(), list.end(), [&](const TWideAttribute& a) { return a.name == name; });
        if (it == list.end()) {
            if (!value.empty()) list.push_back({std::u16string(name), std::u16string(value)});
        } else if (value.empty()) {
            list.erase(it);
        } else {
            it->value = value;
        }
        return;
    }
    auto& entries = store.entries;
    size_t index = 0;
    std::string_view entry;
    for (auto cursor = entries.Entries(); cursor.Next(entry); ++index)
        if (SameNameAscii(name, EntryName(entry))) break;
    if (index == entries.Count()) {
        if (!value.empty()) entries.AppendEntry(Narrow(name), Narrow(value));
    } else if (value.empty()) {
        entries.Erase(index);
    } else {
        entries.Replace(index, Narrow(name), Narrow(value));
    }
}

void TxdataNode::AddAttribute(std::u16string_view name, std::u16string_view value) {
    NoteChange(wide_);
    if (wide_) AttributeStore().wide.push_back({std::u16string(name), std::u16string(value)});
    else AttributeStore().entries.AppendEntry(Narrow(name), Narrow(value));
}

void TxdataNode::AddAttributeBytes(std::string_view name, std::string_view value) {
    NoteChange(wide_);
    if (wide_) AttributeStore().wide.push_back({Widen(name), Widen(value)});
    else AttributeStore().entries.AppendEntry(name, value);
}

void TxdataNode::AddAttributeBytes(const xml_detail::PackedEntries::Parts* parts, size_t count) {
    NoteChange(wide_);
    if (wide_) {
        for (size_t i = 0; i < count; ++i) AddAttributeBytes(parts[i].name, parts[i].value);
        return;
    }
    if (!attributes_) {
        // A start tag's attributes: the store and its entries in one block where they fit.
        const std::size_t bytes = xml_detail::PackedEntries::SizeOf(parts, count);
        const std::size_t size = sizeof(Attributes) + bytes;
        if (xml_detail::PoolsSize(size)) {
            // Freed as Attributes of their own size, which the pool allows (node_pool.h).
            void* block = xml_detail::AllocateNodeMemory(size);
            attributes_.reset(::new (block) Attributes);
            attributes_->entries.TakeTrailingRoom(static_cast<char*>(block) + sizeof(Attributes), bytes);
        }
    }
    AttributeStore().entries.AppendEntries(parts, count);
}

void TxdataNode::ClearAttributes() {
    if (!attributes_) return;
    attributes_->entries.Clear();
    attributes_->wide.clear();
}

TxdataDocument* TxdataNode::OwnerDocument() {
    TxdataNode* top = this;
    while (top->parent_) top = top->parent_;
    return dynamic_cast<TxdataDocument*>(top);
}

void TxdataNode::HandleItem(int, std::u16string_view) {}

std::string TxdataNode::Utf8Text() const {
    std::string out;
    for (const auto& child : children_)
        if (!child->IsNode() && child->Kind() != kXdataComment) out += child->Utf8Text();
    return out;
}

std::u16string TxdataNode::RawText() const {
    std::u16string out;
    for (const auto& child : children_)
        if (!child->IsNode()) child->Stored().AppendTo(out);
    return out;
}

std::u16string TxdataNode::EscapedText() const {
    std::u16string out;
    for (const auto& child : children_)
        if (!child->IsNode() && child->Kind() != kXdataComment) {
            const xml_detail::PieceText& text = child->Stored();
            if (text.IsNarrow()) xml_entities::AppendEscaped(out, text.Bytes());
            else xml_entities::AppendEscaped(out, text.Units());
        }
    return out;
}

std::u16string TxdataNode::Text() const {
    // Most elements hold exactly one piece; answer it without building a new string twice.
    if (children_.size() == 1 && !children_[0]->IsNode() && children_[0]->Kind() != kXdataComment)
        return children_[0]->Stored().Widened();
    std::u16string out;
    for (const auto& child : children_)
        if (!child->IsNode() && child->Kind() != kXdataComment) child->Stored().AppendTo(out);
    return out;
}

std::string TxdataNode::TextBytes() const {
    std::string out;
    for (const auto& child : children_) {
        if (child->IsNode() || child->Kind() == kXdataComment) continue;
        const xml_detail::PieceText& text = child->Stored();
        if (text.IsNarrow()) out += text.Bytes();
        else out += Narrow(text.Units());
    }
    return out;
}

void TxdataNode::RequireKind(uint8_t kind) const {
    if (kind_ != kind) throw EError("XML DATA Type mismatch");
}

TDateTime TxdataNode::AsDateTime() const {
    RequireKind(kXdataDateTime);
    return ParseDateTimeOrZero(Text());
}

double TxdataNode::AsFloat() const {
    RequireKind(kXdataFloat);
    return ParseFloatText(Text());
}

int32_t TxdataNode::AsInteger() const {
    RequireKind(kXdataInteger);
    return StrToInt(Trim(Text()));
}

void TxdataNode::ReplaceContent(std::u16string_view text, uint8_t kind) {
    Clear();
    NoteSubtreeChange();
    children_.push_back(std::make_unique<TxdataValue>(text, kind));
    kind_ = kind;
}

void TxdataNode::SetUtf8Text(std::string_view utf8) { ReplaceContent(Utf8ToUtf16(utf8), kXdataText); }
void TxdataNode::SetCData(std::u16string_view text) { ReplaceContent(std::u16string(text), kXdataCData); }
void TxdataNode::SetDateTime(TDateTime value) { ReplaceContent(DateTimeText(value), kXdataDateTime); }
void TxdataNode::AppendXmlText(std::u16string_view xml) {
    const std::u16string decoded = xml_entities::DecodeText(xml);  // before Clear: it may raise
    ReplaceContent(decoded, kXdataText);
}
void TxdataNode::SetText(std::u16string_view text) { ReplaceContent(std::u16string(text), kXdataText); }
void TxdataNode::SetFloat(double value) { ReplaceContent(FloatText(value), kXdataFloat); }
void TxdataNode::SetInteger(int32_t value) { ReplaceContent(Widen(std::to_string(value)), kXdataInteger); }

std::u16string TxdataNode::WrittenForm() const {
    std::u16string out;
    for (const auto& child : children_) out += child->XmlText();
    return out;
}

}  // namespace tessel
