#include "calendar/lzh.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace tessel {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out.push_back(static_cast<char>(v));
    return out;
}

std::string RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 generator(seed);
    std::string out(size, '\0');
    for (auto& c : out) c = static_cast<char>(generator() & 0xFF);
    return out;
}

// Words and blanks in the shape of the account document, with a few random runs between them.
std::string MixedText(size_t size, uint32_t seed) {
    static const char* const kWords[] = {"<Account>", "<user username=\"", "pass=\"", "<entry id=\"", "/>",
                                         "calendar", "\r\n", "  ", "http://", "%40group.v.calendar"};
    std::mt19937 generator(seed);
    std::string out;
    while (out.size() < size) {
        if (generator() % 8 == 0) out += RandomBytes(1 + generator() % 12, generator());
        else out += kWords[generator() % std::size(kWords)];
    }
    out.resize(size);
    return out;
}

void ExpectRoundTrip(const std::string& plain) {
    const std::string coded = CompressStream(plain);
    ASSERT_GE(coded.size(), 4u);
    const uint32_t stated = static_cast<uint8_t>(coded[0]) | static_cast<uint8_t>(coded[1]) << 8 |
                            static_cast<uint8_t>(coded[2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(coded[3])) << 24;
    EXPECT_EQ(stated, plain.size());
    EXPECT_EQ(ExpandStream(coded), plain);
}

// Known answers, worked out by hand from the algorithm (so they pin the format, not this code).
//
// The starting tree pairs nodes in order: node j >= 314 has the sons 2j - 628 and 2j - 627, so the
// parent of node n is 314 + n / 2, and leaf n holds symbol n. A code is the parity of each node on
// the way from the leaf up to (not including) the root 626, sent root side first.
//   blank (32):  32 330 479 553 590 609 618 623 625  -> parities 0 0 1 1 0 1 0 1 1 -> sent 110101100
//   'A' (65):    65 346 487 557 592 610 619 623 625  -> sent 111001101
//   length 3 (symbol 256): 256 442 535 581 604 616 622 625 -> sent 10001100
//   length 40 (293): 293 460 544 586 607 617 622 625 -> sent 10110001
//   length 60 (313): 313 470 549 588 608 618 623 625 -> sent 11000101
// Sending symbol c raises leaf c to 2 and swaps it with the last node still at 1: 'A' trades places
// with node 313, then 'B' with 312, 'C' with 311, 'D' with 310. The internal links along the paths
// used below stay as they started, so the codes of later symbols follow from the same formula.
//   'B' (66): 66 347 487 ... -> 111001110    'C' (67): 67 347 487 ... -> 111001111
//   'D' (68): 68 348 488 558 593 610 619 623 625 -> 111010000   'E' (69): ... -> 111010001
// A position sends its upper six bits with the fixed prefix code (0 -> 000, 1 -> 0010) and then
// its lower six bits as they are.
TEST(LzhGolden, EmptyStreamIsTheLengthZeroAndTheCodeOfOneBlank) {
    // 110101100 padded: 11010110 00000000.
    EXPECT_EQ(CompressStream(""), Bytes({0x00, 0x00, 0x00, 0x00, 0xD6, 0x00}));
    EXPECT_EQ(ExpandStream(Bytes({0x00, 0x00, 0x00, 0x00, 0xD6, 0x00})), "");
}

TEST(LzhGolden, SingleLiteral) {
    // 111001101 padded: 11100110 10000000.
    EXPECT_EQ(CompressStream("A"), Bytes({0x01, 0x00, 0x00, 0x00, 0xE6, 0x80}));
}

TEST(LzhGolden, FourDistinctLiteralsStartWithTheLittleEndianLength) {
    // 111001101 111001110 111001111 111010000 -> E6 F3 B9 FD 0(000 padding).
    const std::string coded = CompressStream("ABCD");
    EXPECT_EQ(coded, Bytes({0x04, 0x00, 0x00, 0x00, 0xE6, 0xF3, 0xB9, 0xFD, 0x00}));
    EXPECT_EQ(ExpandStream(coded), "ABCD");
}

TEST(LzhGolden, RepeatedByteBecomesALiteralAndAMatch) {
    // 'A', then "AAA" matches one byte back: length 3 (10001100), position 0 (000 000000).
    // 111001101 10001100 000000000 -> E6 C6 00 00.
    EXPECT_EQ(CompressStream("AAAA"), Bytes({0x04, 0x00, 0x00, 0x00, 0xE6, 0xC6, 0x00, 0x00}));
}

TEST(LzhGolden, MatchIntoTheInitialBlanksUsesTheLongerPositionCode) {
    // After five literals the three blanks match the window's starting blanks. The key runs into
    // the zeros past the data, so no candidate matches more than the three blanks; the tree walk
    // settles on the three blanks just before "A", 8 back: position 7 (upper bits 0: 000).
    // ... 111010001 10001100 000 000111 -> E6 F3 B9 FD 0E 8C 60 1C.
    EXPECT_EQ(CompressStream("ABCDE   "),
              Bytes({0x08, 0x00, 0x00, 0x00, 0xE6, 0xF3, 0xB9, 0xFD, 0x0E, 0x8C, 0x60, 0x1C}));
}

TEST(LzhGolden, HundredBlanksAreTwoMatchesOfTheStartingWindow) {
    // 60 blanks match the starting window 60 back (length 60, position 59: 000 111011); the other
    // 40 take the first full 60-blank match the tree walk meets, 20 back, cut to the 40 bytes
    // left (length 40, position 19: 000 010011). The key one back is no full match: the copy after
    // the window's end holds zeros past the 40 new bytes.
    // 11000101 000111011 10110001 000010011 -> C5 1D D8 84 C0.
    const std::string blanks(100, ' ');
    const std::string coded = CompressStream(blanks);
    EXPECT_EQ(coded, Bytes({0x64, 0x00, 0x00, 0x00, 0xC5, 0x1D, 0xD8, 0x84, 0xC0}));
    EXPECT_EQ(ExpandStream(coded), blanks);
}

TEST(LzhGolden, BlankRunsEndingInsideTheLookaheadMatchTheReferenceCoder) {
    // Near the end of the data, keys reach past the last byte into lookahead bytes that were
    // never filled; the reference coder holds zeros there, and the match lengths measured into
    // them decide which equally long match is sent.
    struct Case {
        size_t blanks;
        std::string coded;
    };
    const Case cases[] = {
        {62, Bytes({0x3E, 0x00, 0x00, 0x00, 0xC5, 0x1D, 0xEB, 0x31, 0x00})},
        {63, Bytes({0x3F, 0x00, 0x00, 0x00, 0xC5, 0x1D, 0xC6, 0x0E, 0x00})},
        {64, Bytes({0x40, 0x00, 0x00, 0x00, 0xC5, 0x1D, 0xC6, 0x8D, 0xC0})},
        {70, Bytes({0x46, 0x00, 0x00, 0x00, 0xC5, 0x1D, 0xC9, 0x8C, 0x40})},
        {80, Bytes({0x50, 0x00, 0x00, 0x00, 0xC5, 0x1D, 0xCE, 0x89, 0xC0})},
        {119, Bytes({0x77, 0x00, 0x00, 0x00, 0xC5, 0x1D, 0xE2, 0x00, 0x00})},
    };
    for (const Case& c : cases) {
        const std::string blanks(c.blanks, ' ');
        const std::string coded = CompressStream(blanks);
        EXPECT_EQ(coded, c.coded) << c.blanks << " blanks";
        EXPECT_EQ(ExpandStream(coded), blanks) << c.blanks << " blanks";
    }
}

TEST(LzhRoundTrip, SizesAroundTheLookaheadAndTheWindow) {
    for (size_t size : {1u, 2u, 3u, 59u, 60u, 61u, 118u, 119u, 120u, 4035u, 4036u, 4037u, 4095u, 4096u, 4097u,
                        4155u, 8193u}) {
        SCOPED_TRACE(size);
        ExpectRoundTrip(RandomBytes(size, static_cast<uint32_t>(size)));
        ExpectRoundTrip(MixedText(size, static_cast<uint32_t>(size)));
        ExpectRoundTrip(std::string(size, 'x'));
    }
}

TEST(LzhRoundTrip, EveryByteValue) {
    std::string all;
    for (int round = 0; round < 3; ++round)
        for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(round == 1 ? 255 - b : b));
    ExpectRoundTrip(all);
    ExpectRoundTrip(std::string(5000, '\0'));
    ExpectRoundTrip(std::string(5000, '\xFF'));
}

