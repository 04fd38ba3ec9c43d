// One whole process that loads an XML file and reads one value from it: the feed's own id, the
// first "id" element under the top element. Built three times (XML_LOAD_WITH = 1 this library,
// 2 pugixml, 3 expat), so that bench/xml_process/compare can time each as a fresh process on the
// same file. Each library loads the file its own way; the value is printed, so a loader that
// read nothing would show.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "peak_memory.h"

#if XML_LOAD_WITH == 1
#include "base/text.h"
#include "xml/xdata_document.h"
#include "xml/xml_parser.h"
#elif XML_LOAD_WITH == 2
#include <pugixml.hpp>
#else
#include <expat.h>
#endif

namespace {

#if XML_LOAD_WITH == 1
std::string LoadAndRead(const char* path) {
    const auto document = tessel::LoadXmlDocument(tessel::Widen(path));
    return tessel::Narrow(document->ReadValue(u"id"));
}
#elif XML_LOAD_WITH == 2
std::string LoadAndRead(const char* path) {
    pugi::xml_document document;
    if (!document.load_file(path)) return {};
    return document.document_element().child("id").text().get();
}
#else
// The text of the first element named "id" one level below the top element.
struct FirstId {
    int depth = 0;
    bool inside = false;
    bool done = false;
    std::string text;
};

void Start(void* data, const XML_Char* name, const XML_Char**) {
    auto& state = *static_cast<FirstId*>(data);
    ++state.depth;
    if (!state.done && state.depth == 2 && std::strcmp(name, "id") == 0) state.inside = true;
}

void End(void* data, const XML_Char*) {
    auto& state = *static_cast<FirstId*>(data);
    if (state.inside) state.done = true;
    state.inside = false;
    --state.depth;
}

void Characters(void* data, const XML_Char* text, int length) {
    auto& state = *static_cast<FirstId*>(data);
    if (state.inside) state.text.append(text, size_t(length));
}

std::string LoadAndRead(const char* path) {
    FirstId state;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &state);
    XML_SetElementHandler(parser, Start, End);
    XML_SetCharacterDataHandler(parser, Characters);
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
    return ok ? state.text : std::string();
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
