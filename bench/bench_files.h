// Shared by xq_bench's files: the two floors that every lookup is measured
// against (open, fstat, read the whole file into a buffer allocated for the
// call, or into one kept between calls, close, then memchr searches for the
// section header and the entry), the peer
// parsers, and the results that main's summary reads.
// profile_bench.cpp holds main; it registers the other files' benchmarks and
// prints one table of their ratios at the end.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sample_files.h"

namespace xq::bench {

// Where a floor reads a file to: a buffer allocated for the call (the floor),
// or one that the thread keeps between calls and grows when a file is larger
// (the keep-the-buffer floor, the least a lookup can do).
struct ReadBuffer {
    std::unique_ptr<char[]> data;
    std::size_t capacity = 0;
};

// Whole-file read into `buffer`, then memchr searches for `header` and
// `entry`; the entry's offset, 0 when not found.
inline std::size_t floor_read(const std::string& path, const std::string& header, std::string_view entry,
                              ReadBuffer& buffer) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat st {};
    ::fstat(fd, &st);
    const auto size = static_cast<std::size_t>(st.st_size);
    if (size > buffer.capacity) {
        buffer.data = std::make_unique_for_overwrite<char[]>(size);
        buffer.capacity = size;
    }
    char* const data = buffer.data.get();
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, data + got, size - got);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    const char* end = data + got;
    const char* section = memchr_search(data, end, header);
    const char* found = section != nullptr ? memchr_search(section, end, entry) : nullptr;
    return found != nullptr ? static_cast<std::size_t>(found - data) : 0;
}

enum class Floor { fresh, kept };

inline std::size_t floor_lookup(const std::string& path, const std::string& header, std::string_view entry,
                                Floor floor) {
    if (floor == Floor::kept) {
        thread_local ReadBuffer kept;
        return floor_read(path, header, entry, kept);
    }
    ReadBuffer fresh;
    return floor_read(path, header, entry, fresh);
}

inline std::size_t floor_lookup(const Sample& s, const std::string& header, Floor floor = Floor::fresh) {
    return floor_lookup(s.path, header, kEntry, floor);
}

// A parser that other programs use for such files. One lookup reads and
// parses the file afresh, as every lookup of the library does; the result is
// the entry's value, empty when there is none.
// `lookup` is null when the peer was not found at build time; `package` is
// the Debian package that brings it.
struct Peer {
    using Lookup = std::string (*)(const std::string& path, const std::string& section, const std::string& entry);
    const char* name;
    Lookup lookup;
    const char* package;
};
std::span<const Peer> peers();  // inih, SimpleIni, PropertyTree (peers_bench.cpp), built or not

// The counters of every benchmark run (floor_us, us, x_floor), by name.
using Results = std::map<std::string, std::map<std::string, double>>;

// Counter `key` of benchmark `name`, 0 when it did not run or failed.
inline double counter(const Results& results, const std::string& name, const std::string& key) {
    const auto run = results.find(name);
    if (run == results.end()) return 0.0;
    const auto it = run->second.find(key);
    return it == run->second.end() ? 0.0 : it->second;
}

// Named-entry lookups and their peers: String/, Array/ and
// <peer>/String/, <peer>/Array/ + sample label (named_bench.cpp).
void register_named_benchmarks(const std::vector<Sample>& samples);

// GetPsiServer on the sample installation, copied into `dir`, and the same
// three lookups through each peer: Config/Registry, Config/Overridden,
// Config/<peer> (config_bench.cpp).
void register_config_benchmarks(const fs::path& dir);

}  // namespace xq::bench
