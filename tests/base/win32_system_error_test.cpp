// The one text of a failed system call: the system's words for its codes, WinINet's for its
// own, a number for a code nobody knows; and a failed file call that says it so.
#include "base/win32_system_error.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <wininet.h>

#include <string>

#include "base/errors.h"
#include "base/file_io.h"
#include "base/text.h"
#include "support/temp_folder.h"

namespace tessel {
namespace {

// What the message table of module (the system's when null) holds for code, read here apart
// from the code under test; empty when it holds nothing.
std::string TableText(DWORD code, HMODULE module) {
    wchar_t buffer[1024] = {};
    const DWORD source = module ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM;
    const DWORD n = FormatMessageW(source | FORMAT_MESSAGE_IGNORE_INSERTS, module, code, 0, buffer, 1024, nullptr);
    std::string text = Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(buffer), n));
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

TEST(SystemErrorText, TakesEachCodesTextFromItsOwnTable) {
    const HMODULE wininet = LoadLibraryW(L"wininet.dll");
    ASSERT_NE(wininet, nullptr);
    struct Case {
        uint32_t code;
        std::string expected;
    };
    const Case cases[] = {
        {ERROR_FILE_NOT_FOUND, TableText(ERROR_FILE_NOT_FOUND, nullptr)},
        {ERROR_INTERNET_NAME_NOT_RESOLVED, TableText(ERROR_INTERNET_NAME_NOT_RESOLVED, wininet)},
        // In WinINet's range without a text there, and a code with the customer bit no system
        // table defines.
        {12999, "error 12999"},
        {0x20001234, "error 536875572"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        ASSERT_FALSE(c.expected.empty());
        EXPECT_EQ(SystemErrorText(c.code), c.expected);
    }
    // WinINet's codes have no text in the system's table: only WinINet's own says anything.
    EXPECT_EQ(TableText(ERROR_INTERNET_NAME_NOT_RESOLVED, nullptr), "");

    const auto raised = [](const std::string& what, uint32_t code) {
        try {
            RaiseSystemError(what, code);
        } catch (const EError& e) {
            return std::string(e.what());
        }
        return std::string("nothing raised");
    };
    EXPECT_EQ(raised("The window could not be created", ERROR_ACCESS_DENIED),
              "The window could not be created: " + SystemErrorText(ERROR_ACCESS_DENIED));
    // Code 0: the system gave no reason, and "The operation completed successfully" is none.
    EXPECT_EQ(raised("Nothing said", 0), "Nothing said");
}

TEST(SystemErrorText, FailedFileCallSaysItInTheSystemsWords) {
    testing::TempFolder folder;
    const std::u16string path = folder.File(u"missing") + kPathSeparator + u"account.xml";
    const std::string named = Utf16ToUtf8(path);
    try {
        ReadFileBytes(path);
        ADD_FAILURE() << "read a file in a missing folder";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + named + "\". " + SystemErrorText(ERROR_PATH_NOT_FOUND));
    }
}

}  // namespace
}  // namespace tessel
