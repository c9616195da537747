// Helpers for fuzz targets that work on real files: a scratch directory
// removed at exit, and whole-file writes and reads.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>

namespace xq::fuzz {

// A property of the code under test: stops the run (as a crash) when broken.
inline void check(bool ok) {
    if (!ok) __builtin_trap();
}

// A private directory under the temporary directory, made once per process.
class Scratch {
public:
    Scratch() {
        std::string pattern = (std::filesystem::temp_directory_path() / "xq_fuzz_XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) dir_ = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    // The path of `name` inside the directory.
    std::string file(std::string_view name) const { return (dir_ / name).string(); }

private:
    std::filesystem::path dir_;
};

inline void put_file(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string get_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace xq::fuzz
