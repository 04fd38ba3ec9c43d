// Arbitrary bytes as a coded stream must give the stated length or a clear ElzhException (a
// readable header whose code ends too soon included), never a crash; the same bytes as plain data
// must survive coding and decoding unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "calendar/lzh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // Far below the program's bound, so a random header does not spend the run decoding zero bits;
    // 16 KB still wraps the 4 KB window several times. The real bound is checked in the tests.
    constexpr uint32_t kLimit = 1u << 14;
    uint32_t stated = 0;
    for (size_t i = 0; i < 4 && i < size; ++i) stated |= static_cast<uint32_t>(data[i]) << (8 * i);
    const bool readable = size >= 4 && stated <= kLimit;
    try {
        const std::string expanded = tessel::ExpandStream(bytes, kLimit);
        if (!readable || expanded.size() != stated) std::abort();
    } catch (const tessel::ElzhException& e) {
        if (readable && std::string_view(e.what()).substr(0, 18) != "LZH : Stream ends ") std::abort();
    }
    if (tessel::ExpandStream(tessel::CompressStream(bytes)) != bytes) std::abort();
    return 0;
}
