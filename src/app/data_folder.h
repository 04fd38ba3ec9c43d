#pragma once
// Where the program keeps the files it writes: profile.xml, account.xml and the cache files.
//
// They live beside the program, as they always have, when its folder can be written. A program
// installed where the user cannot write (as a program installed for every user is) keeps them in
// "Tessel Desktop" under the user's local application-data folder instead. The first time that
// folder is made, the files found beside the program are copied into it, so the settings, the
// account and the cache carry over; after that the two places go their own ways.
#include <functional>
#include <string>

namespace tessel {

inline constexpr char16_t kDataFolderName[] = u"Tessel Desktop";

// True when a file can be created in the folder: a probe file is written there and removed.
bool CanWriteFolder(const std::u16string& folder);

// The data folder, with a trailing separator. The program folder when canWrite says it can be
// written, when localAppData is empty, or when the folder under localAppData cannot be made.
std::u16string ChooseDataFolder(const std::u16string& programFolder, const std::u16string& localAppData,
                                const std::function<bool(const std::u16string&)>& canWrite = CanWriteFolder);

}  // namespace tessel
