// Loading a document from a file: the FF FE rule picks the tokenizer.
#include "xml/xml_parser.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

#include "base/errors.h"
#include "base/file_io.h"
#include "base/text.h"
#include "xml/xdata_document.h"
#include "xml/xml_builder.h"

namespace tessel {

namespace {

constexpr uintmax_t kMaxFileSize = 4294967280u;

std::unique_ptr<TxdataDocument> LoadDocument(const std::u16string& path, int includeDepth, int& includeCount) {
    // The size is checked before anything is read, so a huge file is refused, not loaded; and an
    // include naming a device or a pipe must not read without end.
    const std::filesystem::path file(path);
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        throw EFileError("Cannot open file \"" + Utf16ToUtf8(path) + "\". Not a regular file");
    const uintmax_t size = std::filesystem::file_size(file, error);
    if (!error && size > kMaxFileSize) throw EError("File is too large");
    const FileBlock block = ReadFileBlock(path, kMaxFileSize);
    const std::string_view bytes = block.View();
    if (bytes.size() > kMaxFileSize) throw EError("File is too large");
    if (bytes.size() < 2) throw EError("File is too small");

    xml_detail::BuildContext context;
    context.followIncludes = true;
    context.baseDirectory = FolderOf(path);
    context.includeDepth = includeDepth;
    context.includeCount = &includeCount;
    context.maxElementDepth = xml_detail::kMaxFileElementDepth;

    auto document = std::make_unique<TxdataDocument>();
    if (static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::u16string text((bytes.size() - 2) / 2, u'\0');
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                                            static_cast<unsigned char>(bytes[3 + 2 * i]) << 8);
        document->SetWideMode(true);
        xml_detail::Tokenizer<char16_t> tokenizer(text);
        xml_detail::BuildTopLevel(tokenizer, *document, context);
    } else {
        xml_detail::Tokenizer<char> tokenizer(bytes);
        xml_detail::BuildTopLevel(tokenizer, *document, context);
    }
    return document;
}

}  // namespace

namespace xml_detail {

std::unique_ptr<TxdataNode> LoadIncludedDocument(const std::u16string& path, const BuildContext& including) {
    int ownCount = 0;
    return LoadDocument(path, including.includeDepth + 1, including.includeCount ? *including.includeCount : ownCount);
}

}  // namespace xml_detail

std::unique_ptr<TxdataDocument> LoadXmlDocument(const std::u16string& path) {
    int includeCount = 0;
    return LoadDocument(path, 0, includeCount);
}

}  // namespace tessel
