// GetPsiServer on the sample installation against the floor of reading the
// two configuration files (floor_lookup of bench_files.h on each: open,
// fstat, whole-file read, close, memchr search):
//   Config/Floor          the two configuration files
//   Config/FloorSettings  the same and the settings file (the registry on
//                         Linux), which every lookup must read for the root
//                         and the file names
//   Config/PsiServer      GetPsiServer with the settings from the registry
//   Config/PsiOverridden  GetPsiServer with root and file names overridden,
//                         so that only the two configuration files are read
// print_config_ratios() prints the lookups' times over the floors.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_files.h"
#include "frame/overrides.h"
#include "xq_utils.h"

namespace xq::bench {
namespace {

// The sample installation copied into `dir`, with a settings file naming it.
struct Installation {
    std::string root, logical, physical, registry, server;
};

Installation install_sample(const fs::path& dir) {
    const fs::path sample = fs::path(__FILE__).parent_path().parent_path() / "examples" / "installation";
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
std::size_t read_files(const std::vector<Sample>& files) {
    std::size_t found = 0;
    for (const Sample& f : files) found += floor_lookup(f, "[" + f.section + "]");
    return found;
}

void BM_Floor(benchmark::State& state, const std::vector<Sample>& files) {
    for (auto _ : state) benchmark::DoNotOptimize(read_files(files));
}

void BM_PsiServer(benchmark::State& state, const Installation& install, bool overridden) {
    if (overridden) {
        VOKSDKChangeRoot(install.root.c_str());
        VOKSDKChangeLogConfFile("logical.ini");
        VOKSDKChangePhyConfFile("physical.ini");
    }
    char buffer[260];
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetPsiServer("Stage", buffer, sizeof buffer));
        benchmark::ClobberMemory();
    }
    xq::settings::reset_overrides();
    if (install.server != buffer) state.SkipWithError("GetPsiServer returned the wrong path");
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
    benchmark::RegisterBenchmark("Config/Floor", BM_Floor, conf_files);
    benchmark::RegisterBenchmark("Config/FloorSettings", BM_Floor, with_settings);
    benchmark::RegisterBenchmark("Config/PsiServer", BM_PsiServer, install, false);
    benchmark::RegisterBenchmark("Config/PsiOverridden", BM_PsiServer, install, true);
}

void print_config_ratios(const Times& times) {
    const double floor = time_of(times, "Config/Floor");
    const double floor_settings = time_of(times, "Config/FloorSettings");
    const double server = time_of(times, "Config/PsiServer");
    const double overridden = time_of(times, "Config/PsiOverridden");
    if (floor <= 0 || floor_settings <= 0) return;
    std::printf("\n%-22s %9s %16s %22s\n", "GetPsiServer", "ns", "/two-file floor", "/floor with settings");
    std::printf("%-22s %9.0f %16.3f %22.3f\n", "settings in registry", server, server / floor, server / floor_settings);
    std::printf("%-22s %9.0f %16.3f %22s\n", "settings overridden", overridden, overridden / floor, "-");
    std::printf("(floors: %.0f ns for the two configuration files, %.0f ns with the settings file)\n", floor,
                floor_settings);
}

}  // namespace xq::bench
