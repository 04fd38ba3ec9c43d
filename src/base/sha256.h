#pragma once
// SHA-256 (FIPS 180-4), for checking downloaded files against the digest their publisher gives.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessel {

class Sha256 {
public:
    Sha256();
    void Update(std::string_view bytes);
    // The digest of everything given so far; the object must not be updated afterwards.
    std::array<uint8_t, 32> Finish();

private:
    void Block(const uint8_t* block);

    std::array<uint32_t, 8> state_;
    std::array<uint8_t, 64> buffer_{};
    size_t buffered_ = 0;
    uint64_t length_ = 0;
};

// The digest as 64 lower-case hexadecimal digits.
std::string DigestHex(const std::array<uint8_t, 32>& digest);

}  // namespace tessel
