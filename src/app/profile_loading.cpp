#include "app/profile_loading.h"

#include "base/errors.h"
#include "base/strict_int.h"
#include "base/text.h"
#include "ui/profile.h"

namespace tessel {

namespace {

// The values the store converts at load, and the one the main window reads besides.
constexpr std::u16string_view kNumericSettings[] = {u"window/left",         u"window/top",
                                                    u"window/height",       u"window/transparency",
                                                    u"window/visible",      u"update/interval",
                                                    u"update/days"};

}  // namespace

int32_t SettingOrDefault(const TProfile& profile, std::u16string_view path) {
    int32_t value = 0;
    if (TryStrToInt(Narrow(profile.Doc.ReadValue(path)), value)) return value;
    if (TryStrToInt(Narrow(ShippedSettings().ReadValue(path)), value)) return value;
    return 0;
}

std::vector<std::string> LoadProfileForStart(TProfile& profile) {
    std::vector<std::string> problems;
    bool damaged = false;
    try {
        profile.Load();
    } catch (const EConvertError&) {
        // The tree was read; the conversion stopped at a bad value, found again below with its
        // path (window/visible, read by the main window only, is checked there too).
    } catch (const std::exception& e) {
        // Damaged: the store keeps the file as it is on disk. A first load has no tree yet, so
        // the windows read the shipped settings.
        if (profile.Doc.Name().empty()) profile.Doc.LoadFromBytes(kDefaultProfileText);
        problems.push_back(std::string(e.what()) + " The shipped settings are used.");
        damaged = true;
    }

    if (profile.Doc.Name().empty()) {
        // An empty file: nothing in it to keep, so the shipped settings are used and saved at exit.
        profile.Doc.LoadFromBytes(kDefaultProfileText);
        problems.push_back("The settings file \"" + Utf16ToUtf8(profile.FilePath()) +
                           "\" holds no settings; the shipped settings are used.");
    }
    for (const std::u16string_view path : kNumericSettings) {
        int32_t value = 0;
        const std::string text = Narrow(profile.Doc.ReadValue(path));
        if (damaged || TryStrToInt(text, value)) continue;
        problems.push_back("'" + text + "' is not a valid integer value (" + Utf16ToUtf8(path) + " in \"" +
                           Utf16ToUtf8(profile.FilePath()) + "\"); the shipped value is used.");
        break;
    }
    profile.Transparency = SettingOrDefault(profile, u"window/transparency");
    profile.UpdateInterval = SettingOrDefault(profile, u"update/interval");
    profile.UpdateDays = SettingOrDefault(profile, u"update/days");
    return problems;
}

}  // namespace tessel
