// tessel-tool png IN OUT: decodes a PNG file as the theme does and writes the pixels, before any
// flattening, as a PAM file of 8-bit RGBA samples, a form other image programs read for comparison.
#include <string>
#include <vector>

#include "command.h"
#include "ui/png.h"

namespace {

int RunPng(const std::vector<std::string>& args) {
    if (args.size() != 2) throw tessel::tool::UsageError();
    const tessel::PngImage image =
        tessel::tool::ReadNamingFile(args[0], [&] { return tessel::DecodePng(tessel::tool::ReadInputFile(args[0])); });
    std::string pam = "P7\nWIDTH " + std::to_string(image.width) + "\nHEIGHT " + std::to_string(image.height) +
                      "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    pam.append(reinterpret_cast<const char*>(image.rgba.data()), image.rgba.size());
    tessel::tool::WriteOutputFile(args[1], pam);
    return 0;
}

const tessel::tool::Registration kPng{"png", "png IN OUT", RunPng};

}  // namespace
