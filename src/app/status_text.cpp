#include "app/status_text.h"

namespace tessel {

std::u16string WithLineBreaks(const std::u16string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n')) out += u'\n';
    }
    return out;
}

}  // namespace tessel
