#include "base/file_io.h"

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

std::string ReadTextAsCrLf(const std::u16string& path) { return JoinLines(SplitLines(ReadFileBytes(path))); }

void SaveLines(const std::u16string& path, const std::vector<std::string>& lines) {
    WriteFileAtomic(path, JoinLines(lines));
}

}  // namespace tessel
