#pragma once
// The status panel's text as the panel draws it.
#include <string>

namespace tessel {

// Lone CRs break lines on the panel as CR LF pairs do: each becomes a CR LF pair.
std::u16string WithLineBreaks(const std::u16string& text);

}  // namespace tessel