TEST(LzhRoundTrip, PastTheFrequencyRebuild) {
    // The root count starts at 314 and grows by one per symbol, so 32454 symbols reach 0x8000;
    // random bytes are nearly all literals, and 100 000 of them rebuild the tree several times.
    ExpectRoundTrip(RandomBytes(100000, 7));
    // Long matches: blanks cost one symbol per 60 bytes, so 3 MB give some 50 000 symbols.
    std::string runs;
    std::mt19937 generator(3);
    while (runs.size() < 3000000) runs.append(1 + generator() % 5000, static_cast<char>(' ' + generator() % 3));
    ExpectRoundTrip(runs);
    ExpectRoundTrip(MixedText(300000, 11));
}

TEST(LzhRoundTrip, MatchesAtEveryDistanceOfTheWindow) {
    // A random block repeated with growing gaps makes the encoder use positions all over 0..4095.
    const std::string block = RandomBytes(4000, 5);
    std::string data = block;
    for (size_t gap = 1; gap < 4000; gap += 97) data += block.substr(gap, 64) + RandomBytes(gap % 50, gap);
    ExpectRoundTrip(data);
}

TEST(LzhRoundTrip, RepetitiveTextCompressesWell) {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "<entry id=\"someone@example.com\"/>\r\n";
    const std::string coded = CompressStream(text);
    EXPECT_LT(coded.size(), text.size() / 10);
    EXPECT_EQ(ExpandStream(coded), text);
}

