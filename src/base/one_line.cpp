#include "base/one_line.h"

#include "base/text.h"

namespace tessel {

std::string OneLine(std::string_view text, size_t maxBytes) {
    std::string line;
    for (const unsigned char c : text) {
        if (c <= 0x20 || c == 0x7F) {
            if (!line.empty() && line.back() != ' ') line += ' ';
        } else {
            line += char(c);
        }
    }
    line = Trim(line);
    if (line.size() <= maxBytes) return line;
    size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
    line.resize(cut);
    return Trim(line) + "...";
}

}  // namespace tessel
