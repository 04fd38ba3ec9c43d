// Writes the benchmarks' merged event feed of at least the given number of megabytes to a file:
// as the service sends it, or with "cache" as the program's cache file holds it (indented lines
// joined by CR LF, as SaveCache writes them).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "xml/xdata_node.h"
#include "xml_process/feed_text.h"

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 4 && std::strcmp(argv[3], "cache") == 0)) {
        std::fprintf(stderr, "usage: %s FILE MEGABYTES [cache]\n", argv[0]);
        return 2;
    }
    std::string feed = tessel::bench::MakeFeed(size_t(std::atoi(argv[2])) * 1024 * 1024, 1 << 30);
    if (argc == 4) {
        const auto root = tessel::TxdataNode::Create();
        root->LoadFromBytes(feed);
        std::vector<std::string> lines;
        root->SaveToLines(lines);
        feed = tessel::JoinLines(lines);
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(feed.data(), 1, feed.size(), out) != feed.size() || std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
