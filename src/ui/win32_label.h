#pragma once
// The window of a TCLabel: a child window that draws the label's text (or lets its OnDrawText
// handler draw) and, when the label is transparent, shows its parent's background behind it.
#include <windows.h>

#include "ui/label.h"

namespace tessel {

// Creates the label's window on parent at the label's bounds; false when it could not be made.
bool CreateLabelWindow(TCLabel& label, HWND parent);
// The label's window, null before CreateLabelWindow.
HWND LabelHandle(const TCLabel& label);

}  // namespace tessel
