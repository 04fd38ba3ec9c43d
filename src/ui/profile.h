#pragma once
// The settings store: profile.xml in the program's data folder, held whole as an XML tree that the windows
// and the options dialog read and write by path. Every setting is an attribute with decimal text
// ("1"/"0" for flags) on one of a few elements of the file's top element:
//   window      left top height transparency visible
//   update      interval days
//   run         startup
//   eventwindow left top height width visible
//   hosts       service accounts maker            (service_hosts.h)
// Readers use Doc.ReadValue("window/left"); writers Doc.FindNode("window")->SetAttribute(...),
// which never creates an element, so the shipped file (resources/profile.xml, kDefaultProfileText)
// holds every element and attribute, and a reload or save fills in what a damaged file lost.
#include <cstdint>
#include <string>
#include <string_view>

#include "xml/xdata_node.h"

namespace tessel {

// The settings written when profile.xml is missing; the same bytes as resources/profile.xml.
extern const std::string_view kDefaultProfileText;

// kDefaultProfileText as a tree.
const TxdataNode& ShippedSettings();

// Gives doc every setting of the shipped file that it lacks (an empty value counts as lacking)
// and source has, creating the element where needed: the one writer that creates elements, so
// that a file written afterwards is whole.
void FillMissingSettings(TxdataNode& doc, const TxdataNode& source);

// Writes kDefaultProfileText to folder + "profile.xml" when that file does not exist; true when
// it wrote it. EFileError when it cannot.
bool EnsureProfileFile(const std::u16string& folder);

class TProfile {
public:
    // folder: where profile.xml lives, with a trailing separator.
    explicit TProfile(std::u16string folder) : folder_(std::move(folder)) {}
    // Writes the tree back (Save), as the settings changed during the run reach the file this way.
    // A destructor cannot report a failure, so a failed write is dropped here; call Save first
    // where the failure matters.
    ~TProfile();
    TProfile(const TProfile&) = delete;
    TProfile& operator=(const TProfile&) = delete;

    // The folder + "profile.xml".
    std::u16string FilePath() const { return folder_ + u"profile.xml"; }

    // Reads the file into Doc and converts window/left, window/top, window/height (checked only),
    // window/transparency, update/interval and update/days strictly, in that order: a value that
    // is not a decimal integer raises EConvertError "'<text>' is not a valid integer value" and
    // the conversion stops there. A missing file changes nothing. A reload (Doc already holds a
    // tree) keeps every setting the file lacks as Doc held it, and an empty file changes nothing.
    // A file that does not parse raises EError naming it and leaves Doc as it was; the file is
    // then kept as it is on disk (the save at destruction skips it) until a Load succeeds or Save
    // is called.
    void Load();
    // Replaces profile.xml atomically with Doc as indented lines, every setting Doc lacks filled
    // in with its shipped value first; EFileError when it cannot (the old file is then untouched).
    // A store that never loaded a document writes nothing.
    void Save();

    // Percent of opacity 0..100; minutes between syncs; the client's Days setting.
    int32_t Transparency = 80;
    int32_t UpdateInterval = 10;
    int32_t UpdateDays = 7;
    TxdataNode Doc;

private:
    std::u16string folder_;
    bool keepDamagedFile_ = false;
};

}  // namespace tessel
