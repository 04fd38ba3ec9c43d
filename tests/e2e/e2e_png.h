#pragma once
// Screenshots the tests leave for people to look at: an image written as an 8-bit RGB PNG.
#include <filesystem>

#include "win32_e2e_screen.h"

namespace tessel::e2e {

// False when the file could not be written.
bool SavePng(const Image& image, const std::filesystem::path& path);

}  // namespace tessel::e2e
