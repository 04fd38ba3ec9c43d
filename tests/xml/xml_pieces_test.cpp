// A load over a text read in pieces gives what a load of the whole text gives: the same
// children let go, the same tree, the same error at the same line and column, wherever the
// pieces split the text (inside a name, an attribute, a text, a comment, a break, a reference).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/crlf_pieces.h"
#include "base/errors.h"
#include "base/file_io.h"
#include "base/text.h"
#include "support/text_reader.h"
#include "xml/xdata_node.h"
#include "xml/xml_parser.h"

using namespace tessel;

namespace {

struct Outcome {
    std::string tree;
    std::vector<std::string> taken;
    std::string error;
};

// The whole text made CR LF (as ReadCrLfBlock reads a file), or the text in pieces of that size.
Outcome Load(const std::string& text, size_t piece) {
    Outcome out;
    TxdataNode root;
    const auto take = [&](const TxdataNode& child) {
        if (child.Name() != u"entry") return false;
        out.taken.push_back(Narrow(child.XmlText()));
        return true;
    };
    try {
        if (piece == 0) {
            root.LoadFromBytes(CrLfLines(text), take);
        } else {
            CrLfPieces pieces(std::make_unique<tessel::testing::TextReader>(text), piece);
            root.LoadFromPieces(pieces, take);
        }
    } catch (const TxmlParserException& e) {
        out.error = e.Message() + " at " + std::to_string(e.Line()) + ":" + std::to_string(e.Column());
    } catch (const EError& e) {
        out.error = e.what();
    }
    out.tree = Narrow(root.XmlText());
    return out;
}

TEST(XmlPieces, EveryPieceSizeLoadsAsTheWholeText) {
    const std::vector<std::string> texts{
        // sound documents, with each kind of line break
        "<?xml version='1.0'?>\r\n<!-- top -->\r\n<feed xmlns=\"a\" b='c'>\r\n  <id>x</id>\r\n"
        "  <entry><title>A &amp; B</title><gd:when startTime=\"2010-01-13\" endTime='2010-01-14'/></entry>\r\n"
        "  <entry>\r\n    <title>two\nlines</title><![CDATA[ <raw> ]]><!--c--></entry>\r\n</feed>\r\n",
        "<feed>\n<entry a = \"1\" b=x>t</entry>\r<entry/>\n<other>o</other>\n</feed>",
        "<!DOCTYPE feed [ x ]>\n<feed><entry>&#x41;&quot;</entry></feed>",
        "<feed><entry>1</entry></feed>\n<feed c='2'><entry>2</entry></feed>trailing",
        "<feed/>",
        "",
        "   \r\n  ",
        // errors on later lines, after breaks of each kind
        "<feed>\r\n<entry>1</entry>\n<entry>\r<title>x</titel></entry></feed>",
        "<feed>\n<entry>1</entry>\n<entry><a b=\"c/></entry></feed>",
        "<feed>\r\n  <entry>&nbsp;</entry>\r\n</feed>",
        "<feed>\n<entry>\n<!-- never closed </entry></feed>",
        "<feed>\r\n<entry><![CDAT[x]]></entry></feed>",
        "<feed>\r\n<entry></ entry>\r\n</feed>",
        "<feed>\n\n<entry x='1' / ></entry></feed>",
        "<feed>\r\n<?xmlx a='1'?></feed>",
        "<feed>\r\n<!ENTITY x>\r\n</feed>",
        "<feed>\r\n<!DOCTYP x ]>\r\n</feed>",
        "<feed><entry>cut short",
        "<feed>\r\n<entry>1</entry>\r\n",
        "<feed>\r\n<entry>1</entry>\r\n</feed>\r\nno tag after",
        "<feed>\r\n<1entry/></feed>",
    };
    for (const std::string& text : texts) {
        const Outcome whole = Load(text, 0);
        for (size_t piece = 1; piece <= text.size() + 1; ++piece) {
            SCOPED_TRACE(::testing::PrintToString(text) + " in pieces of " + std::to_string(piece));
            const Outcome pieces = Load(text, piece);
            EXPECT_EQ(pieces.error, whole.error);
            EXPECT_EQ(pieces.tree, whole.tree);
            EXPECT_EQ(pieces.taken, whole.taken);
        }
    }
}

}  // namespace
