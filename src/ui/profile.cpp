#include "ui/profile.h"

#include "base/errors.h"
#include "base/file_io.h"
#include "base/strict_int.h"
#include "base/text.h"

namespace tessel {

// Indented as SaveToLines writes it, so the first save at exit leaves the file's bytes alone.
const std::string_view kDefaultProfileText =
    "<profile>\r\n"
    "        <window left=\"0\" top=\"0\" height=\"0\" transparency=\"80\" visible=\"1\"/>\r\n"
    "        <update interval=\"10\" days=\"7\"/>\r\n"
    "        <run startup=\"0\"/>\r\n"
    "        <eventwindow left=\"0\" top=\"0\" height=\"0\" width=\"0\" visible=\"1\"/>\r\n"
    "        <hosts service=\"www.google.com\" accounts=\"www.google.com\" maker=\"www.tesseldesktop.com\"/>\r\n"
    "</profile>\r\n";

bool EnsureProfileFile(const std::u16string& folder) {
    const std::u16string path = folder + u"profile.xml";
    if (FileExists(path)) return false;
    WriteFileAtomic(path, kDefaultProfileText);
    return true;
}

TProfile::~TProfile() {
    if (keepDamagedFile_) return;
    try {
        Save();
    } catch (...) {
    }
}

void TProfile::Load() {
    const std::u16string path = FilePath();
    if (!FileExists(path)) return;
    const std::string text = ReadTextAsCrLf(path, kMaxSettingsFileBytes);

    // Parsed once aside first: a parse error part-way would otherwise leave half a tree in Doc,
    // and the save at exit would write that half over the user's file.
    try {
        TxdataNode trial;
        trial.LoadFromBytes(text);
    } catch (const EError& e) {
        keepDamagedFile_ = true;
        throw EError("The settings file \"" + Utf16ToUtf8(path) + "\" is damaged and was not loaded (" + e.what() +
                     ").");
    }
    keepDamagedFile_ = false;
    Doc.Clear();
    Doc.LoadFromBytes(text);

    StrToInt(Doc.ReadValue(u"window/left"));
    StrToInt(Doc.ReadValue(u"window/top"));
    StrToInt(Doc.ReadValue(u"window/height"));
    Transparency = StrToInt(Doc.ReadValue(u"window/transparency"));
    UpdateInterval = StrToInt(Doc.ReadValue(u"update/interval"));
    UpdateDays = StrToInt(Doc.ReadValue(u"update/days"));
}

void TProfile::Save() {
    // An empty tree would be written as "</>", which no later Load could read.
    if (Doc.Name().empty()) return;
    std::vector<std::string> lines;
    Doc.SaveToLines(lines);
    SaveLines(FilePath(), lines);
    keepDamagedFile_ = false;
}

}  // namespace tessel
