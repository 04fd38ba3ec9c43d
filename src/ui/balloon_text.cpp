#include "ui/balloon_text.h"

#include <algorithm>
#include <unordered_map>

namespace tessel {

namespace {

constexpr size_t kTabStop = 8;

bool HighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool LowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Line breaks become LF, tabs blanks.
std::u16string Normalise(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t column = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            out += u'\n';
            column = 0;
        } else if (c == u'\t') {
            const size_t blanks = kTabStop - column % kTabStop;
            out.append(blanks, u' ');
            column += blanks;
        } else {
            out += c;
            if (!LowSurrogate(c)) ++column;
        }
    }
    return out;
}

}  // namespace

TWrappedText::TWrappedText(ITextMeasure& measure, std::u16string_view text) : text_(Normalise(text)) {
    lineHeight_ = measure.TextHeight(u"Wg");
    // Characters measured once each (a day's text repeats few of them); a word's width is the
    // sum of its characters', which is what the lines are drawn to.
    std::unordered_map<uint32_t, int32_t> known;
    charWidths_.assign(text_.size(), 0);
    for (size_t i = 0; i < text_.size(); ++i) {
        if (text_[i] == u'\n' || LowSurrogate(text_[i])) continue;
        const size_t n = HighSurrogate(text_[i]) && i + 1 < text_.size() && LowSurrogate(text_[i + 1]) ? 2 : 1;
        const uint32_t key = n == 2 ? (uint32_t(text_[i]) << 16 | text_[i + 1]) : text_[i];
        auto it = known.find(key);
        if (it == known.end())
            it = known.emplace(key, measure.TextWidth(std::u16string_view(text_).substr(i, n))).first;
        charWidths_[i] = it->second;
    }
    size_t i = 0;
    while (i <= text_.size()) {
        if (i == text_.size() || text_[i] == u'\n') {
            Piece end{i, i, 0, false, true};
            pieces_.push_back(end);
            ++i;
            continue;
        }
        const bool blank = text_[i] == u' ';
        size_t j = i + 1;
        if (!blank)
            while (j < text_.size() && text_[j] != u' ' && text_[j] != u'\n') ++j;
        pieces_.push_back(Piece{i, j, CharsWidth(i, j), blank, false});
        i = j;
    }
}

int32_t TWrappedText::CharsWidth(size_t begin, size_t end) const {
    int32_t w = 0;
    for (size_t k = begin; k < end; ++k) w += charWidths_[k];
    return w;
}

// Calls emit(begin, end, width) for every line, in order.
template <class Emit>
void TWrappedText::Wrap(int32_t width, Emit&& emit) const {
    const bool limited = width > 0;
    size_t begin = 0, end = 0;  // the line's text, without the blanks that follow its last word
    int32_t lineWidth = 0, pending = 0;
    bool words = false;     // the line holds a word
    bool sourceLine = true;  // the line starts where the text has a line break (or begins)
    // Ends the line after `last` and starts the next one at `next`.
    auto wrap = [&](size_t last, int32_t w, size_t next) {
        emit(begin, last, w);
        begin = end = next;
        lineWidth = pending = 0;
        words = false;
        sourceLine = false;
    };
    for (const Piece& p : pieces_) {
        if (p.LineBreak) {
            emit(begin, end, lineWidth);
            begin = end = p.Begin + 1;
            lineWidth = pending = 0;
            words = false;
            sourceLine = true;
            continue;
        }
        if (p.Blank) {
            if (words) {
                pending += p.Width;
            } else if (sourceLine) {
                lineWidth += p.Width;  // an indented line keeps its indent
                end = p.End;
            } else {
                begin = end = p.End;  // blanks where a line wrapped are dropped
            }
            continue;
        }
        if (words && limited && lineWidth + pending + p.Width > width) {
            wrap(end, lineWidth, p.Begin);
        }
        if (limited && lineWidth + pending + p.Width > width) {
            // A word longer than the line: as many characters as fit (at least one) per line.
            int32_t used = lineWidth + pending;
            for (size_t k = p.Begin; k < p.End;) {
                const size_t n = HighSurrogate(text_[k]) && k + 1 < p.End ? 2 : 1;
                if (used > 0 && used + charWidths_[k] > width) {
                    wrap(k, used, k);
                    used = 0;
                }
                used += charWidths_[k];
                k += n;
            }
            lineWidth = used;
        } else {
            lineWidth += pending + p.Width;
        }
        pending = 0;
        end = p.End;
        words = true;
    }
}

TTextSize TWrappedText::SizeAt(int32_t width) const {
    TTextSize size;
    Wrap(width, [&](size_t, size_t, int32_t w) {
        size.Width = std::max(size.Width, w);
        size.Height += lineHeight_;
    });
    return size;
}

std::vector<std::u16string> TWrappedText::LinesAt(int32_t width) const {
    std::vector<std::u16string> lines;
    Wrap(width, [&](size_t begin, size_t end, int32_t) { lines.push_back(text_.substr(begin, end - begin)); });
    return lines;
}

}  // namespace tessel
