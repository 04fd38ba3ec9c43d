#pragma once
// The texts the update check shows, in the languages it knows, and the small printf-style
// formatter their patterns need (%s, %d, %.Nd, %.Nf, %%). Every translation keeps the English
// pattern's conversions in the same order.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tessel::update {

struct UpgraderTexts {
    const char16_t* Language;  // for the tests and the tool: "en", "de", "pt-BR", "zh-CN"...
    const char16_t* Caption;
    const char16_t* AskUpgrade;  // application title, message with a line break before and after
    const char16_t* Yes;
    const char16_t* Later;
    const char16_t* ConnLost;
    const char16_t* HostUnreachable;
    const char16_t* NoInfoFile;
    const char16_t* NoUpdateAvailable;
    const char16_t* LostFile;  // file name
    const char16_t* ErrorTitle;
    const char16_t* Downloading;   // file number, file count
    const char16_t* FileSize;      // Kb
    const char16_t* TransferRate;  // Kb/s
    const char16_t* TimeLeft;      // hours, minutes, seconds
    const char16_t* Abort;
};

// The table for a Windows language identifier (primary language in the low 10 bits, sub-language
// above): Portuguese and Chinese also by sub-language; English for any other.
const UpgraderTexts& TextsForLanguage(uint16_t languageId);

using TextArg = std::variant<std::u16string, long long, double>;
// A conversion without an argument, or of the wrong kind, prints nothing.
std::u16string FormatText(std::u16string_view pattern, const std::vector<TextArg>& args);

// The question's text: the pattern filled with the title and the information file's message.
std::u16string AskUpgradeText(const UpgraderTexts& texts, const std::u16string& title, const std::u16string& message);
// The caption of the box that offers to skip a file: "Error #" and the error code.
std::u16string FileErrorCaption(const UpgraderTexts& texts, unsigned long code);

}  // namespace tessel::update
