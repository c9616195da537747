// Message modules on Linux: module files found beside the library (here:
// beside the test program, which has the library linked in), in any case,
// well formed and not too large. SetError's use of them: status_test.cpp.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "status/catalogue.h"
#include "support/file_bytes.h"

namespace {

namespace fs = std::filesystem;
const fs::path kBeside = fs::read_symlink("/proc/self/exe").parent_path();

// Writes the file beside the test program (a directory for nullopt), loads
// `name` and gives string 18 of it, "<not loaded>" when it does not load.
std::string load_beside(const std::string& file, const std::optional<std::string>& bytes, const std::string& name) {
    const fs::path path = kBeside / file;
    bytes ? xq::test::write_bytes(path.string(), *bytes) : void(fs::create_directory(path));
    xq::os::Module* module = xq::os::module_load(name.c_str());
    std::string text(16, 'z');
    text.resize(module != nullptr ? xq::os::module_string(module, 18, text) : 0);
    xq::os::module_free(module);
    fs::remove(path);
    return module != nullptr ? text : "<not loaded>";
}

std::string module_bytes(const std::string& lines) { return std::string(xq::resources::kModuleMagic) + "\n" + lines; }

// Each lookup lists the directory beside the library and closes it again.
TEST(PosixModules, FilesBesideTheLibraryInAnyCaseWellFormedAndClosedAgain) {
    const auto descriptors = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), {}); };
    const auto open_before = descriptors();
    const std::string pid = std::to_string(::getpid());  // names no test program running beside uses
    const std::string good = module_bytes("18\tDatei %s fehlt.\n");
    const struct {
        std::string file;
        std::optional<std::string> bytes;
        std::string name, text;
    } rows[] = {
        {"Xq_UtCasez" + pid, good, "XQ_UTCASEZ" + pid, "Datei %s fehlt."},
        {"xq_utA" + pid, good, (kBeside / ("xq_utA" + pid)).string(), "<not loaded>"},  // names only
        {"xq_utB" + pid, good, "../bin/xq_utB" + pid, "<not loaded>"},
        {"xq_utC" + pid, "18\tx\n", "xq_utC" + pid, "<not loaded>"},  // no magic line
        {"xq_utD" + pid, module_bytes("18\tx\nnonsense\n"), "xq_utD" + pid, "<not loaded>"},
        {"xq_utE" + pid, module_bytes(std::string(std::size_t{1} << 20, '\n')), "xq_utE" + pid, "<not loaded>"},
        {"xq_utF" + pid, std::nullopt, "xq_utF" + pid, "<not loaded>"},  // a directory
        {"xq_utG" + pid, good, "xq_utils.dl", "<not loaded>"},
    };
    for (const auto& r : rows) EXPECT_EQ(load_beside(r.file, r.bytes, r.name), r.text) << r.name;
    EXPECT_EQ(descriptors(), open_before);
}

}  // namespace
