#include "support/temp_dir.h"

#include "support/file_bytes.h"

#include <chrono>
#include <cstdint>
#include <fstream>
#include <random>
#include <stdexcept>

namespace xq::test {

TempDirectory::TempDirectory() {
    namespace fs = std::filesystem;
    std::mt19937_64 random(static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                           reinterpret_cast<std::uintptr_t>(this));
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const fs::path candidate = fs::temp_directory_path() / ("xq_test_" + std::to_string(random()));
        if (fs::create_directory(candidate)) path_ = candidate;
    }
    if (path_.empty()) throw std::runtime_error("no temporary directory could be created");
}

TempDirectory::~TempDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDirectory::file(std::string_view name) const { return (path_ / name).string(); }

std::string TempDirectory::write(std::string_view name, std::string_view bytes) const {
    const std::string full = file(name);
    write_bytes(full, bytes);
    return full;
}

std::set<std::string> TempDirectory::names() const {
    std::set<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) out.insert(entry.path().filename().string());
    return out;
}

std::string with_line_ends(std::string_view text, LineEnd ends) {
    std::string out;
    for (const char c : text) out += c == '\n' && ends == LineEnd::crlf ? "\r\n" : std::string(1, c);
    return out;
}

}  // namespace xq::test
