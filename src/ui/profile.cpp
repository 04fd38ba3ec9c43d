#include "ui/profile.h"

#include <memory>
#include <vector>

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

namespace {

// Every setting of the shipped file, element/attribute.
constexpr std::u16string_view kSettingPaths[] = {
    u"window/left",      u"window/top",       u"window/height",      u"window/transparency", u"window/visible",
    u"update/interval",  u"update/days",      u"run/startup",        u"eventwindow/left",    u"eventwindow/top",
    u"eventwindow/height", u"eventwindow/width", u"eventwindow/visible", u"hosts/service",     u"hosts/accounts",
    u"hosts/maker"};

std::string TreeText(const TxdataNode& tree) {
    std::vector<std::string> lines;
    tree.SaveToLines(lines);
    return JoinLines(lines);
}

}  // namespace

const TxdataNode& ShippedSettings() {
    static const std::unique_ptr<TxdataNode> shipped = [] {
        auto doc = std::make_unique<TxdataNode>();
        doc->LoadFromBytes(kDefaultProfileText);
        return doc;
    }();
    return *shipped;
}

void FillMissingSettings(TxdataNode& doc, const TxdataNode& source) {
    for (const std::u16string_view path : kSettingPaths) {
        const std::u16string value = source.ReadValue(path);
        if (value.empty() || !doc.ReadValue(path).empty()) continue;
        const size_t slash = path.find(u'/');
        const std::u16string_view element = path.substr(0, slash);
        TxdataNode* node = doc.FindNode(element);
        if (!node) node = doc.AddChild(TxdataNode::CreateNamed(element));
        node->SetAttribute(path.substr(slash + 1), value);
    }
}

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
    // A reload keeps what the program holds wherever the file has nothing: an emptied file, or
    // one that lost settings while the program ran, costs none of them.
    TxdataNode held;
    const bool reload = !Doc.Name().empty();
    if (reload) {
        if (Trim(text).empty()) return;
        held.LoadFromBytes(TreeText(Doc));
    }
    Doc.Clear();
    Doc.LoadFromBytes(text);
    if (reload) FillMissingSettings(Doc, held);

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
    // The file written is always whole: a setting the tree lacks is written as the value the
    // program uses for it, the shipped one.
    FillMissingSettings(Doc, ShippedSettings());
    std::vector<std::string> lines;
    Doc.SaveToLines(lines);
    SaveLines(FilePath(), lines);
    keepDamagedFile_ = false;
}

}  // namespace tessel
