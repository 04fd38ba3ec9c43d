#include "xml/xdata_node.h"

#include <algorithm>

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

std::string MakeEntry(std::string_view name, std::string_view value) {
    std::string entry;
    entry.reserve(name.size() + value.size() + 3);
    entry.append(name).append("=\"").append(value).push_back('"');
    return entry;
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

TxdataNode::TxdataNode(std::u16string name) : TxdataValue(NodeTag{}), name_(std::move(name)) {}

TxdataNode::~TxdataNode() { Clear(); }

std::unique_ptr<TxdataNode> TxdataNode::Create() { return std::make_unique<TxdataNode>(); }

std::unique_ptr<TxdataNode> TxdataNode::CreateNamed(std::u16string_view name) {
    return std::make_unique<TxdataNode>(std::u16string(name));
}

void TxdataNode::Clear() {
    // Frees the subtree without recursion: each node's children move to a work list before the
    // node itself is freed, so its destructor finds nothing left to free.
    std::vector<std::unique_ptr<TxdataValue>> pending = std::move(children_);
    children_.clear();
    while (!pending.empty()) {
        std::unique_ptr<TxdataValue> item = std::move(pending.back());
        pending.pop_back();
        if (!item->IsNode()) continue;
        auto& grandchildren = static_cast<TxdataNode*>(item.get())->children_;
        for (auto& child : grandchildren) pending.push_back(std::move(child));
        grandchildren.clear();
    }
}

void TxdataNode::SetWideMode(bool wide) {
    if (wide == wide_) return;
    wide_ = wide;
    if (wide) {
        for (const auto& entry : attributes_)
            wideAttributes_.push_back({Widen(EntryName(entry)), Widen(EntryValue(entry))});
        attributes_.clear();
    } else {
        for (const auto& attribute : wideAttributes_)
            attributes_.push_back(MakeEntry(Narrow(attribute.name), Narrow(attribute.value)));
        wideAttributes_.clear();
    }
}

TxdataNode* TxdataNode::AddChild(std::unique_ptr<TxdataNode> node) {
    TxdataNode* added = node.get();
    added->parent_ = this;
    added->SetWideMode(wide_);
    children_.push_back(std::move(node));
    kind_ = kXdataElements;
    return added;
}

TxdataValue* TxdataNode::AddValue(std::unique_ptr<TxdataValue> piece) {
    const uint8_t pieceKind = piece->Kind() == kXdataParsedText ? uint8_t(kXdataText) : piece->Kind();
    if (children_.empty()) kind_ = pieceKind;
    else if (kind_ != pieceKind) kind_ = kXdataElements;
    children_.push_back(std::move(piece));
    return children_.back().get();
}

TxdataValue* TxdataNode::AddValue(std::u16string text, uint8_t kind) {
    return AddValue(std::make_unique<TxdataValue>(std::move(text), kind));
}

std::unique_ptr<TxdataNode> TxdataNode::Detach() {
    if (!parent_) return nullptr;
    auto& siblings = parent_->children_;
    const auto it = std::find_if(siblings.begin(), siblings.end(), [&](const auto& c) { return c.get() == this; });
    if (it == siblings.end()) return nullptr;
    std::unique_ptr<TxdataNode> self(static_cast<TxdataNode*>(it->release()));
    siblings.erase(it);
    // The old parent may be freed while this node lives on; ".." must not reach it.
    parent_ = nullptr;
    return self;
}

std::u16string TxdataNode::AttributeEntry(size_t index) const {
    return wide_ ? wideAttributes_[index].Rendered() : Widen(attributes_[index]);
}

std::u16string TxdataNode::GetAttribute(std::u16string_view name) const {
    if (wide_) {
        for (const auto& attribute : wideAttributes_)
            if (attribute.name == name) return attribute.value;
        return {};
    }
    for (const auto& entry : attributes_)
        if (SameNameAscii(name, EntryName(entry))) return Widen(EntryValue(entry));
    return {};
}

void TxdataNode::SetAttribute(std::u16string_view name, std::u16string_view value) {
    if (wide_) {
        auto it = std::find_if(wideAttributes_.begin(), wideAttributes_.end(),
                               [&](const TWideAttribute& a) { return a.name == name; });
        if (it == wideAttributes_.end()) {
            if (!value.empty()) wideAttributes_.push_back({std::u16string(name), std::u16string(value)});
        } else if (value.empty()) {
            wideAttributes_.erase(it);
        } else {
            it->value = value;
        }
        return;
    }
    auto it = std::find_if(attributes_.begin(), attributes_.end(),
                           [&](const std::string& e) { return SameNameAscii(name, EntryName(e)); });
    if (it == attributes_.end()) {
        if (!value.empty()) attributes_.push_back(MakeEntry(Narrow(name), Narrow(value)));
    } else if (value.empty()) {
        attributes_.erase(it);
    } else {
        *it = MakeEntry(Narrow(name), Narrow(value));
    }
}

void TxdataNode::AddAttribute(std::u16string_view name, std::u16string_view value) {
    if (wide_) wideAttributes_.push_back({std::u16string(name), std::u16string(value)});
    else attributes_.push_back(MakeEntry(Narrow(name), Narrow(value)));
}

void TxdataNode::AddAttributeBytes(std::string_view name, std::string_view value) {
    if (wide_) wideAttributes_.push_back({Widen(name), Widen(value)});
    else attributes_.push_back(MakeEntry(name, value));
}

void TxdataNode::ClearAttributes() {
    attributes_.clear();
    wideAttributes_.clear();
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
        if (!child->IsNode()) out += child->StoredText();
    return out;
}

std::u16string TxdataNode::EscapedText() const {
    std::u16string out;
    for (const auto& child : children_)
        if (!child->IsNode() && child->Kind() != kXdataComment) xml_entities::AppendEscaped(out, child->StoredText());
    return out;
}

std::u16string TxdataNode::Text() const {
    // Most elements hold exactly one piece; answer it without building a new string twice.
    if (children_.size() == 1 && !children_[0]->IsNode() && children_[0]->Kind() != kXdataComment)
        return children_[0]->StoredText();
    std::u16string out;
    for (const auto& child : children_)
        if (!child->IsNode() && child->Kind() != kXdataComment) out += child->StoredText();
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

void TxdataNode::ReplaceContent(std::u16string text, uint8_t kind) {
    Clear();
    children_.push_back(std::make_unique<TxdataValue>(std::move(text), kind));
    kind_ = kind;
}

void TxdataNode::SetUtf8Text(std::string_view utf8) { ReplaceContent(Utf8ToUtf16(utf8), kXdataText); }
void TxdataNode::SetCData(std::u16string_view text) { ReplaceContent(std::u16string(text), kXdataCData); }
void TxdataNode::SetDateTime(TDateTime value) { ReplaceContent(DateTimeText(value), kXdataDateTime); }
void TxdataNode::AppendXmlText(std::u16string_view xml) { ReplaceContent(xml_entities::DecodeText(xml), kXdataText); }
void TxdataNode::SetText(std::u16string_view text) { ReplaceContent(std::u16string(text), kXdataText); }
void TxdataNode::SetFloat(double value) { ReplaceContent(FloatText(value), kXdataFloat); }
void TxdataNode::SetInteger(int32_t value) { ReplaceContent(Widen(std::to_string(value)), kXdataInteger); }

std::u16string TxdataNode::WrittenForm() const {
    std::u16string out;
    for (const auto& child : children_) out += child->XmlText();
    return out;
}

}  // namespace tessel
