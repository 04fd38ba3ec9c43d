#pragma once
// Functions of system libraries that only a dialog or a rare path needs, bound on first use.
// Importing them would map the library, and everything it imports in turn, at every start: the
// common dialogs alone bring the print spooler and its Unix libraries under Wine, several
// megabytes the desktop window never touches.
#include <windows.h>

namespace tessel::win32 {

// The function `name` of the system library `library` (looked for in the system folder only),
// or null when either is missing. The library stays loaded for the rest of the process.
template <class Function>
Function* LateBound(const wchar_t* library, const char* name) {
    HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return nullptr;
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace tessel::win32
