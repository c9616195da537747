// Shared by xq_bench's files: the floor that every lookup is measured against
// (open, fstat, read the whole file into a buffer allocated for the call,
// close, then memchr searches for the section header and the entry), the peer
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
