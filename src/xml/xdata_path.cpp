// Path access: FindNode, ReadValue and SelectNodes.
#include "xml/xdata_node.h"

#include "base/text.h"
#include "xml/xdata_list.h"

namespace tessel {

namespace {

std::u16string_view TrimView(std::u16string_view text) {
    while (!text.empty() && text.front() <= u' ') text.remove_prefix(1);
    while (!text.empty() && text.back() <= u' ') text.remove_suffix(1);
    return text;
}

// Splits at the last "/": the parent path (empty for none) and the last segment.
std::pair<std::u16string_view, std::u16string_view> SplitLast(std::u16string_view path) {
    const size_t slash = path.rfind(u'/');
    if (slash == path.npos) return {std::u16string_view(), path};
    return {path.substr(0, slash), path.substr(slash + 1)};
}

bool IsElementNamed(const TxdataValue& child, std::u16string_view name) {
    return child.IsNode() && SameTextAscii(static_cast<const TxdataNode&>(child).Name(), name);
}

}  // namespace

TxdataNode* TxdataNode::FindChild(std::u16string_view segment) const {
    const size_t bracket = segment.find(u'[');
    if (bracket == segment.npos) {
        const std::u16string_view name = TrimView(segment);
        if (name.empty()) return nullptr;
        for (const auto& child : children_)
            if (IsElementNamed(*child, name)) return static_cast<TxdataNode*>(child);
        return nullptr;
    }

    // name[attr=value]: the attribute, or failing that a child element of that name, must hold
    // exactly the value.
    const std::u16string_view name = TrimView(segment.substr(0, bracket));
    std::u16string_view predicate = segment.substr(bracket + 1);
    if (!predicate.empty() && predicate.back() == u']') predicate.remove_suffix(1);
    const size_t eq = predicate.find(u'=');
    if (eq == predicate.npos) return nullptr;
    std::u16string_view attribute = TrimView(predicate.substr(0, eq));
    if (!attribute.empty() && attribute.front() == u'@') attribute.remove_prefix(1);
    const std::u16string attributeName = LowerAscii(attribute);
    std::u16string_view wanted = TrimView(predicate.substr(eq + 1));
    if (wanted.size() >= 2 && wanted.front() == u'"' && wanted.back() == u'"') wanted = wanted.substr(1, wanted.size() - 2);

    for (const auto& child : children_) {
        if (!IsElementNamed(*child, name)) continue;
        auto* element = static_cast<TxdataNode*>(child);
        if (element->GetAttribute(attributeName) == wanted) return element;
        for (const auto& grandchild : element->children_) {
            if (!IsElementNamed(*grandchild, attributeName)) continue;
            if (grandchild->Text() == wanted) return element;
            break;  // only the first child element of that name counts
        }
    }
    return nullptr;
}

const TxdataNode* TxdataNode::FindNode(std::u16string_view path) const {
    if (!path.empty() && path.front() == u'/') path.remove_prefix(1);
    const TxdataNode* current = this;
    while (current && !path.empty()) {
        const size_t slash = path.find(u'/');
        const std::u16string_view segment = path.substr(0, slash);
        path = slash == path.npos ? std::u16string_view() : path.substr(slash + 1);
        if (segment == u"..") current = current->parent_;
        else if (segment == u".") current = this;
        else current = current->FindChild(segment);
    }
    return current;
}

TxdataNode* TxdataNode::FindNode(std::u16string_view path) {
    return const_cast<TxdataNode*>(static_cast<const TxdataNode*>(this)->FindNode(path));
}

std::u16string TxdataNode::ReadValue(std::u16string_view path) const {
    if (const TxdataNode* found = FindNode(path)) return found->Text();
    const auto [parentPath, last] = SplitLast(path);
    if (const TxdataNode* parent = FindNode(parentPath)) return parent->GetAttribute(last);
    return {};
}

std::string TxdataNode::ReadValueBytes(std::u16string_view path) const {
    if (const TxdataNode* found = FindNode(path)) return found->TextBytes();
    const auto [parentPath, last] = SplitLast(path);
    if (const TxdataNode* parent = FindNode(parentPath)) return parent->GetAttributeBytes(last);
    return {};
}

std::unique_ptr<TxdataList> TxdataNode::SelectNodes(std::u16string_view path) {
    const auto [parentPath, last] = SplitLast(path);
    TxdataNode* parent = FindNode(parentPath);
    if (!parent) return nullptr;
    auto list = std::make_unique<TxdataList>();
    for (const auto& child : parent->children_) {
        if (!IsElementNamed(*child, last)) continue;
        auto* element = static_cast<TxdataNode*>(child);
        list->Add(element->Name(), element);
    }
    return list;
}

}  // namespace tessel
