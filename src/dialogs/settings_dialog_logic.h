#pragma once
// The options dialog's rules apart from its controls: what the fields show for the settings
// tree, how the spin fields clamp, the transparency label, the version text, and what Save
// writes into the tree and the start-up entry. The Win32 dialog (win32_settings_dialog.cpp)
// moves the values in and out of the controls.
#include <cstdint>
#include <string>
#include <string_view>

namespace tessel {

class TProfile;
class TxdataNode;

// The two spin fields and the track bar.
struct TSpinRange {
    int32_t Min;
    int32_t Max;
    int32_t Step;
    // A value outside the range is moved to its nearest end.
    int32_t Clamp(int32_t value) const { return value < Min ? Min : value > Max ? Max : value; }
    // The field's text as a value: a text that is not a number counts as the minimum.
    int32_t ValueOf(std::u16string_view text) const;
};
inline constexpr TSpinRange kIntervalRange{5, 500, 5};
inline constexpr TSpinRange kEventDaysRange{7, 100, 7};
inline constexpr TSpinRange kTransparencyRange{0, 100, 5};

// What the General page shows and Save writes.
struct TSettingValues {
    bool Startup = false;
    int32_t Transparency = 80;
    int32_t Interval = 10;
    int32_t EventDays = 7;
    bool operator==(const TSettingValues&) const = default;
};

// The fields as the settings show them: the box ticked exactly when run/startup is "1"; the
// numbers from the tree, clamped into the controls' ranges. A value the tree lacks (its element
// missing, or not a number) shows the store's own number instead.
TSettingValues ReadSettingValues(const TProfile& profile);

// Puts the values into the tree as decimal attributes on the elements run, update and window;
// an element the tree lacks gets nothing (writers never create elements).
void WriteSettingValues(TxdataNode& doc, const TSettingValues& values);

// Where Save puts "start with the system": the registry's Run key under Windows.
class IStartupEntry {
public:
    virtual ~IStartupEntry() = default;
    // Failures are the entry's to swallow: the settings file still records the choice.
    virtual void Write(const std::u16string& programPath) = 0;
    virtual void Remove() = 0;
};

// Save: the start-up entry written or removed, the values put into the tree (an element the tree
// lacks is made first, so the file written holds every setting), profile.xml saved and loaded
// again so that the store's numbers follow the file. A failed write raises EFileError
// (profile.xml is then as it was).
void SaveSettings(TProfile& profile, const TSettingValues& values, IStartupEntry& startup,
                  const std::u16string& programPath);

// "%2d%": the track bar's position with a leading blank below 10.
std::u16string PercentText(int32_t position);

// "Version :" and the four numbers of the program file's fixed version (high and low half of
// the most significant word, then of the least significant one); "Version :" alone without
// version information.
std::u16string VersionText(bool hasVersion, uint32_t mostSignificant, uint32_t leastSignificant);

// The left edge that centres a control of that width in a client area.
inline int32_t CentredLeft(int32_t clientWidth, int32_t controlWidth) { return (clientWidth - controlWidth) / 2; }

// The maker's home page as the About page shows it, and the address its link opens.
std::string HomePageAddress(std::string_view makerHost);
std::string HomePageLink(std::string_view makerHost);

}  // namespace tessel
