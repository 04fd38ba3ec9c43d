// One whole process that loads an XML file and reads what every document has: the top element's
// name and the number of elements directly under it. Built four times (XML_LOAD_WITH = 1 this
// library's file loader, 2 pugixml, 3 expat, 4 this library the way the program reads its cache:
// the text with its line breaks made CR LF, then the parse into a root; 5 the way the program
// reads its events' cache at start-up: the text read in pieces and made CR LF as it comes, each
// element under the top one let go as soon as it is complete), so that
// bench/xml_process/compare can time each as a fresh process on the same file. Each library
// loads the file its own way; the result is printed, so a loader that read nothing would show.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "peak_memory.h"

#if XML_LOAD_WITH == 1 || XML_LOAD_WITH >= 4
#include "base/crlf_pieces.h"
#include "base/file_io.h"
#include "base/text.h"
#include "xml/xdata_document.h"
#include "xml/xml_parser.h"
#elif XML_LOAD_WITH == 2
#include <pugixml.hpp>
#else
#include <expat.h>
#endif

namespace {

std::string Summary(const std::string& top, size_t children) {
    return top.empty() ? std::string() : top + " " + std::to_string(children);
}

#if XML_LOAD_WITH == 1 || XML_LOAD_WITH >= 4
std::string Summary(const tessel::TxdataNode& top, size_t children = 0) {
    for (size_t i = 0; i < top.ChildCount(); ++i) children += top.Child(i)->IsNode();
    return Summary(tessel::Narrow(top.Name()), children);
}
#endif

#if XML_LOAD_WITH == 1
std::string LoadAndRead(const char* path) { return Summary(*tessel::LoadXmlDocument(tessel::Widen(path))); }
#elif XML_LOAD_WITH == 4
std::string LoadAndRead(const char* path) {
    const auto root = tessel::TxdataNode::Create();
    root->LoadFromBytes(tessel::ReadCrLfBlock(tessel::Widen(path)).View());
    return Summary(*root);
}
#elif XML_LOAD_WITH == 5
std::string LoadAndRead(const char* path) {
    const auto root = tessel::TxdataNode::Create();
    tessel::CrLfPieces pieces(tessel::OpenFileReader(tessel::Widen(path), tessel::kMaxReadFileBytes));
    size_t taken = 0;
    root->LoadFromPieces(pieces, [&](const tessel::TxdataNode&) { return ++taken, true; });
    return Summary(*root, taken);
}
#elif XML_LOAD_WITH == 2
std::string LoadAndRead(const char* path) {
    pugi::xml_document document;
    if (!document.load_file(path)) return {};
    const pugi::xml_node top = document.document_element();
    size_t children = 0;
    for (pugi::xml_node child = top.first_child(); child; child = child.next_sibling())
        children += child.type() == pugi::node_element;
    return Summary(top.name(), children);
}
#else
// The top element's name and the elements one level below it.
struct TopElement {
    int depth = 0;
    std::string name;
    size_t children = 0;
};

void Start(void* data, const XML_Char* name, const XML_Char**) {
    auto& state = *static_cast<TopElement*>(data);
    ++state.depth;
    if (state.depth == 1) state.name = name;
    if (state.depth == 2) ++state.children;
}

void End(void* data, const XML_Char*) { --static_cast<TopElement*>(data)->depth; }

std::string LoadAndRead(const char* path) {
    TopElement state;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &state);
    XML_SetElementHandler(parser, Start, End);
    std::FILE* file = std::fopen(path, "rb");
    bool ok = file != nullptr;
    char buffer[1 << 16];
    while (ok) {
        const size_t got = std::fread(buffer, 1, sizeof buffer, file);
        ok = XML_Parse(parser, buffer, int(got), got == 0) == XML_STATUS_OK;
        if (got == 0) break;
    }
    if (file) std::fclose(file);
    XML_ParserFree(parser);
    return ok ? Summary(state.name, state.children) : std::string();
}
#endif

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    const std::string value = LoadAndRead(argv[1]);
    std::printf("%s\n", value.c_str());
    std::fprintf(stderr, "peak %ld kB\n", tessel::bench::PeakKilobytes());
    return value.empty() ? 1 : 0;
}
