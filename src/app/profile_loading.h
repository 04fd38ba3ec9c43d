#pragma once
// Loading the settings so that start-up goes on whatever profile.xml holds. A file that does not
// parse leaves the store with the shipped settings (and the file untouched at exit); a value that
// is not a number is reported with its path and read as its shipped value. Problems come back
// as texts naming the file, for the caller to show once, together with the other stores'.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

class TProfile;

// profile.Load() that never raises: answers at most one text (the damage, or the first value that
// is not a decimal integer, "'abc' is not a valid integer value (window/left in "...")"). The
// numeric fields are set from their values or, where a value is bad, from the shipped ones.
std::vector<std::string> LoadProfileForStart(TProfile& profile);

// The setting at path as a strict decimal integer; its value in the shipped settings when the
// stored text is not one (0 for a path the shipped settings lack).
int32_t SettingOrDefault(const TProfile& profile, std::u16string_view path);

}  // namespace tessel
