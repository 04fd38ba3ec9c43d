// tessel-tool xml FILE: loads FILE as the stores do and prints it back as the writer saves it.
// tessel-tool xml-value FILE PATH: prints the value a store would read at PATH.
#include <cstdio>
#include <string>

#include "base/file_io.h"
#include "base/text.h"
#include "command.h"
#include "xml/xdata_node.h"

namespace {

// The stores read a file as lines joined with CR LF and load that into an empty root.
void LoadAsStoresDo(const std::string& file, tessel::TxdataNode& root) {
    tessel::tool::ReadNamingFile(file, [&] { root.LoadFromBytes(tessel::ReadTextAsCrLf(tessel::Utf8ToUtf16(file))); });
}

void Print(const std::string& bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

int RunXml(const std::vector<std::string>& args) {
    if (args.size() != 1) throw tessel::tool::UsageError();
    tessel::TxdataNode root;
    LoadAsStoresDo(args[0], root);
    std::vector<std::string> lines;
    root.SaveToLines(lines);
    Print(tessel::JoinLines(lines));
    return 0;
}

int RunXmlValue(const std::vector<std::string>& args) {
    if (args.size() != 2) throw tessel::tool::UsageError();
    tessel::TxdataNode root;
    LoadAsStoresDo(args[0], root);
    // The tree holds the file's bytes one per unit; narrowing gives them back, so a UTF-8 file
    // prints as UTF-8.
    Print(tessel::Narrow(root.ReadValue(tessel::Utf8ToUtf16(args[1]))) + "\n");
    return 0;
}

const tessel::tool::Registration kXml{"xml", "xml FILE", RunXml};
const tessel::tool::Registration kXmlValue{"xml-value", "xml-value FILE PATH", RunXmlValue};

}  // namespace
