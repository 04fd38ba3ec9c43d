// The writer: SaveToLines (indented 8-bit lines, no XML declaration) and a node's one-line
// XmlText. Both walk the tree with an explicit stack, so any depth the builder accepts can be
// written back.
#include "xml/xdata_node.h"

#include "base/text.h"
#include "xml/xml_entities.h"

namespace tessel {

namespace {

void AppendNarrow(std::string& out, std::u16string_view text) {
    const size_t start = out.size();
    out.resize(start + text.size());
    for (size_t i = 0; i < text.size(); ++i) out[start + i] = text[i] <= 0xFF ? char(text[i]) : '?';
}

void AppendStored(std::string& out, const xml_detail::PieceText& text) {
    if (text.IsNarrow()) out.append(text.Bytes());
    else AppendNarrow(out, text.Units());
}

void AppendWrittenForm(std::string& out, const TxdataValue& piece) {
    const xml_detail::PieceText& text = piece.Stored();
    switch (piece.Kind()) {
        case kXdataCData:
            out += "<![CDATA[";
            AppendStored(out, text);
            out += "]]>";
            break;
        case kXdataComment:
            out += xml_entities::CommentOpening(text.Front());
            AppendStored(out, text);
            out += "-->";
            break;
        default:
            if (text.IsNarrow()) xml_entities::AppendEscaped(out, text.Bytes());
            else xml_entities::AppendEscaped(out, text.Units());
    }
}

// An 8-bit entry is written as stored, unless its value holds a double quote: then the value is
// escaped so that it reads back (every other value keeps its exact bytes).
void AppendEntry(std::string& out, std::string_view entry) {
    const size_t eq = entry.find('=');
    if (eq != entry.npos) {
        const std::string_view rest = entry.substr(eq + 1);
        if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') {
            const std::string_view value = rest.substr(1, rest.size() - 2);
            if (xml_entities::NeedsQuoteEscape(value)) {
                out.append(entry.substr(0, eq)).append("=\"");
                out += xml_entities::EscapeQuotedValue(value);
                out.push_back('"');
                return;
            }
        }
    }
    out.append(entry);
}

void AppendOpenTag(std::string& out, const TxdataNode& node) {
    out.push_back('<');
    AppendNarrow(out, node.Name());
    if (node.WideMode()) {
        for (const auto& attribute : node.WideAttributes()) {
            out.push_back(' ');
            AppendNarrow(out, attribute.Rendered());
        }
    } else {
        std::string_view entry;
        for (auto cursor = node.AttributeEntries().Entries(); cursor.Next(entry);) {
            out.push_back(' ');
            AppendEntry(out, entry);
        }
    }
}

void AppendOpenTag(std::u16string& out, const TxdataNode& node) {
    out.push_back(u'<');
    out += node.Name();
    for (size_t i = 0; i < node.AttributeCount(); ++i) {
        out.push_back(u' ');
        if (node.WideMode()) {
            out += node.WideAttributes()[i].Rendered();
        } else {
            std::string entry;
            AppendEntry(entry, node.AttributeEntries().At(i));
            out += Widen(entry);
        }
    }
}

bool IsBlankAfterTrim(std::string_view line) {
    for (char c : line)
        if (static_cast<unsigned char>(c) > ' ') return false;
    return true;
}

}  // namespace

void TxdataNode::SaveToLines(std::vector<std::string>& lines) const {
    lines.clear();
    struct Frame {
        const TxdataNode* node;
        size_t next;
        size_t indent;  // 2 x the nesting level
        std::string pending;
    };
    auto open = [&lines](const TxdataNode& node, size_t indent) {
        std::string line(indent, ' ');
        AppendOpenTag(line, node);
        line += node.ChildCount() == 0 ? "/>" : ">";
        lines.push_back(std::move(line));
    };

    open(*this, 0);
    if (ChildCount() == 0) return;
    std::vector<Frame> stack;
    stack.push_back({this, 0, 0, std::string(2, ' ')});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.node->ChildCount()) {
            if (!IsBlankAfterTrim(frame.pending)) lines.push_back(std::move(frame.pending));
            std::string close(frame.indent, ' ');
            close += "</";
            AppendNarrow(close, frame.node->Name());
            close.push_back('>');
            lines.push_back(std::move(close));
            stack.pop_back();
            continue;
        }
        const TxdataValue& child = *frame.node->Child(frame.next++);
        if (!child.IsNode()) {
            AppendWrittenForm(frame.pending, child);
            continue;
        }
        if (!IsBlankAfterTrim(frame.pending)) lines.push_back(std::move(frame.pending));
        frame.pending.assign(frame.indent + 2, ' ');
        const auto& element = static_cast<const TxdataNode&>(child);
        // Each nesting level is 4 levels deeper in the indentation rule: 8 more spaces.
        const size_t indent = frame.indent + 8;
        open(element, indent);
        if (element.ChildCount() > 0) stack.push_back({&element, 0, indent, std::string(indent + 2, ' ')});
    }
}

std::u16string TxdataNode::XmlText() const {
    std::u16string out;
    std::vector<std::pair<const TxdataNode*, size_t>> stack;
    auto open = [&out](const TxdataNode& node) {
        AppendOpenTag(out, node);
        out += node.ChildCount() == 0 ? u"/>" : u">";
    };
    open(*this);
    if (ChildCount() > 0) stack.emplace_back(this, 0);
    while (!stack.empty()) {
        auto& [node, next] = stack.back();
        if (next == node->ChildCount()) {
            out += u"</" + node->Name() + u">";
            stack.pop_back();
            continue;
        }
        const TxdataValue& child = *node->Child(next++);
        if (!child.IsNode()) {
            out += child.WrittenForm();
            continue;
        }
        const auto& element = static_cast<const TxdataNode&>(child);
        open(element);
        if (element.ChildCount() > 0) stack.emplace_back(&element, 0);
    }
    return out;
}

}  // namespace tessel
