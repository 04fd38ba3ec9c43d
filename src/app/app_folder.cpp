#include "app/app_folder.h"

#include "base/file_io.h"

namespace tessel {

namespace {

std::u16string& Folder() {
    static std::u16string folder = ExecutableFolder();
    return folder;
}

}  // namespace

const std::u16string& AppFolder() { return Folder(); }

void SetAppFolder(std::u16string folder) {
    if (!folder.empty() && folder.back() != u'/' && folder.back() != u'\\') folder += kPathSeparator;
    Folder() = std::move(folder);
}

}  // namespace tessel
