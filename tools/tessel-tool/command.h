#pragma once
// The command table of tessel-tool. A command file defines a function and registers it:
//
//   static int RunXml(const std::vector<std::string>& args) { ... }
//   static const tessel::tool::Registration kXml{"xml", "xml FILE", RunXml};
//
// A command throws UsageError for wrong arguments (usage, exit 2); any tessel::EError or other
// std::exception is printed as "error: " + message on stderr (exit 1).
#include <stdexcept>
#include <string>
#include <vector>

namespace tessel::tool {

using CommandFunction = int (*)(const std::vector<std::string>& args);

struct Command {
    std::string name;
    std::string usage;
    CommandFunction run;
};

class UsageError : public std::runtime_error {
public:
    UsageError() : std::runtime_error("usage") {}
};

std::vector<Command>& Commands();

struct Registration {
    Registration(std::string name, std::string usage, CommandFunction run) {
        Commands().push_back({std::move(name), std::move(usage), run});
    }
};

// Reads a file for a command; raises EFileError with the file's name when it cannot.
std::string ReadInputFile(const std::string& path);
// What a reader raised while reading the file at path, raised again with the file's name in front
// ("deep.xml: Elements nested too deeply (line 0, column 159)").
template <class Read>
auto ReadNamingFile(const std::string& path, Read&& read) -> decltype(read()) {
    try {
        return read();
    } catch (const UsageError&) {
        throw;
    } catch (const std::exception& e) {
        const std::string what = e.what();
        if (what.find(path) != std::string::npos) throw;  // the file errors name it already
        throw std::runtime_error(path + ": " + what);
    }
}
// Writes a command's output file (atomically).
void WriteOutputFile(const std::string& path, const std::string& bytes);

}  // namespace tessel::tool
