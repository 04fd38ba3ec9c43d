#include "base/file_io.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "base/errors.h"
#include "support/temp_folder.h"

namespace tessel {
namespace {

using testing::TempFolder;

TEST(FileIoTest, LinesSplitAtEveryKindOfBreakAndJoinWithCrLf) {
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

TEST(FileIoTest, CrLfLinesIsSplitThenJoinInOnePass) {
    // Every mix of breaks, empty lines, a missing last break, and texts already in the form.
    for (const std::string& text : std::vector<std::string>{"", "a", "\r", "\n", "\r\n", "\n\r", "a\r\nb\rc\nd", "a\r\n\r\n", "a\r\r\nb\n\n",
                                   "\r\n\r\nx", "x\r\ny\r\n", "x\r\ny\r", "x\ry\r\n", "line\r\nbare\nend\r\n",
                                   std::string("nul\0inside\r\n", 13)}) {
        EXPECT_EQ(CrLfLines(text), JoinLines(SplitLines(text))) << ::testing::PrintToString(text);
    }
}

// The cache's reader gives the same text as the stores' reader, from files in CR LF form, with
// LF or CR breaks, or a mix; the breaks fall at every place of the 16-byte steps the scan takes.
TEST(FileIoTest, CrLfBlockIsTheTextOfReadTextAsCrLf) {
    TempFolder folder;
    const std::u16string path = folder.File(u"cache.xml");
    const std::vector<std::string> bodies{"", "\r\n", "\n", "\r", "a\r\nb\rc\nd", "x\r\ny\r", "\n\r", "end\r\n\r\n",
                                          std::string("nul\0\r\n", 6)};
    for (const std::string& body : bodies) {
        for (size_t pad = 0; pad < 40; pad += 3) {
            const std::string line = std::string(pad, 'p') + "\r\n";
            for (const std::string& text : {std::string(pad, 'p') + body, line + line + body + std::string(pad, 'q'),
                                            line + body + line, body + std::string(pad, 'q') + body}) {
                SCOPED_TRACE(::testing::PrintToString(text));
                WriteFileAtomic(path, text);
                const std::string expected = JoinLines(SplitLines(text));
                EXPECT_EQ(ReadCrLfBlock(path).View(), expected);
                EXPECT_EQ(ReadTextAsCrLf(path), expected);
            }
        }
    }
    // Refused as the other readers refuse: over its limit, or missing.
    WriteFileAtomic(path, std::string(100, 'x'));
    EXPECT_THROW(ReadCrLfBlock(path, 99), EFileError);
    EXPECT_THROW(ReadCrLfBlock(folder.File(u"missing.xml")), EFileError);
}

TEST(FileIoTest, AtomicWriteReplacesTheFileAndLeavesNoTemporary) {
    TempFolder folder;
    const std::u16string path = folder.File(u"profile.xml");
    EXPECT_FALSE(FileExists(path));
    WriteFileAtomic(path, "old");
    WriteFileAtomic(path, std::string("new\0bytes", 9));
    EXPECT_EQ(ReadFileBytes(path), std::string("new\0bytes", 9));
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder.Path())) ++entries;
    EXPECT_EQ(entries, 1);
}

// A write killed between creating its temporary file and renaming it leaves that file behind;
// the next write of the same target takes it over, so nothing piles up beside the target.
TEST(FileIoTest, TemporaryLeftByAKilledWriteIsTakenOverByTheNextOne) {
    TempFolder folder;
    const std::u16string path = folder.File(u"cache.xml");
    WriteFileAtomic(path, "first");
    WriteFileAtomic(TemporaryPathFor(path), std::string(100000, 'x'));  // what the kill left
    WriteFileAtomic(path, "second");
    EXPECT_EQ(ReadFileBytes(path), "second");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(TemporaryPathFor(path))));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);

#ifndef _WIN32
    // The same with a real kill: a writer that saves over and over is killed while its
    // temporary file exists.
    const pid_t writer = fork();
    if (writer == 0) {
        for (;;) WriteFileAtomic(path, std::string(8 << 20, 'k'));
    }
    ASSERT_GT(writer, 0);
    for (int i = 0; i < 2000 && !std::filesystem::exists(std::filesystem::path(TemporaryPathFor(path))); ++i)
        usleep(1000);
    kill(writer, SIGKILL);
    waitpid(writer, nullptr, 0);
    WriteFileAtomic(path, "third");
    EXPECT_EQ(ReadFileBytes(path), "third");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