TEST(LzhExpand, HeaderShorterThanFourBytesIsAClearError) {
    for (size_t size = 0; size < 4; ++size) {
        SCOPED_TRACE(size);
        try {
            ExpandStream(std::string(size, '\0'));
            FAIL() << "no error";
        } catch (const ElzhException& e) {
            EXPECT_STREQ(e.what(), "LZH : Stream too short for its length header");
        }
    }
}

TEST(LzhExpand, HugeStatedLengthIsRefusedBeforeAnythingIsAllocated) {
    try {
        ExpandStream(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x12, 0x34}));
        FAIL() << "no error";
    } catch (const ElzhException& e) {
        EXPECT_STREQ(e.what(), "LZH : Stream length 4294967295 exceeds the limit of 16777216 bytes");
    }
    // The bound itself is accepted; one more is not.
    EXPECT_EQ(ExpandStream(CompressStream(std::string(16, 'x')), 16).size(), 16u);
    EXPECT_THROW(ExpandStream(CompressStream(std::string(17, 'x')), 16), ElzhException);
}

TEST(LzhExpand, StatedLengthDecidesTheOutputSize) {
    std::string coded = CompressStream("ABCDEFGH");
    coded[0] = 3;
    EXPECT_EQ(ExpandStream(coded), "ABC");
    // More than the code holds: the code ends first.
    coded[0] = 20;
    EXPECT_THROW(ExpandStream(coded), ElzhException);
}

TEST(LzhExpand, MatchRunningPastTheStatedLengthIsCutThere) {
    // "AAAA" codes as 'A' and a three-byte match; stating two bytes must give two, not four.
    std::string coded = CompressStream("AAAA");
    coded[0] = 2;
    EXPECT_EQ(ExpandStream(coded), "AA");
}

