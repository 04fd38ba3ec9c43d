// tessel-tool lzh pack|unpack IN OUT: the account file's codec applied to a whole file, to read an
// account.xml by hand or to make one from a plain document.
#include <string>
#include <vector>

#include "calendar/lzh.h"
#include "command.h"

namespace {

int RunLzh(const std::vector<std::string>& args) {
    if (args.size() != 3) throw tessel::tool::UsageError();
    const std::string& mode = args[0];
    if (mode != "pack" && mode != "unpack") throw tessel::tool::UsageError();
    const std::string input = tessel::tool::ReadInputFile(args[1]);
    // Damaged input raises ElzhException, which main reports as "error: ..." with exit code 1.
    const std::string output = tessel::tool::ReadNamingFile(
        args[1], [&] { return mode == "pack" ? tessel::CompressStream(input) : tessel::ExpandStream(input); });
    tessel::tool::WriteOutputFile(args[2], output);
    return 0;
}

const tessel::tool::Registration kLzh{"lzh", "lzh pack|unpack IN OUT", RunLzh};

}  // namespace
