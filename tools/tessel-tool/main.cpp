// tessel-tool COMMAND ARGS...: see command.h for how commands are added.
#include <algorithm>
#include <cstdio>
#include <exception>

#include "base/file_io.h"
#include "base/text.h"
#include "command.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace tessel::tool {

std::vector<Command>& Commands() {
    static std::vector<Command> commands;
    return commands;
}

std::string ReadInputFile(const std::string& path) { return ReadFileBytes(Utf8ToUtf16(path)); }

void WriteOutputFile(const std::string& path, const std::string& bytes) {
    WriteFileAtomic(Utf8ToUtf16(path), bytes);
}

namespace {

int PrintUsage() {
    auto commands = Commands();
    std::sort(commands.begin(), commands.end(), [](const Command& a, const Command& b) { return a.name < b.name; });
    std::fprintf(stderr, "usage: tessel-tool COMMAND ARGS...\n");
    for (const auto& c : commands) std::fprintf(stderr, "  tessel-tool %s\n", c.usage.c_str());
    return 2;
}

}  // namespace
}  // namespace tessel::tool

int main(int argc, char** argv) {
    using namespace tessel::tool;
#ifdef _WIN32
    // Output is bytes: no CR inserted before LF.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (argc < 2) return PrintUsage();
    const std::string name = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const auto& command : Commands()) {
        if (command.name != name) continue;
        try {
            return command.run(args);
        } catch (const UsageError&) {
            std::fprintf(stderr, "usage: tessel-tool %s\n", command.usage.c_str());
            return 2;
        } catch (const std::exception& e) {
            std::fflush(stdout);
            std::fprintf(stderr, "error: %s\n", e.what());
            return 1;
        }
    }
    return PrintUsage();
}
