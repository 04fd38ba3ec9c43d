#include "dialogs/settings_dialog_logic.h"

#include <cstdio>

#include "base/errors.h"
#include "base/strict_int.h"
#include "base/text.h"
#include "ui/profile.h"
#include "xml/xdata_node.h"

namespace tessel {

namespace {

// The tree's number at path, or fallback when the tree lacks it or it is not a number.
int32_t NumberOr(const TxdataNode& doc, const char16_t* path, int32_t fallback) {
    int32_t value = 0;
    return TryStrToInt(Narrow(doc.ReadValue(path)), value) ? value : fallback;
}

void SetOnExisting(TxdataNode& doc, const char16_t* element, const char16_t* attribute, const std::u16string& value) {
    if (TxdataNode* node = doc.FindNode(element)) node->SetAttribute(attribute, value);
}

std::u16string Decimal(int32_t value) { return Widen(std::to_string(value)); }

}  // namespace

int32_t TSpinRange::ValueOf(std::u16string_view text) const {
    int32_t value = 0;
    return TryStrToInt(Narrow(Trim(text)), value) ? Clamp(value) : Min;
}

TSettingValues ReadSettingValues(const TProfile& profile) {
    const TxdataNode& doc = profile.Doc;
    TSettingValues values;
    values.Startup = doc.ReadValue(u"run/startup") == u"1";
    values.Transparency = kTransparencyRange.Clamp(NumberOr(doc, u"window/transparency", profile.Transparency));
    values.Interval = kIntervalRange.Clamp(NumberOr(doc, u"update/interval", profile.UpdateInterval));
    values.EventDays = kEventDaysRange.Clamp(NumberOr(doc, u"update/days", profile.UpdateDays));
    return values;
}

void WriteSettingValues(TxdataNode& doc, const TSettingValues& values) {
    SetOnExisting(doc, u"run", u"startup", values.Startup ? u"1" : u"0");
    SetOnExisting(doc, u"update", u"interval", Decimal(values.Interval));
    SetOnExisting(doc, u"update", u"days", Decimal(values.EventDays));
    SetOnExisting(doc, u"window", u"transparency", Decimal(values.Transparency));
}

void SaveSettings(TProfile& profile, const TSettingValues& values, IStartupEntry& startup,
                  const std::u16string& programPath) {
    if (values.Startup)
        startup.Write(programPath);
    else
        startup.Remove();
    // Every element is there to take the values, whatever the file that was loaded lacked.
    FillMissingSettings(profile.Doc, ShippedSettings());
    WriteSettingValues(profile.Doc, values);
    profile.Save();
    try {
        profile.Load();
    } catch (const EConvertError&) {
        // A file without one of the elements the main window reads: the conversion stopped at
        // the first missing value. The tree is loaded whole, so take the numbers it does hold.
        profile.Transparency = NumberOr(profile.Doc, u"window/transparency", profile.Transparency);
        profile.UpdateInterval = NumberOr(profile.Doc, u"update/interval", profile.UpdateInterval);
        profile.UpdateDays = NumberOr(profile.Doc, u"update/days", profile.UpdateDays);
    }
}

std::u16string PercentText(int32_t position) {
    char text[16];
    std::snprintf(text, sizeof text, "%2d%%", static_cast<int>(position));
    return Widen(text);
}

std::u16string VersionText(bool hasVersion, uint32_t mostSignificant, uint32_t leastSignificant) {
    std::string text = "Version :";
    if (hasVersion) {
        text += std::to_string(mostSignificant >> 16) + "." + std::to_string(mostSignificant & 0xFFFF) + "." +
                std::to_string(leastSignificant >> 16) + "." + std::to_string(leastSignificant & 0xFFFF);
    }
    return Widen(text);
}

std::string HomePageAddress(std::string_view makerHost) { return "http://" + std::string(makerHost); }

std::string HomePageLink(std::string_view makerHost) { return HomePageAddress(makerHost) + "/?id=tessel"; }

}  // namespace tessel
