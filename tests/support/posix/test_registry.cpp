// The settings store for tests on Linux: a registry file of this process,
// named through XQ_UTILS_REGISTRY, rewritten whole by each call here.
#include "support/test_registry.h"

#include <cstdlib>

#include "platform/regfile/regfile.h"
#include "support/file_bytes.h"
#include "support/posix/regfile_export.h"
#include "support/temp_dir.h"

namespace xq::test {
namespace {

namespace rf = xq::regfile;

const std::string kMakerKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenvik", kProductKey = kMakerKey + "\\Vorta XQ SDK";

// The file, in a directory removed when the test program ends; the library is
// pointed at it on every use, as a test may have pointed it elsewhere.
std::string store_path() {
    static const TempDirectory dir;
    static const std::string path = dir.file("registry.reg");
    ::setenv("XQ_UTILS_REGISTRY", path.c_str(), 1);
    return path;
}

std::string ini_key(const std::string& version) { return kProductKey + "\\" + version + "\\Ini"; }

// Applies `change` to the registry in the file (a missing file reads as no
// keys) and writes it back whole.
template <class Change>
void edit(Change change) {
    rf::Registry registry = rf::parse(read_bytes(store_path())).registry;
    change(registry);
    write_bytes(store_path(), rf::export_file(registry, rf::Format::version5));
}

void set_strings(rf::Key& key, const Values& values) {
    for (const auto& [name, text] : values) key.set(name, rf::kRegSz, rf::to_le_bytes(rf::utf8_to_utf16(text) + u'\0'));
}

}  // namespace

void registry_clear() { edit([](rf::Registry& registry) { registry.remove(kMakerKey); }); }

void registry_install(const std::string& version, const Values& ini) {
    registry_install_product_only({{"CurrentVersion", version}});
    edit([&](rf::Registry& registry) { set_strings(registry.create(ini_key(version)), ini); });
}

void registry_install_product_only(const Values& values) {
    edit([&](rf::Registry& registry) { registry.remove(kMakerKey), set_strings(registry.create(kProductKey), values); });
}

std::optional<std::string> registry_get(const std::string& version, const std::string& name) {
    const auto bytes = rf::KeyReader(read_bytes(store_path())).query(ini_key(version), name);
    return bytes ? std::optional(bytes->substr(0, bytes->find('\0'))) : std::nullopt;
}

}  // namespace xq::test
