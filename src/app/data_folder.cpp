#include "app/data_folder.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/file_io.h"

namespace tessel {

namespace {

namespace fs = std::filesystem;

std::u16string WithSeparator(std::u16string folder) {
    if (!folder.empty() && folder.back() != u'/' && folder.back() != u'\\') folder += kPathSeparator;
    return folder;
}

// The files the program writes beside itself are XML files at the top of its folder (the theme
// folder below it is only read).
void CopyWrittenFiles(const std::u16string& from, const std::u16string& to) {
    std::error_code error;
    for (fs::directory_iterator it(fs::path(from), error), end; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error) || it->path().extension() != ".xml") continue;
        // A file that cannot be copied is not carried over; the program starts without it.
        std::error_code copyError;
        fs::copy_file(it->path(), fs::path(to) / it->path().filename(), fs::copy_options::skip_existing, copyError);
    }
}

}  // namespace

bool CanWriteFolder(const std::u16string& folder) {
    // Creating a file is what the stores need. The probe stays empty and is not flushed: it runs
    // at every start, and a write that waits for the disk would hold the start up.
    const fs::path probe = fs::path(WithSeparator(folder) + u"~tessel-write-probe");
    {
        std::ofstream file(probe, std::ios::binary | std::ios::trunc);
        if (!file) return false;
    }
    std::error_code ignored;
    fs::remove(probe, ignored);
    return true;
}

std::u16string ChooseDataFolder(const std::u16string& programFolder, const std::u16string& localAppData,
                                const std::function<bool(const std::u16string&)>& canWrite) {
    const std::u16string program = WithSeparator(programFolder);
    if (localAppData.empty() || canWrite(program)) return program;

    const std::u16string data = WithSeparator(localAppData) + kDataFolderName + kPathSeparator;
    std::error_code error;
    const bool made = fs::create_directories(fs::path(data), error);
    if (error || !fs::is_directory(fs::path(data), error)) return program;
    if (made) CopyWrittenFiles(program, data);
    return data;
}

}  // namespace tessel
