// Loading documents from files: the FF FE rule, size limits and includes.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/errors.h"
#include "base/file_io.h"
#include "base/text.h"
#include "support/temp_folder.h"
#include "xml/xdata_document.h"
#include "xml/xml_parser.h"

using namespace tessel;

namespace {

std::string Utf16File(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes.push_back(char(unit & 0xFF));
        bytes.push_back(char(unit >> 8));
    }
    return bytes;
}

class XmlFile : public ::testing::Test {
protected:
    tessel::testing::TempFolder folder;
    std::u16string write(const std::u16string& name, std::string_view bytes) {
        const std::u16string path = folder.File(name);
        WriteFileAtomic(path, bytes);
        return path;
    }
    std::string errorOf(const std::u16string& path) {
        try {
            LoadXmlDocument(path);
        } catch (const EError& e) {
            return e.what();
        }
        return "no error";
    }
};

TEST_F(XmlFile, AByteOrderMarkFFFESelectsTheUtf16Tokenizer) {
    auto document = LoadXmlDocument(write(u"wide.xml", Utf16File(u"<!DOCTYPE t [x]><t k='\u20AC'>\u65E5</t>")));
    EXPECT_TRUE(document->WideMode());
    EXPECT_EQ(document->Name(), u"t");
    EXPECT_EQ(document->Text(), u"\u65E5");
    EXPECT_EQ(document->GetAttribute(u"k"), u"\u20AC");
    EXPECT_EQ(document->Doctype(), u" t [x");
}

TEST_F(XmlFile, AFinalOddByteIsIgnored) {
    auto document = LoadXmlDocument(write(u"odd.xml", Utf16File(u"<t/>") + "\x41"));
    EXPECT_EQ(document->Name(), u"t");
}

TEST_F(XmlFile, AnyOtherFileIsEightBitTextFromItsFirstByte) {
    auto document = LoadXmlDocument(write(u"utf8.xml", "\xEF\xBB\xBF<t k=\"1\">\xC3\xA9</t>"));
    EXPECT_FALSE(document->WideMode());
    EXPECT_EQ(document->Text(), u"\u00C3\u00A9");
    EXPECT_EQ(document->GetAttribute(u"K"), u"1");
}

TEST_F(XmlFile, SizeLimits) {
    EXPECT_EQ(errorOf(write(u"one.xml", "<")), "File is too small");
    EXPECT_EQ(errorOf(write(u"empty.xml", "")), "File is too small");
    EXPECT_NO_THROW(LoadXmlDocument(write(u"two.xml", "  ")));
    EXPECT_THROW(LoadXmlDocument(folder.File(u"missing.xml")), EFileError);
    EXPECT_THROW(LoadXmlDocument(folder.Folder() + u"."), EFileError);  // a folder is no document

    // A sparse file just over the limit is refused before anything is read.
    const std::u16string huge = folder.File(u"huge.xml");
    WriteFileAtomic(huge, "<a/>");
    std::error_code error;
    std::filesystem::resize_file(std::filesystem::path(huge), 4294967281ull, error);
    if (error) GTEST_SKIP() << "no sparse files here";
    EXPECT_EQ(errorOf(huge), "File is too large");
}

TEST_F(XmlFile, IncludesAreResolvedAgainstTheFilesFolder) {
    write(u"part.xml", "<part n=\"1\"><x>inside</x></part>");
    write(u"wide.xml", Utf16File(u"<w k=\"v\"/>"));
    auto document = LoadXmlDocument(write(
        u"main.xml", "<main><xi:include href=\"part.xml\" parse=\"xml\"/><xi:include/><xi:include href=\"wide.xml\"/></main>"));
    ASSERT_EQ(document->ChildCount(), 2u);
    EXPECT_EQ(document->ReadValue(u"part/x"), u"inside");
    EXPECT_EQ(document->FindNode(u"part")->OwnerDocument(), document.get());
    // The UTF-16 document joins an 8-bit tree: its attributes follow the tree's mode.
    EXPECT_EQ(document->ReadValue(u"w/K"), u"v");
}

TEST_F(XmlFile, AnIncludeMustBeSelfClosing) {
    write(u"part.xml", "<part/>");
    EXPECT_EQ(errorOf(write(u"main.xml", "<main><xi:include href=\"part.xml\"></xi:include></main>")),
              "End of element xi:include, expected: main (line 0, column 48)");
}

TEST_F(XmlFile, AFileThatIncludesItselfIsRefused) {
    const std::u16string path = write(u"loop.xml", "<loop><xi:include href=\"loop.xml\"/></loop>");
    EXPECT_EQ(errorOf(path), "Includes nested too deeply (line 0, column 36)");
}

TEST_F(XmlFile, IncludesMultiplyingAcrossLevelsAreCapped) {
    // Each level includes the next one ten times: 10^4 loads unless the total is bounded.
    const std::u16string names[] = {u"l0.xml", u"l1.xml", u"l2.xml", u"l3.xml"};
    const std::string tags[] = {"l0", "l1", "l2", "l3"};
    const std::string includes[] = {"<xi:include href=\"l1.xml\"/>", "<xi:include href=\"l2.xml\"/>",
                                    "<xi:include href=\"l3.xml\"/>", "<xi:include href=\"l4.xml\"/>"};
    for (int level = 0; level < 4; ++level) {
        std::string text = "<" + tags[level] + ">";
        for (int i = 0; i < 10; ++i) text += includes[level];
        write(names[level], text + "</" + tags[level] + ">");
    }
    write(u"l4.xml", "<leaf/>");
    EXPECT_EQ(errorOf(folder.File(u"l0.xml")).substr(0, 17), "Too many includes");
    std::string five = "<l1>";
    for (int i = 0; i < 5; ++i) five += "<xi:include href=\"l4.xml\"/>";
    write(u"l1.xml", five + "</l1>");
    auto document = LoadXmlDocument(folder.File(u"l0.xml"));  // 10 + 50 includes: within the cap
    EXPECT_EQ(document->ChildCount(), 10u);
    EXPECT_EQ(document->FindNode(u"l1")->ChildCount(), 5u);
}

TEST_F(XmlFile, AParserWithABaseDirectoryFollowsIncludes) {
    write(u"part.xml", "<part/>");
    TxmlParser parser("<main><xi:include href=\"part.xml\"/></main>");
    parser.SetBaseDirectory(folder.Folder());
    TxdataDocument document;
    parser.ReadInto(document);
    EXPECT_NE(document.FindNode(u"part"), nullptr);
}

}  // namespace
