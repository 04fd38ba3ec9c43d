#include "dialogs/registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

namespace tessel {
namespace {

// A key of the tests' own, removed before and after each case so a crashed run leaves nothing behind
// for the next one.
const std::u16string kTestKey = u"Software\\Tessel Desktop Tests\\Registry helpers";
const wchar_t* const kTestKeyWide = L"Software\\Tessel Desktop Tests\\Registry helpers";
const wchar_t* const kTestRoot = L"Software\\Tessel Desktop Tests";

std::optional<std::u16string> ReadString(const wchar_t* key, const wchar_t* name) {
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, &type, nullptr, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    std::u16string value(bytes / sizeof(char16_t), u'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, &type, value.data(), &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    value.resize(bytes / sizeof(char16_t));
    if (!value.empty() && value.back() == u'\0') value.pop_back();
    return value;
}

bool KeyExists(const wchar_t* key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    RegCloseKey(handle);
    return true;
}

class UserRegistry : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot); }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot);
        EXPECT_FALSE(KeyExists(kTestRoot));
    }
};

TEST_F(UserRegistry, WriteCreatesTheKeyAndOverwriteReplacesTheValue) {
    ASSERT_FALSE(KeyExists(kTestKeyWide));
    RegWriteUserString(kTestKey, u"Tessel Desktop", u"C:\\Program Files\\Tessel\\tessel.exe");
    EXPECT_EQ(ReadString(kTestKeyWide, L"Tessel Desktop"), u"C:\\Program Files\\Tessel\\tessel.exe");

    RegWriteUserString(kTestKey, u"Tessel Desktop", u"D:\\t.exe");
    EXPECT_EQ(ReadString(kTestKeyWide, L"Tessel Desktop"), u"D:\\t.exe");

    // Texts beyond Latin-1 and the empty text arrive as written.
    RegWriteUserString(kTestKey, u"wide", u"Kalender \u65e5\u672c \u20ac");
    EXPECT_EQ(ReadString(kTestKeyWide, L"wide"), u"Kalender \u65e5\u672c \u20ac");
    RegWriteUserString(kTestKey, u"empty", u"");
    EXPECT_EQ(ReadString(kTestKeyWide, L"empty"), u"");
}

TEST_F(UserRegistry, LeadingBackslashMeansFromTheRootOfTheUserHive) {
    RegWriteUserString(u"\\" + kTestKey, u"name", u"value");
    EXPECT_EQ(ReadString(kTestKeyWide, L"name"), u"value");
    RegDeleteUserValue(u"\\" + kTestKey, u"name");
    EXPECT_EQ(ReadString(kTestKeyWide, L"name"), std::nullopt);
}

TEST_F(UserRegistry, DeleteRemovesOnlyTheNamedValue) {
    RegWriteUserString(kTestKey, u"Tessel Desktop", u"x.exe");
    RegWriteUserString(kTestKey, u"Other", u"y.exe");
    RegDeleteUserValue(kTestKey, u"Tessel Desktop");
    EXPECT_EQ(ReadString(kTestKeyWide, L"Tessel Desktop"), std::nullopt);
    EXPECT_EQ(ReadString(kTestKeyWide, L"Other"), u"y.exe");
}

TEST_F(UserRegistry, DeletingWhatIsNotThereIsQuiet) {
    RegDeleteUserValue(kTestKey, u"never written");
    EXPECT_EQ(ReadString(kTestKeyWide, L"never written"), std::nullopt);
    RegWriteUserString(kTestKey, u"kept", u"1");
    RegDeleteUserValue(kTestKey, u"missing");
    EXPECT_EQ(ReadString(kTestKeyWide, L"kept"), u"1");
}

TEST_F(UserRegistry, FailuresAreSwallowed) {
    // Key name components are limited to 255 characters and value names to 16383: both calls fail
    // inside the registry, return normally, and leave nothing behind.
    RegWriteUserString(kTestKey, u"marker", u"1");
    const std::u16string tooLongComponent(300, u'k');
    RegWriteUserString(kTestKey + u"\\" + tooLongComponent, u"name", u"value");
    RegDeleteUserValue(kTestKey + u"\\" + tooLongComponent, u"name");
    const std::u16string tooLongName(20000, u'n');
    RegWriteUserString(kTestKey, tooLongName, u"value");
    RegDeleteUserValue(kTestKey, tooLongName);

    HKEY handle = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kTestKeyWide, 0, KEY_READ, &handle), ERROR_SUCCESS);
    DWORD subkeys = 0;
    DWORD values = 0;
    const LSTATUS status = RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                            nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(handle);
    ASSERT_EQ(status, ERROR_SUCCESS);
    EXPECT_EQ(subkeys, 0u);
    EXPECT_EQ(values, 1u);  // the marker alone
}

}  // namespace
}  // namespace tessel
