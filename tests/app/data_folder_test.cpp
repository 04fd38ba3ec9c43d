#include "app/data_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/file_io.h"
#include "support/temp_folder.h"

namespace tessel {
namespace {

using testing::TempFolder;

// A program folder with what the program writes beside itself and the theme it only reads.
class DataFolderChoice : public ::testing::Test {
protected:
    DataFolderChoice() {
        WriteFileAtomic(program.File(u"profile.xml"), "<profile/>");
        WriteFileAtomic(program.File(u"account.xml"), "packed");
        WriteFileAtomic(program.File(u"jane@example.com-cat.xml"), "<feed/>");
        WriteFileAtomic(program.File(u"tessel.exe"), "MZ");
        std::filesystem::create_directories(program.Path() / "theme");
        WriteFileAtomic(program.File(u"theme") + kPathSeparator + u"profile.xml", "<theme/>");
    }
    std::u16string DataFolder() const { return local.Folder() + kDataFolderName + kPathSeparator; }
    std::u16string Choose(bool programWritable) const {
        return ChooseDataFolder(program.Folder(), local.Folder(),
                                [programWritable](const std::u16string&) { return programWritable; });
    }

    TempFolder program;
    TempFolder local;
};

TEST_F(DataFolderChoice, AWritableProgramFolderKeepsItsFilesAndMakesNothingElsewhere) {
    EXPECT_EQ(Choose(true), program.Folder());
    EXPECT_EQ(ChooseDataFolder(program.Folder(), u"", [](const std::u16string&) { return false; }), program.Folder())
        << "no local application-data folder known";
    EXPECT_TRUE(std::filesystem::is_empty(local.Path()));
    // The real probe on a folder that can be written leaves nothing behind.
    EXPECT_TRUE(CanWriteFolder(program.Folder()));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(program.Path()), {}), 5);
}

TEST_F(DataFolderChoice, AReadOnlyProgramFolderStartsTheUsersFolderFromItsFilesOnce) {
    ASSERT_EQ(Choose(false), DataFolder());
    EXPECT_EQ(ReadFileBytes(DataFolder() + u"profile.xml"), "<profile/>");
    EXPECT_EQ(ReadFileBytes(DataFolder() + u"account.xml"), "packed");
    EXPECT_EQ(ReadFileBytes(DataFolder() + u"jane@example.com-cat.xml"), "<feed/>");
    EXPECT_FALSE(FileExists(DataFolder() + u"tessel.exe"));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(DataFolder()) / "theme"));

    // What the user changed since stays; files beside the program are not copied again.
    WriteFileAtomic(DataFolder() + u"profile.xml", "<profile changed=\"1\"/>");
    RemoveFile(DataFolder() + u"account.xml");
    EXPECT_EQ(Choose(false), DataFolder());
    EXPECT_EQ(ReadFileBytes(DataFolder() + u"profile.xml"), "<profile changed=\"1\"/>");
    EXPECT_FALSE(FileExists(DataFolder() + u"account.xml"));
}

TEST_F(DataFolderChoice, AUsersFolderThatCannotBeMadeLeavesTheProgramFolder) {
    // A file where the folder would go.
    WriteFileAtomic(DataFolder().substr(0, DataFolder().size() - 1), "in the way");
    EXPECT_EQ(Choose(false), program.Folder());
}

}  // namespace
}  // namespace tessel
