// The text read in pieces is the text ReadCrLfBlock gives whole, wherever the pieces and the
// reads below them split it; its CR count and its tail before blanks are the whole text's.
#include "base/crlf_pieces.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/file_io.h"
#include "support/temp_folder.h"
#include "support/text_reader.h"

namespace tessel {
namespace {

// The whole text, put together from the pieces as a parser would take them: each step lets go
// of all but the last `held` bytes.
std::string Assembled(CrLfPieces& pieces, size_t held) {
    std::string text;
    do {
        EXPECT_EQ(pieces.Offset(), text.size());
        const size_t keep = pieces.Text().size() - std::min(held, pieces.Text().size());
        text += pieces.Text().substr(0, keep);
        pieces.Next(keep);
    } while (!pieces.Whole());
    text += pieces.Text();
    return text;
}

TEST(CrLfPiecesTest, PiecesMakeTheWholeTextAtEverySplit) {
    const std::vector<std::string> texts{"", "a", "\r", "\n", "\r\n", "\n\r", "\r\r", "a\r\nb\rc\nd", "a\r\n\r\n",
                                         "x\r\ny\r", "\r\n\r\nx", "line\r\nbare\nend\r\n", "end  \t\r\n \n",
                                         std::string("nul\0\r\n", 6),
                                         // longer than the 16-byte steps of the break scan
                                         std::string(40, 'p') + "\r\n" + std::string(20, 'q') + "\n" +
                                             std::string(17, 'r') + "\r" + std::string(33, 's') + "\r\n"};
    for (const std::string& text : texts) {
        const std::string expected = CrLfLines(text);
        const auto crs = uint64_t(std::count(expected.begin(), expected.end(), '\r'));
        for (size_t piece = 1; piece <= text.size() + 1; ++piece) {
            for (size_t step : {size_t(1), size_t(3), piece}) {
                for (size_t held : {size_t(0), size_t(1), size_t(5)}) {
                    SCOPED_TRACE(::testing::PrintToString(text) + " piece " + std::to_string(piece) + " step " +
                                 std::to_string(step) + " held " + std::to_string(held));
                    CrLfPieces pieces(std::make_unique<testing::TextReader>(text, step), piece);
                    EXPECT_EQ(Assembled(pieces, held), expected);
                    EXPECT_EQ(pieces.CrCount(), crs);
                }
            }
        }
    }
}

TEST(CrLfPiecesTest, TailBeforeBlanksIsTheWholeTextsTail) {
    struct Case {
        std::string text;
        size_t count;
        std::string tail;
    };
    const std::string blanks(5000, ' ');  // more than one block of the backward search
    const std::vector<Case> cases{
        {"<feed>\r\n</feed>\r\n", 7, "</feed>"},
        {"<feed>\n</feed>\n \t", 7, "</feed>"},
        {"<feed/>", 2, "/>"},
        {"</feed>" + blanks + "\r\n" + blanks, 7, "</feed>"},
        {"ab", 7, "ab"},
        {" \r\n\t", 3, ""},
        {"", 3, ""},
    };
    for (const Case& c : cases) {
        for (size_t step : {size_t(1), size_t(7), size_t(1) << 20}) {
            SCOPED_TRACE(::testing::PrintToString(c.text.substr(0, 40)) + " step " + std::to_string(step));
            CrLfPieces pieces(std::make_unique<testing::TextReader>(c.text, step), 64);
            Assembled(pieces, 0);
            EXPECT_EQ(pieces.TailBeforeBlanks(c.count), c.tail);
        }
    }
}

TEST(CrLfPiecesTest, FileReaderRefusesAsTheWholeFileReadersDo) {
    testing::TempFolder folder;
    const std::u16string path = folder.File(u"cache.xml");
    WriteFileAtomic(path, "a\nb\r\n" + std::string(100, 'x'));
    CrLfPieces pieces(OpenFileReader(path, 1000), 4);
    EXPECT_EQ(Assembled(pieces, 2), "a\r\nb\r\n" + std::string(100, 'x') + "\r\n");
    EXPECT_EQ(pieces.TailBeforeBlanks(3), "xxx");
    // Over its limit, missing, or not a file.
    EXPECT_THROW(OpenFileReader(path, 99), EFileError);
    EXPECT_THROW(OpenFileReader(folder.File(u"missing.xml"), 1000), EFileError);
    EXPECT_THROW(OpenFileReader(folder.Folder(), 1000), EFileError);
}

}  // namespace
}  // namespace tessel
