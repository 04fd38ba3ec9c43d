#pragma once
// The tree builder: drives a tokenizer and fills a TxdataNode. It keeps the open elements on an
// explicit stack rather than the call stack, and refuses documents nested deeper than any real
// one.
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "base/text.h"
#include "xml/xdata_node.h"
#include "xml/xml_tokenizer.h"

namespace tessel::xml_detail {

struct BuildContext {
    // Includes are followed only in documents loaded from files: a reply from the network must
    // not pull local files into the tree.
    bool followIncludes = false;
    std::u16string baseDirectory;
    int includeDepth = 0;
    // Documents included so far in this load, shared by the nested loads: a file that includes
    // another many times over, level after level, must not multiply the work without bound.
    int* includeCount = nullptr;
    size_t maxElementDepth = 0;  // kMaxTextElementDepth or kMaxFileElementDepth
    // When set, called with each element directly under the top element once it is complete;
    // one it answers true for is freed at once instead of staying in the tree.
    const std::function<bool(const TxdataNode&)>* takeTopChild = nullptr;
};

// Hands a complete child of the top element to the context's taker; frees it when taken. The
// child is its parent's last child at that moment.
// A long load that hands its children over one by one lets a thread that waits for the pool
// have it in between, rather than after the whole file.
inline void OfferTopChild(TxdataNode& child, const BuildContext& context) {
    if (!context.takeTopChild) return;
    if ((*context.takeTopChild)(child)) child.Detach();
    LetWaitingThreadsIn();
}

// A file included from a file being loaded; declared here, defined with the file loader.
std::unique_ptr<TxdataNode> LoadIncludedDocument(const std::u16string& path, const BuildContext& including);

inline constexpr int kMaxIncludeDepth = 8;
inline constexpr int kMaxIncludes = 100;
// Far beyond any real document (the stores nest three levels, feeds five); it bounds what a
// hostile file can make the writer produce, since every level indents its lines further.
inline constexpr size_t kMaxFileElementDepth = 1000;
// Text parses read the network's replies (and the stores' files, which hold what came from it).
// The deepest feed the service sends is seven levels (feed, entry, gd:recurrenceException,
// gd:entryLink, entry, gd:when, gd:reminder); 32 is four times that, and keeps the cache that a
// reply of deep nesting makes within about 40 times the reply's size.
inline constexpr size_t kMaxTextElementDepth = 32;

inline std::u16string WideText(std::string_view bytes) { return Widen(bytes); }
inline std::u16string WideText(std::u16string_view text) { return std::u16string(text); }

// A text piece with its references decoded; most texts have none and are copied once.
template <class CharT>
void AddDecodedText(TxdataNode& node, std::basic_string_view<CharT> token) {
    if (token.find(CharT('&')) == token.npos) {
        node.AddValue(token, kXdataParsedText);
    } else {
        const std::basic_string<CharT> decoded = xml_entities::DecodeText(token);
        node.AddValue(std::basic_string_view<CharT>(decoded), kXdataParsedText);
    }
}

// The element names met in one document with their shared copies: the process-wide table takes
// a lock, and a feed repeats a few dozen names over and over. A small table indexed by the
// name's length and its first and last units; the views point into the text being parsed, so
// the table starts again when the text moves (a text read in pieces: the generation changes).
template <class CharT>
class NameCache {
public:
    void Name(TxdataNode& node, std::basic_string_view<CharT> name, unsigned generation) {
        if (generation != generation_) {
            for (Slot& slot : slots_) slot = Slot{};
            generation_ = generation;
        }
        // Open addressing: the name's slot, or the next ones; the first free slot takes it.
        Slot* free = nullptr;
        for (size_t probe = 0, at = SlotOf(name); probe < kSlots; ++probe, at = (at + 1) % kSlots) {
            Slot& slot = slots_[at];
            if (!slot.shared) {
                free = &slot;
                break;
            }
            if (slot.seen == name) {
                node.ShareName(slot.shared);
                return;
            }
        }
        std::u16string wide = WideText(name);
        const std::u16string* shared = SharedElementName(wide);
        if (!shared) {
            node.TakeName(std::move(wide));
            return;
        }
        if (free) *free = Slot{name, shared};
        node.ShareName(shared);
    }

private:
    struct Slot {
        std::basic_string_view<CharT> seen;
        const std::u16string* shared = nullptr;
    };
    static constexpr size_t kSlots = 64;

    static size_t SlotOf(std::basic_string_view<CharT> name) {
        if (name.empty()) return 0;
        const auto first = static_cast<size_t>(static_cast<std::make_unsigned_t<CharT>>(name.front()));
        const auto last = static_cast<size_t>(static_cast<std::make_unsigned_t<CharT>>(name.back()));
        return (name.size() * 7 + first * 3 + last) % kSlots;
    }

