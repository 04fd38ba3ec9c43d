// One whole process that reads an iCalendar file and lists the occurrences from 2026-12-01 to
// 2027-03-01 in Berlin time. Built twice (ICS_WITH = 1 this library, 2 libical), so that
// bench/ics_process/compare can time each as a fresh process on the same file. Prints the
// number of occurrences (with --lines, the lines themselves, sorted) and, on stderr, the peak
// resident memory before the file was read and at the end.
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "ics_process/ics_expand.h"
#include "peak_memory.h"

using tessel::bench::PeakKilobytes;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [--lines]\n", argv[0]);
        return 2;
    }
    const bool lines = argc > 2 && std::strcmp(argv[2], "--lines") == 0;
    setenv("TZ", "Europe/Berlin", 1);
    const long before = PeakKilobytes();
    ics_bench::Result result;
    {
        std::string bytes;
        {
            std::ifstream file(argv[1], std::ios::binary | std::ios::ate);
            bytes.resize(size_t(file.tellg()));
            file.seekg(0);
            file.read(bytes.data(), std::streamsize(bytes.size()));
        }
        if (std::getenv("ICS_PEAKS")) std::fprintf(stderr, "read %ld kB\n", PeakKilobytes());
#if ICS_WITH == 1
        result = ics_bench::WithTessel(bytes, {}, lines);
#else
        result = ics_bench::WithLibical(bytes, {}, lines);
#endif
    }
    if (lines) {
        std::sort(result.lines.begin(), result.lines.end());
        for (const auto& line : result.lines) std::printf("%s\n", line.c_str());
    } else {
        std::printf("%zu\n", result.occurrences);
    }
    std::fprintf(stderr, "start %ld kB\npeak %ld kB\n", before, PeakKilobytes());
    return result.occurrences ? 0 : 1;
}
