// Arbitrary bytes as a document file, both as 8-bit text and behind the FF FE mark that selects
// the UTF-16 tokenizer. The file lives in a folder of its own, removed at exit.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "base/errors.h"
#include "base/file_io.h"
#include "xml/xdata_document.h"
#include "xml/xml_parser.h"

namespace {

struct ScratchFolder {
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("fuzz_xml_file-" + std::to_string(::getpid()));
    ScratchFolder() { std::filesystem::create_directories(folder); }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

void LoadFile(const std::filesystem::path& file, std::string_view bytes) {
    // A plain write: an atomic, flushed replacement per input would slow the fuzzer down.
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
    const std::u16string path = file.u16string();
    try {
        auto document = tessel::LoadXmlDocument(path);
        std::vector<std::string> lines;
        document->SaveToLines(lines);
        (void)document->ReadValue(u"a/b");
    } catch (const tessel::EError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ScratchFolder scratch;
    const std::filesystem::path path = scratch.folder / "input.xml";
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    LoadFile(path, bytes);
    LoadFile(path, "\xFF\xFE" + bytes);
    return 0;
}
