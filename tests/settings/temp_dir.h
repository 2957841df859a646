// A fresh, empty folder for one test, removed afterwards, and the bytes of
// the files in it.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace dorimo::test {

class TempDir {
public:
    TempDir() {
        std::random_device random;
        const auto base = std::filesystem::temp_directory_path();
        do {
            folder_ = base / ("dorimo-settings-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(folder_));
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Full path of an entry of the folder, with the system's separator.
    std::string path(const std::string& name) const { return (folder_ / name).string(); }
    std::string folder() const { return folder_.string(); }

private:
    std::filesystem::path folder_;
};

inline std::string file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void put_file_bytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline bool file_exists(const std::string& path) { return std::filesystem::exists(path); }

}  // namespace dorimo::test