    Slot slots_[kSlots];
    unsigned generation_ = 0;
};

// What one start tag's attributes are gathered in before the node takes them, kept from tag to
// tag: the entries, and the values among them that held an escaped quote, decoded.
struct EntryScratch {
    std::vector<PackedEntries::Parts> entries;
    std::vector<std::string> decoded;
};

template <class CharT>
void TakeStartTag(const Tokenizer<CharT>& tokenizer, TxdataNode& node, NameCache<CharT>& names,
                  EntryScratch& scratch) {
    names.Name(node, tokenizer.Name(), tokenizer.Generation());
    const auto& attributes = tokenizer.Attributes();
    if (attributes.empty()) return;
    node.ClearAttributes();
    if constexpr (sizeof(CharT) == 1) {
        scratch.entries.clear();
        scratch.decoded.clear();
        scratch.decoded.reserve(attributes.size());  // the entries point into these strings
        for (const auto& attribute : attributes) {
            std::string_view value = attribute.value;
            if (xml_entities::HoldsQuoteReference(value))
                value = scratch.decoded.emplace_back(xml_entities::DecodeQuotedValue(value));
            scratch.entries.push_back({attribute.name, value});
        }
        node.AddAttributeBytes(scratch.entries.data(), scratch.entries.size());
    } else {
        for (const auto& attribute : attributes)
            node.AddAttribute(attribute.name, DecodedAttributeValue(attribute.value));
    }
}

template <class CharT>
void IncludeInto(const Tokenizer<CharT>& tokenizer, TxdataNode& parent, const BuildContext& context) {
    if (!context.followIncludes) return;
    std::u16string href;
    for (const auto& attribute : tokenizer.Attributes()) {
        if (attribute.name.size() == 4 && WideText(attribute.name) == u"href") {
            href = WideText(DecodedAttributeValue(attribute.value));
            break;
        }
    }
    if (href.empty()) return;
    if (context.includeDepth >= kMaxIncludeDepth) tokenizer.Error("Includes nested too deeply");
    if (context.includeCount && ++*context.includeCount > kMaxIncludes) tokenizer.Error("Too many includes");
    const std::u16string path = href.find(u':') != href.npos ? href : context.baseDirectory + href;
    parent.AddChild(LoadIncludedDocument(path, context));
}

template <class CharT>
bool IsIncludeName(std::basic_string_view<CharT> name) {
    constexpr std::string_view kInclude = "xi:include";
    if (name.size() != kInclude.size()) return false;
    for (size_t i = 0; i < kInclude.size(); ++i)
        if (name[i] != CharT(kInclude[i])) return false;
    return true;
}

template <class CharT>
bool SameName(std::basic_string_view<CharT> name, const std::u16string& expected) {
    if (name.size() != expected.size()) return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (char16_t(static_cast<std::make_unsigned_t<CharT>>(name[i])) != expected[i]) return false;
    return true;
}

// Reads the element whose start tag the tokenizer has just delivered into `element`.
template <class CharT>
void ReadElement(Tokenizer<CharT>& tokenizer, TxdataNode& element, const BuildContext& context) {
    NodeMemoryBatch batch;
    NameCache<CharT> names;
    EntryScratch scratch;
    {
        // The top node's own name and attributes stay outside the arena its subtree is built
        // in: they live on when the subtree is dropped.
        ArenaScope shared(nullptr);
        TakeStartTag(tokenizer, element, names, scratch);
    }
    if (tokenizer.EmptyElement()) return;
    std::vector<TxdataNode*> open{&element};
    while (tokenizer.NextItem()) {
        TxdataNode& current = *open.back();
        switch (tokenizer.Type()) {
            case TxmlItem::CData:
                current.AddValue(tokenizer.Token(), kXdataCData);
                break;
            case TxmlItem::Comment:
                current.AddValue(tokenizer.Token(), kXdataComment);
                break;
            case TxmlItem::Text:
                AddDecodedText(current, tokenizer.Token());
                break;
            case TxmlItem::ElementStart: {
                if (IsIncludeName(tokenizer.Name())) {
                    IncludeInto(tokenizer, current, context);
                    break;
                }
                if (!tokenizer.EmptyElement() && open.size() >= context.maxElementDepth)
                    tokenizer.Error("Elements nested too deeply");
                TxdataNode* child = current.AddChild(std::make_unique<TxdataNode>());
                TakeStartTag(tokenizer, *child, names, scratch);
                if (!tokenizer.EmptyElement()) open.push_back(child);
                else if (open.size() == 1) OfferTopChild(*child, context);
                break;
            }
            case TxmlItem::ElementEnd: {
                if (!SameName(tokenizer.Name(), current.Name())) {
                    const std::u16string endName = WideText(tokenizer.Name());
                    tokenizer.Error("End of element " + Narrow(endName) + ", expected: " + Narrow(current.Name()));
                }
                open.pop_back();
                if (open.empty()) return;
                if (open.size() == 1) OfferTopChild(current, context);
                break;
            }
            default:
                tokenizer.Error("Unexpected element here!");
        }
    }
}

// Top level: comments become pieces of the node, every top-level element is read into the node
// itself, declarations and text are skipped, and an end tag stops the building.
template <class CharT>
void BuildTopLevel(Tokenizer<CharT>& tokenizer, TxdataNode& node, const BuildContext& context) {
    while (tokenizer.NextItem()) {
        switch (tokenizer.Type()) {
            case TxmlItem::Comment:
                node.AddValue(tokenizer.Token(), kXdataComment);
                break;
            case TxmlItem::ElementStart:
                ReadElement(tokenizer, node, context);
                break;
            case TxmlItem::ElementEnd:
                return;
            case TxmlItem::Doctype: {
                ArenaScope shared(nullptr);  // what the node keeps of it is its own
                node.HandleItem(static_cast<int>(TxmlItem::Doctype), WideText(tokenizer.Token()));
                break;
            }
            default:
                break;
        }
    }
}

}  // namespace tessel::xml_detail
