#include "update/download_names.h"

#include <gtest/gtest.h>

namespace tessel::update {
namespace {

TEST(DownloadNames, TakenFromTheAddressOnlyWhenSafe) {
    const struct {
        const char* url;
        const char16_t* name;  // nullptr: refused
    } cases[] = {
        {"http://h/download/tessel.exe", u"tessel.exe"},
        {"HTTPS://h:8443/a/b/Theme%20Pack.dat?x=1#frag", u"Theme Pack.dat"},
        {"http://h/a/%C3%A9t%C3%A9.txt", u"\u00e9t\u00e9.txt"},
        {"http://h/dir/", nullptr},
        {"http://h", nullptr},
        {"http://h/..", nullptr},
        {"http://h/a/%2e%2e", nullptr},
        {"http://h/a/..%5c..%5cwin.ini", nullptr},
        {"http://h/a/%2F..%2Fx", nullptr},
        {"http://h/c:evil.exe", nullptr},
        {"http://h/CON", nullptr},
        {"http://h/nul.txt", nullptr},
        {"http://h/com1.dll", nullptr},
        {"http://h/lpt9", nullptr},
        {"http://h/com10.dll", u"com10.dll"},
        {"http://h/a%00b", nullptr},
        {"http://h/trailing.", nullptr},
        {"http://h/x.exe.uTMP", nullptr},
        {"http://h/x.exe.ubak", nullptr},
        {"ftp://h/x.exe", nullptr},
        {"file:///c:/x.exe", nullptr},
        {"http:///x.exe", nullptr},
        {"http://h/a b.exe", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        std::u16string name;
        const bool ok = DownloadFileName(c.url, name);
        EXPECT_EQ(ok, c.name != nullptr);
        if (ok && c.name) {
            EXPECT_EQ(name, c.name);
        }
    }
    std::u16string name;
    EXPECT_FALSE(DownloadFileName("http://h/" + std::string(201, 'a'), name));
}

TEST(DownloadNames, OnlyWebAddressesAreOpened) {
    for (const char* url : {"http://example.com/", "https://h/x?y", "HTTP://H"}) {
        EXPECT_TRUE(IsWebAddress(url)) << url;
    }
    for (const char* url : {"", "http://", "https:///x", "file:///c:/windows/x.exe", "javascript:alert(1)",
                            "c:\\windows\\system32\\calc.exe", "\\\\server\\share\\x.exe", "mailto:a@b", "http://h/a b"}) {
        EXPECT_FALSE(IsWebAddress(url)) << url;
    }
}

}  // namespace
}  // namespace tessel::update
