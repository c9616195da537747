// A fresh directory under the system's temporary directory for one test,
// removed with everything in it afterwards. Portable: std::filesystem only,
// so the same tests run on Linux and under Wine.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>

namespace xq::test {

class TempDirectory {
public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The full name of `name` inside the directory (the file need not exist).
    std::string file(std::string_view name) const;
    // Creates `name` holding exactly `bytes`; returns its full name.
    std::string write(std::string_view name, std::string_view bytes) const;
    // The names in the directory, to see that nothing was left behind.
    std::set<std::string> names() const;

private:
    std::filesystem::path path_;
};

enum class LineEnd { lf, crlf };

// `text`, written with "\n" line ends, with the line ends asked for.
std::string with_line_ends(std::string_view text, LineEnd ends);

}  // namespace xq::test
