// Shared by the benchmark files: the generated configuration-like files, the
// samples looked up in them, and the floor that every lookup is measured
// against (open, fstat, read the whole file into a buffer allocated for the
// call, close, then memchr searches for the section header and the entry).
// profile_bench.cpp holds main; it registers the other files' benchmarks and
// prints their ratios through the functions declared at the end.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xq::bench {

namespace fs = std::filesystem;

constexpr const char* kEntry = "Offset";

struct Sample {
    std::string label;    // e.g. "32KiB/last"
    std::string path;
    std::string section;  // the section that holds the entry looked up
    std::string value;    // its value, to check every contender
};

// A configuration-like file of about `bytes` bytes: sections of ten entries,
// now and then a comment, a blank line between sections.
inline std::string make_file(std::size_t bytes, int& sections) {
    static const char* const kNames[] = {"Port",   "Mode",   "Type",    "Speed",   "Acceleration",
                                         "Offset", "Factor", "Divider", "Position", "Description"};
    std::string text = "; generated configuration\r\n\r\n";
    sections = 0;
    while (text.size() < bytes) {
        const std::string n = std::to_string(sections);
        text += "[Component" + n + "]\r\n";
        if (sections % 3 == 0) text += "; settings of component " + n + "\r\n";
        for (const char* name : kNames) {
            text += name;
            text += std::string_view(name) == kEntry ? "=" + n + "0\r\n" : " = value " + n + " 9600 8 N 1\r\n";
        }
        text += "\r\n";
        ++sections;
    }
    return text;
}

inline std::vector<Sample> make_samples(const fs::path& dir) {
    std::vector<Sample> samples;
    const std::pair<const char*, std::size_t> sizes[] = {{"1KiB", 1024}, {"32KiB", 32 * 1024}, {"1MiB", 1024 * 1024}};
    for (const auto& [name, bytes] : sizes) {
        int sections = 0;
        const std::string path = (dir / (std::string(name) + ".ini")).string();
        std::ofstream(path, std::ios::binary) << make_file(bytes, sections);
        const int last = sections - 1;
        samples.push_back({std::string(name) + "/first", path, "Component0", "00"});
        samples.push_back({std::string(name) + "/last", path, "Component" + std::to_string(last),
                           std::to_string(last) + "0"});
    }
    return samples;
}

// Naive memchr search for `needle` in [from, end).
inline const char* memchr_search(const char* from, const char* end, std::string_view needle) {
    while (from < end) {
        const void* hit = std::memchr(from, needle.front(), static_cast<std::size_t>(end - from));
        if (hit == nullptr) return nullptr;
        const char* at = static_cast<const char*>(hit);
        if (static_cast<std::size_t>(end - at) >= needle.size() && std::memcmp(at, needle.data(), needle.size()) == 0)
            return at;
        from = at + 1;
    }
    return nullptr;
}

// The floor: whole-file read into a fresh buffer, then two memchr searches.
inline std::size_t floor_lookup(const Sample& s, const std::string& header) {
    const int fd = ::open(s.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat st {};
    ::fstat(fd, &st);
    const auto size = static_cast<std::size_t>(st.st_size);
    const std::unique_ptr<char[]> data(new char[size]);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, data.get() + got, size - got);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    const char* end = data.get() + got;
    const char* section = memchr_search(data.get(), end, header);
    const char* entry = section != nullptr ? memchr_search(section, end, kEntry) : nullptr;
    return entry != nullptr ? static_cast<std::size_t>(entry - data.get()) : 0;
}


// CPU time in ns of every benchmark run, by name.
using Times = std::map<std::string, double>;

// The recorded time of benchmark `name`, 0 when it did not run.
inline double time_of(const Times& times, const std::string& name) {
    const auto it = times.find(name);
    return it == times.end() ? 0.0 : it->second;
}

// Named-entry lookups (named_bench.cpp).
void register_named_benchmarks(const std::vector<Sample>& samples);
void print_named_ratios(const std::vector<Sample>& samples, const Times& times);

// GetPsiServer on the sample installation, copied into `dir` (config_bench.cpp).
void register_config_benchmarks(const fs::path& dir);
void print_config_ratios(const Times& times);

}  // namespace xq::bench
