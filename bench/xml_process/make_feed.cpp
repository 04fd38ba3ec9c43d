// Writes the benchmarks' merged event feed of at least the given number of megabytes to a file.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "xml_process/feed_text.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FILE MEGABYTES\n", argv[0]);
        return 2;
    }
    const std::string feed = tessel::bench::MakeFeed(size_t(std::atoi(argv[2])) * 1024 * 1024, 1 << 30);
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(feed.data(), 1, feed.size(), out) != feed.size() || std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
