// GetPsiServer on the sample installation, timed interleaved (interleave.h)
// with the floor of reading the files it must read (floor_lookup of
// bench_files.h on each: open, fstat, whole-file read, close, memchr search):
//   Config/Overridden  root and file names overridden, so that only the two
//                      configuration files are read; floor: those two files
//   Config/Registry    the settings from the registry (on Linux its file),
//                      which every lookup reads for the root and the file
//                      names; floor: the two files and the settings file
//   Config/<peer>      the lookup's three reads through a peer parser (the
//                      component's entry in the logical file, its physical
//                      entry, the server section's "Server"); floor: the two
//                      configuration files
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_files.h"
#include "interleave.h"
#include "settings/settings.h"
#include "xq_utils.h"

namespace xq::bench {
namespace {

// The sample installation copied into `dir`, with a settings file naming it.
struct Installation {
    std::string root, logical, physical, registry, server;
};

Installation install_sample(const fs::path& dir) {
    const fs::path sample = fs::path(XQ_EXAMPLES_DIR) / "installation";
    const fs::path root = dir / "scope";
    fs::create_directories(root);
    fs::copy_file(sample / "logical.ini", root / "logical.ini", fs::copy_options::overwrite_existing);
    fs::copy_file(sample / "physical.ini", root / "physical.ini", fs::copy_options::overwrite_existing);
    const fs::path registry = dir / "registry.reg";
    std::ofstream(registry) << "Windows Registry Editor Version 5.00\n\n"
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenvik\\Vorta XQ SDK]\n\"CurrentVersion\"=\"4.1\"\n\n"
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenvik\\Vorta XQ SDK\\4.1\\Ini]\n"
                               "\"VortaRoot\"=\"" << root.string() << "\"\n\"Lang\"=\"ENG\"\n"
                               "\"LogConfFile\"=\"logical.ini\"\n\"PhyConfFile\"=\"physical.ini\"\n";
    ::setenv("XQ_UTILS_REGISTRY", registry.c_str(), 1);
    return {root.string(), (root / "logical.ini").string(), (root / "physical.ini").string(), registry.string(),
            root.string() + "\\servers\\stage.exe"};
}

// The floor's read and search of each file; the searches look for the
// sections the lookup reads.
std::size_t read_files(const std::vector<Sample>& files, Floor floor = Floor::fresh) {
    std::size_t found = 0;
    for (const Sample& f : files) found += floor_lookup(f, "[" + f.section + "]", floor);
    return found;
}

void BM_PsiServer(benchmark::State& state, const Installation& install, const std::vector<Sample>& floor,
                  bool overridden, Floor kind) {
    // Overrides last for the rest of the process: the settings are read only
    // until the first overridden run.
    if (!overridden && xq::settings::override_text(xq::settings::Slot::root))
        return state.SkipWithError("run after an overridden benchmark, the settings were not read");
    if (overridden) {
        VOKSDKChangeRoot(install.root.c_str());
        VOKSDKChangeLogConfFile("logical.ini");
        VOKSDKChangePhyConfFile("physical.ini");
    }
    char buffer[260] = "";
    interleave(state, [&] { benchmark::DoNotOptimize(read_files(floor, kind)); },
               [&] {
                   benchmark::DoNotOptimize(GetPsiServer("Stage", buffer, sizeof buffer));
                   benchmark::ClobberMemory();
               });
    if (install.server != buffer) state.SkipWithError("GetPsiServer returned the wrong path");
}

// Word `n` (from 1) of `text`, words separated by spaces.
std::string word(const std::string& text, int n) {
    std::size_t from = 0;
    for (;;) {
        from = text.find_first_not_of(' ', from);
        if (from == std::string::npos) return {};
        const std::size_t end = std::min(text.find(' ', from), text.size());
        if (--n == 0) return text.substr(from, end - from);
        from = end;
    }
}

void BM_PeerServer(benchmark::State& state, const Installation& install, const std::vector<Sample>& floor,
                   const Peer& peer) {
    std::string server;
    interleave(state, [&] { benchmark::DoNotOptimize(read_files(floor)); },
               [&] {
                   const std::string physical = word(peer.lookup(install.logical, "Configuration", "Stage"), 1);
                   const std::string section = word(peer.lookup(install.physical, "Stage", physical), 4);
                   server = install.root + "\\" + peer.lookup(install.physical, section, "Server");
                   benchmark::DoNotOptimize(server.data());
               });
    if (server != install.server) state.SkipWithError("the peer returned the wrong path");
}

}  // namespace

void register_config_benchmarks(const fs::path& dir) {
    static const Installation install = install_sample(dir);
    static const std::vector<Sample> conf_files = {
        {"logical", install.logical, "Configuration", ""},
        {"physical", install.physical, "StageServer", ""},
    };
    static const std::vector<Sample> with_settings = {
        conf_files[0], conf_files[1], {"settings", install.registry, "HKEY_LOCAL_MACHINE", ""}};
    // The overridden runs after every registry run (benchmarks run in this order).
    for (const bool overridden : {false, true})
        for (const auto& [prefix, kind] : {std::pair{"", Floor::fresh}, std::pair{"Kept/", Floor::kept}})
            benchmark::RegisterBenchmark((prefix + std::string(overridden ? "Config/Overridden" : "Config/Registry")).c_str(),
                                         BM_PsiServer, install, overridden ? conf_files : with_settings, overridden, kind)
                ->UseManualTime();
    for (const Peer& peer : peers())
        if (peer.lookup != nullptr)
            benchmark::RegisterBenchmark(("Config/" + std::string(peer.name)).c_str(), BM_PeerServer, install, conf_files,
                                     peer)
            ->UseManualTime();
}

}  // namespace xq::bench
