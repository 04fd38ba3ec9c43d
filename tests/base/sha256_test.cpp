#include "base/sha256.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

std::string Sha256Hex(std::string_view bytes) {
    Sha256 hash;
    hash.Update(bytes);
    return DigestHex(hash.Finish());
}

TEST(Sha256Test, KnownAnswerVectors) {
    const struct {
        std::string input;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 56 bytes: the length no longer fits in the last block
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(55, 'x'), "d5e285683cd4efc02d021a5c62014694958901005d6f71e89e0989fac77e4072"},
        {std::string(64, 'x'), "7ce100971f64e7001e8fe5a51973ecdfe1ced42befe7ee8d5fd6219506b5393c"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.substr(0, 20));
        EXPECT_EQ(Sha256Hex(c.input), c.digest);
    }
}

TEST(Sha256Test, PiecewiseUpdatesGiveTheDigestOfTheWhole) {
    std::string data;
    for (int i = 0; i < 300; ++i) data += char(i * 7);
    for (size_t split : {0u, 1u, 55u, 56u, 63u, 64u, 65u, 128u, 299u}) {
        SCOPED_TRACE(split);
        Sha256 hash;
        hash.Update(std::string_view(data).substr(0, split));
        hash.Update(std::string_view(data).substr(split));
        EXPECT_EQ(DigestHex(hash.Finish()), Sha256Hex(data));
    }
}

}  // namespace
}  // namespace tessel
