#pragma once
// TauAutoUpgraderUpgradeMessageForm: the question whether to upgrade now, with "&Yes" and
// "&Later". Its height follows the text.
#include <windows.h>

#include <string>

#include "update/upgrader_texts.h"

namespace tessel::update {

inline constexpr wchar_t kQuestionClass[] = L"TauAutoUpgraderUpgradeMessageForm";

// Shows the question modally over owner; true for "&Yes". Closing the window means later.
bool AskUpgradeQuestion(HWND owner, const UpgraderTexts& texts, const std::u16string& text);

}  // namespace tessel::update
