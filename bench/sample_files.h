// The generated configuration-like files that the benchmarks look entries up
// in, the samples looked up (files of 1 KiB, 32 KiB and 1 MiB, the entry in
// the first or in the last section) and the floor's search. Portable:
// xq_bench and xq_wine_bench both use it.
#pragma once

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
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

}  // namespace xq::bench
