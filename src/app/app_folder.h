#pragma once
// The folder of the running program file, with a trailing separator. profile.xml, account.xml,
// the cache files and the theme folder live there. The main window sets it at construction;
// tests point it at a temporary folder.
#include <string>

namespace tessel {

const std::u16string& AppFolder();
void SetAppFolder(std::u16string folder);

}  // namespace tessel