// A cut account file must not load with a tail of blanks in place of its calendars. The bit
// reader's look-ahead past the end is allowed; a bit the code does not hold is not.
TEST(LzhExpand, TruncatedCodeIsRefused) {
    const std::string account =
        "<Account>\r\n        <user username=\"jane\" pass=\"secret\"/>\r\n        <Calendars>\r\n"
        "                <entry id=\"work\"/>\r\n                <entry id=\"home\"/>\r\n        </Calendars>\r\n"
        "</Account>\r\n";
    for (const std::string& plain : {account, RandomBytes(2000, 9), std::string(5000, ' ')}) {
        const std::string coded = CompressStream(plain);
        ASSERT_EQ(ExpandStream(coded), plain);
        for (size_t kept : {size_t{4}, size_t{5}, 4 + (coded.size() - 4) / 2, coded.size() - 1}) {
            if (kept >= coded.size()) continue;
            SCOPED_TRACE(kept);
            try {
                ExpandStream(coded.substr(0, kept));
                ADD_FAILURE() << "no error for " << kept << " of " << coded.size() << " bytes";
            } catch (const ElzhException& e) {
                EXPECT_EQ(std::string(e.what()).rfind("LZH : Stream ends ", 0), 0u) << e.what();
            }
        }
    }
}

TEST(LzhExpand, TrailingBytesAfterTheCodeAreIgnored) {
    const std::string coded = CompressStream("hello, hello, hello");
    EXPECT_EQ(ExpandStream(coded + "garbage after the code"), "hello, hello, hello");
}

// The tree must stay a valid Huffman tree after every update: counts ascending in node order,
// each internal node the sum of its two sons, links agreeing both ways, every symbol once.
void ExpectConsistentTree(const TLzhHuffman& tree) {
    constexpr int T = TLzhHuffman::kTableSize;
    std::vector<int> leaves(TLzhHuffman::kCharCount, 0);
    for (int node = 0; node < T; ++node) {
        if (node + 1 < T) {
            ASSERT_LE(tree.Frequency(node), tree.Frequency(node + 1)) << "node " << node;
        }
        const int son = tree.Son(node);
        if (son >= T) {
            ++leaves[son - T];
            ASSERT_EQ(tree.NodeOfSymbol(son - T), node);
        } else {
            ASSERT_LT(son + 1, node);
            ASSERT_EQ(tree.Frequency(node), tree.Frequency(son) + tree.Frequency(son + 1)) << "node " << node;
            ASSERT_EQ(tree.Parent(son), node);
            ASSERT_EQ(tree.Parent(son + 1), node);
        }
    }
    for (int symbol = 0; symbol < TLzhHuffman::kCharCount; ++symbol) ASSERT_EQ(leaves[symbol], 1) << symbol;
}

TEST(LzhHuffman, CountsHalveWhenTheRootReachesTheLimit) {
    TLzhHuffman tree;
    std::vector<uint32_t> expected(TLzhHuffman::kCharCount, 1);
    std::mt19937 generator(1);
    std::geometric_distribution<int> skewed(0.05);
    int rebuilds = 0;
    for (int step = 0; step < 120000; ++step) {
        const int symbol = std::min(skewed(generator), TLzhHuffman::kCharCount - 1);
        const bool rebuilding = tree.Frequency(TLzhHuffman::kRoot) == TLzhHuffman::kMaxFreq;
        if (rebuilding) {
            for (auto& count : expected) count = (count + 1) / 2;
            ++rebuilds;
        }
        tree.Update(symbol);
        ++expected[symbol];
        if (rebuilding || step % 1000 == 0) {
            ASSERT_NO_FATAL_FAILURE(ExpectConsistentTree(tree)) << "step " << step;
            for (int s = 0; s < TLzhHuffman::kCharCount; ++s)
                ASSERT_EQ(tree.Frequency(tree.NodeOfSymbol(s)), expected[s]) << "symbol " << s << " step " << step;
        }
    }
    EXPECT_GE(rebuilds, 6);
}

