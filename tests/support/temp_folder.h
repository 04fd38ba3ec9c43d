#pragma once
// A fresh folder per test, removed with everything in it when the test ends.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>

#include "base/file_io.h"

namespace tessel::testing {

class TempFolder {
public:
    TempFolder() {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = std::filesystem::temp_directory_path() /
                ("tessel-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    // The folder with a trailing separator, as the stores are given their folder.
    std::u16string Folder() const { return path_.u16string() + kPathSeparator; }
    std::u16string File(const std::u16string& name) const { return Folder() + name; }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace tessel::testing