#endif
}

// Readers take regular files of a sane size only: a device or a folder would be read without
// end, and a file larger than its kind allows is refused before it is read.
TEST(FileIoTest, ReadersRefuseWhatIsNotARegularFileAndOversizeFiles) {
    TempFolder folder;
    const std::u16string path = folder.File(u"profile.xml");
    WriteFileAtomic(path, std::string(1000, 'p'));
    EXPECT_EQ(ReadFileBytes(path, 1000).size(), 1000u);
    EXPECT_EQ(ReadFileBlock(path, 1000).View(), std::string(1000, 'p'));
    std::vector<std::pair<std::u16string, uint64_t>> refused = {{path, 999}, {folder.Folder(), kMaxReadFileBytes}};
#ifndef _WIN32
    refused.push_back({u"/dev/zero", kMaxReadFileBytes});
#endif
    for (const auto& [file, limit] : refused) {
        SCOPED_TRACE(limit);
        try {
            ReadFileBytes(file, limit);
            ADD_FAILURE() << "no error";
        } catch (const EFileError& e) {
            EXPECT_NE(std::string(e.what()).find("Cannot "), std::string::npos) << e.what();
        }
        EXPECT_THROW(ReadFileBlock(file, limit), EFileError);
    }
}

#ifndef _WIN32
// A file that says it is empty and yet holds bytes, like one that grew after it was measured,
// is read on to its end, and still refused past the limit.
TEST(FileIoTest, ReadersReadOnPastTheMeasuredSize) {
    const std::u16string status = u"/proc/self/status";
    EXPECT_EQ(ReadFileBytes(status).rfind("Name:", 0), 0u);
    EXPECT_EQ(ReadFileBlock(status).View().rfind("Name:", 0), 0u);
    EXPECT_THROW(ReadFileBytes(status, 10), EFileError);
    EXPECT_THROW(ReadFileBlock(status, 10), EFileError);
}
#endif

TEST(FileIoTest, FailedWriteKeepsTheOldFile) {
    TempFolder folder;
    const std::u16string path = folder.File(u"account.xml");
    WriteFileAtomic(path, "kept");
    // A folder in the way of the rename: the write fails and the old contents stay readable.
    const std::u16string blocked = folder.File(u"sub");
    std::filesystem::create_directories(std::filesystem::path(blocked) / "x");
    EXPECT_THROW(WriteFileAtomic(blocked, "lost"), EFileError);
    EXPECT_EQ(ReadFileBytes(path), "kept");
}

TEST(FileIoTest, NonAsciiPathsAndMissingFiles) {
    TempFolder folder;
    const std::u16string path = folder.File(u"\u65E5\u00E9.xml");
    SaveLines(path, {"<a>", "</a>"});
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(ReadTextAsCrLf(path), "<a>\r\n</a>\r\n");
    EXPECT_TRUE(RemoveFile(path));
    EXPECT_TRUE(RemoveFile(path));
    try {
        ReadFileBytes(path);
        FAIL();
    } catch (const EFileError& e) {
        EXPECT_NE(std::string(e.what()).find("Cannot open file"), std::string::npos);
        // The system's own code travels with the error, for the boxes that show "Error #".
#ifdef _WIN32
        EXPECT_EQ(e.Code, 2u);  // ERROR_FILE_NOT_FOUND
#else
        EXPECT_EQ(e.Code, static_cast<unsigned long>(ENOENT));
#endif
    }
}

TEST(FileIoTest, FoldersKeepTheirSeparator) {
    EXPECT_EQ(FolderOf(u"C:\\Program Files\\Tessel\\tessel.exe"), u"C:\\Program Files\\Tessel\\");
    EXPECT_EQ(FolderOf(u"/opt/tessel/tessel"), u"/opt/tessel/");
    EXPECT_EQ(FolderOf(u"tessel"), u"");
    const std::u16string exe = ExecutableFolder();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(exe.back(), kPathSeparator);
}

}  // namespace
}  // namespace tessel