TEST(LzhHuffman, RebuildPutsLeavesBeforeInternalNodesOfEqualCount) {
    TLzhHuffman tree;
    std::mt19937 generator(2);
    for (int step = 0; step < 20000; ++step) tree.Update(static_cast<int>(generator() % 40));
    std::vector<int> leafOrder;
    for (int node = 0; node < TLzhHuffman::kTableSize; ++node)
        if (tree.Son(node) >= TLzhHuffman::kTableSize) leafOrder.push_back(tree.Son(node));
    tree.Rebuild();
    ASSERT_NO_FATAL_FAILURE(ExpectConsistentTree(tree));
    std::vector<int> rebuiltOrder;
    for (int node = 0; node < TLzhHuffman::kTableSize; ++node) {
        const bool leaf = tree.Son(node) >= TLzhHuffman::kTableSize;
        if (leaf) rebuiltOrder.push_back(tree.Son(node));
        const bool previousInternal = node > 0 && tree.Son(node - 1) < TLzhHuffman::kTableSize;
        if (leaf && previousInternal) {
            EXPECT_LT(tree.Frequency(node - 1), tree.Frequency(node)) << "node " << node;
        }
    }
    EXPECT_EQ(rebuiltOrder, leafOrder);
}

TEST(LzhHuffman, CodesLongerThanSixteenBitsSurviveWritingAndReading) {
    // Counts that grow like the Fibonacci numbers make a Huffman tree a chain: each new subtree
    // pairs with the next heavier symbol. Nine such blocks above 305 symbols of count 1 push the
    // lightest leaves below level 16.
    TLzhHuffman tree;
    uint32_t previous = 320, current = 320;
    for (int block = 0; block < 9; ++block) {
        for (uint32_t i = 0; i < current; ++i) tree.Update(313 - 5 * block);
        const uint32_t next = previous + current;
        previous = current;
        current = next;
    }
    ASSERT_NO_FATAL_FAILURE(ExpectConsistentTree(tree));
    int deepest = 0;
    for (int symbol = 0; symbol < TLzhHuffman::kCharCount; ++symbol) {
        int depth = 0;
        for (int node = tree.NodeOfSymbol(symbol); node != TLzhHuffman::kRoot; node = tree.Parent(node)) ++depth;
        deepest = std::max(deepest, depth);
    }
    ASSERT_GT(deepest, 16);

    std::string coded;
    TLzhBitWriter out(coded);
    for (int symbol = 0; symbol < TLzhHuffman::kCharCount; ++symbol) tree.WriteCode(symbol, out);
    out.Flush();
    TLzhBitReader in(coded);
    for (int symbol = 0; symbol < TLzhHuffman::kCharCount; ++symbol) ASSERT_EQ(tree.ReadCode(in), symbol);
}

TEST(LzhBits, WriterPacksMostSignificantBitFirstAcrossBytes) {
    std::string coded;
    TLzhBitWriter out(coded);
    out.PutBits(3, 0xA000);   // 101
    out.PutBits(16, 0xFFFF);  // sixteen ones across three bytes
    out.PutBits(1, 0x0000);   // 0
    out.PutBits(6, 0xFC00);   // 111111
    out.Flush();
    // 101 11111 | 11111111 | 111 0 1111 | 11 padded
    EXPECT_EQ(coded, Bytes({0xBF, 0xFF, 0xEF, 0xC0}));

    TLzhBitReader in(coded);
    EXPECT_EQ(in.GetBit(), 1);
    EXPECT_EQ(in.GetBit(), 0);
    EXPECT_EQ(in.GetBit(), 1);
    EXPECT_EQ(in.GetByte(), 0xFF);
    EXPECT_EQ(in.GetByte(), 0xFF);
    EXPECT_EQ(in.GetBit(), 0);
    EXPECT_EQ(in.GetByte(), 0xFC);  // the six ones and two padding bits
    EXPECT_EQ(in.GetByte(), 0x00);  // past the end: zero bytes
}

}  // namespace
}  // namespace tessel
