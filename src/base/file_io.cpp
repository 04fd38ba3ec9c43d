#include "base/file_io.h"

#include <algorithm>

namespace tessel {

std::u16string FolderOf(const std::u16string& path) {
    const size_t cut = path.find_last_of(u"/\\");
    return cut == std::u16string::npos ? std::u16string() : path.substr(0, cut + 1);
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    size_t size = 0;
    for (const auto& line : lines) size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

namespace {

// Every line break is CR LF and the text ends with one (or is empty).
bool InCrLfForm(std::string_view text) {
    if (!text.empty() && !text.ends_with("\r\n")) return false;
    size_t breaks = 0;
    for (size_t i = text.find('\n'); i != text.npos; i = text.find('\n', i + 1), ++breaks)
        if (i == 0 || text[i - 1] != '\r') return false;
    // Each LF has a CR of its own before it; any other CR would be a break of its own.
    return size_t(std::count(text.begin(), text.end(), '\r')) == breaks;
}

}  // namespace

std::string CrLfLines(std::string text) {
    if (InCrLfForm(text)) return text;
    std::string out;
    out.reserve(text.size() + text.size() / 8 + 2);
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        out.append(text, start, i - start);
        out += "\r\n";
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) {
        out.append(text, start, text.npos);
        out += "\r\n";
    }
    return out;
}

std::string ReadTextAsCrLf(const std::u16string& path, uint64_t maxBytes) {
    return CrLfLines(ReadFileBytes(path, maxBytes));
}

std::u16string TemporaryPathFor(const std::u16string& path) { return path + u".tmp"; }

void SaveLines(const std::u16string& path, const std::vector<std::string>& lines) {
    WriteFileAtomic(path, JoinLines(lines));
}

}  // namespace tessel
